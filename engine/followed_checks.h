// What a check does beyond its one exchange when the scan asks for it:
// trying a transient failure again after the wait the server names, and
// following a response's redirects hop by hop to their final outcome.
// Any thread; each call waits only on its own exchanges.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "engine/http_exchange.h"
#include "engine/main_window_record.h"
#include "engine/web_checks.h"

// The longest wait a Retry-After may ask for.
inline constexpr std::chrono::seconds kMaxRetryWait{60};

// A 429, 502, 503 or 504 answer, or a connection that brought no answer
// (reset, timed out): the same request may work a moment later.
[[nodiscard]] bool IsTransientFailure(const WebResponse& response);

// The wait a Retry-After value asks for: delay-seconds, or an HTTP date
// (IMF-fixdate) less now; nothing when it is neither. At most kMaxRetryWait,
// and a date already past waits nothing.
[[nodiscard]] std::optional<std::chrono::seconds> RetryAfterWait(
    std::string_view value, std::chrono::system_clock::time_point now);

// The exchange, tried again up to retries times while it fails
// transiently: after its Retry-After, else after 1, 2, 4 ... seconds. Stop
// ends a wait at once; the last outcome comes back.
[[nodiscard]] WebResponse ExchangeWithRetries(CheckExchanger& exchanger,
                                              const WebRequestTarget& target, ResponseUse use,
                                              int retries, const BodyLimits& limits = {});

// A Location value resolved against the address that gave it: an absolute
// http or https address, "//host/path" in from's scheme, "/path", "?query",
// or a path relative to from's folder; normalised, without fragment. Empty
// when it names nothing to request (empty, another scheme).
[[nodiscard]] std::string RedirectAddress(std::string_view location, const std::string& from);

// Where a followed chain of redirects ended: the text the row adds after
// " -> " and the icon the row takes.
struct RedirectChainEnd {
    std::string state;
    ResultIcon icon = ResultIcon::kError;
};

inline constexpr char kRedirectLoopState[] = "Redirect loop";
inline constexpr char kTooManyRedirectsState[] = "Too many redirects (more than 10)";
inline constexpr char kRedirectWithoutTargetState[] = "Redirect without a usable Location";
inline constexpr char kHttpsRedirectSkippedState[] = "Redirect to https - skipped";

// Follows the redirects of first (a redirect response to a request for
// from) through at most kMaxRedirectHops hops, each by its status line.
[[nodiscard]] RedirectChainEnd FollowRedirects(CheckExchanger& exchanger, const WebResponse& first,
                                               const std::string& from);
