// Retries and followed redirects.
#include "engine/followed_checks.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <unordered_set>

#include "engine/ascii_case.h"
#include "engine/link_classification.h"
#include "engine/results_table.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/web_check_rows.h"
#include "engine/web_check_rules.h"
#include "platform/sleep.h"

namespace {

using std::chrono::seconds;
using std::chrono::system_clock;

constexpr int kStopPollMs = 50;

int StatusOf(const WebResponse& response) {
    if (response.outcome != FetchOutcome::kFirstBlock) return 0;
    return LeadingDecimal(StatusTextOf(response.firstBlock));
}

std::optional<int> NumberAt(std::string_view text, std::size_t at, std::size_t digits) {
    if (at + digits > text.size()) return std::nullopt;
    int value = 0;
    const char* first = text.data() + at;
    const auto [end, error] = std::from_chars(first, first + digits, value);
    if (error != std::errc() || end != first + digits) return std::nullopt;
    return value;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<long long>(era) * 146097 + dayOfEra - 719468;
}

// "Sun, 06 Nov 1994 08:49:37 GMT" as a point in time.
std::optional<system_clock::time_point> ParseImfFixdate(std::string_view text) {
    constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (text.size() != 29 || text.substr(3, 2) != ", " || !text.ends_with(" GMT")) {
        return std::nullopt;
    }
    const auto month = std::find(kMonths.begin(), kMonths.end(), text.substr(8, 3));
    const std::optional<int> day = NumberAt(text, 5, 2);
    const std::optional<int> year = NumberAt(text, 12, 4);
    const std::optional<int> hour = NumberAt(text, 17, 2);
    const std::optional<int> minute = NumberAt(text, 20, 2);
    const std::optional<int> second = NumberAt(text, 23, 2);
    if (month == kMonths.end() || !day || !year || !hour || !minute || !second) {
        return std::nullopt;
    }
    const long long days =
        DaysFromCivil(*year, static_cast<int>(month - kMonths.begin()) + 1, *day);
    return system_clock::time_point(seconds(days * 86400 + *hour * 3600 + *minute * 60 + *second));
}

// Waits, in short steps so that Stop is noticed at once; false when the
// scan stopped.
bool WaitWhileRunning(seconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    const ScanState& scan = TheScanState();
    while (scan.scanRunning) {
        const int left = MillisecondsLeft(until, kStopPollMs);
        if (left <= 0) return true;
        SleepMilliseconds(static_cast<unsigned>(left));
    }
    return false;
}

seconds WaitBeforeRetry(const WebResponse& response, int attempt) {
    if (const std::optional<seconds> asked =
            RetryAfterWait(response.retryAfter, system_clock::now())) {
        return *asked;
    }
    return std::min(seconds(1LL << std::min(attempt, 6)), kMaxRetryWait);
}

WebRequestTarget TargetOfHop(const std::string& address) {
    return RequestTargetOfAddress(address, CurrentHttpsLinks());
}

}  // namespace

bool IsTransientFailure(const WebResponse& response) {
    if (response.outcome == FetchOutcome::kNoResponse) return true;
    const int status = StatusOf(response);
    return status == 429 || status == 502 || status == 503 || status == 504;
}

std::optional<seconds> RetryAfterWait(std::string_view value, system_clock::time_point now) {
    if (value.empty()) return std::nullopt;
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        long long count = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
        // A number too large for any clock still asks for the longest wait.
        if (error == std::errc::result_out_of_range) return kMaxRetryWait;
        return std::min(seconds(count), kMaxRetryWait);
    }
    const std::optional<system_clock::time_point> date = ParseImfFixdate(value);
    if (!date) return std::nullopt;
    if (*date <= now) return seconds(0);
    return std::min(std::chrono::ceil<seconds>(*date - now), kMaxRetryWait);
}

WebResponse ExchangeWithRetries(CheckExchanger& exchanger, const WebRequestTarget& target,
                                ResponseUse use, int retries, const BodyLimits& limits) {
    WebResponse response = exchanger.Run(target, use, limits);
    for (int attempt = 0; attempt < retries && IsTransientFailure(response); ++attempt) {
        if (exchanger.CutShortByStop(response)) break;
        if (StatusOf(response) == 429) exchanger.Throttled(target);
        if (!WaitWhileRunning(WaitBeforeRetry(response, attempt))) break;
        response = exchanger.Run(target, use, limits);
    }
    return response;
}

std::string RedirectAddress(std::string_view location, const std::string& from) {
    while (!location.empty() && (location.front() == ' ' || location.front() == '\t')) {
        location.remove_prefix(1);
    }
    if (location.empty()) return {};
    std::string value(location);
    if (value.starts_with("//")) value.insert(0, from.starts_with("https:") ? "https:" : "http:");
    const std::size_t colon = value.find(':');
    const std::size_t slash = value.find('/');
    const bool hasScheme = colon != std::string::npos && colon > 0 &&
                           (slash == std::string::npos || colon < slash) && value.find('?') > colon;
    if (hasScheme) {
        const std::string_view scheme = std::string_view(value).substr(0, colon);
        if (!EqualsIgnoringCase(scheme, "http") && !EqualsIgnoringCase(scheme, "https")) {
            return {};
        }
        for (std::size_t i = 0; i < colon; ++i) value[i] = AsciiLower(value[i]);
        return NormaliseWebAddress(value);
    }
    if (value.starts_with('?') || value.starts_with('#')) {
        std::string address = from.substr(0, QueryOrFragmentStart(from));
        if (value.starts_with('?')) address.append(value);
        return NormaliseWebAddress(address);
    }
    return ResolveWebLink(
        value, value.starts_with('/') ? LinkKind::kRootRelative : LinkKind::kRelative, from);
}

RedirectChainEnd FollowRedirects(CheckExchanger& exchanger, const WebResponse& first,
                                 const std::string& from) {
    const WebCheckRules& rules = TheWebCheckRules();
    std::unordered_set<std::string> met{from};
    WebResponse response = first;
    std::string address = from;
    for (int hop = 1;; ++hop) {
        const std::string next = RedirectAddress(response.location, address);
        if (next.empty() || next.size() > kMaxAddressLength) {
            return {kRedirectWithoutTargetState, ResultIcon::kError};
        }
        if (!met.insert(next).second) return {kRedirectLoopState, ResultIcon::kError};
        if (hop > kMaxRedirectHops) return {kTooManyRedirectsState, ResultIcon::kError};
        const WebRequestTarget target = TargetOfHop(next);
        if (next.starts_with("https:") && !target.secure) {
            return {kHttpsRedirectSkippedState, ResultIcon::kSkipped};
        }
        response = ExchangeWithRetries(exchanger, target, ResponseUse::kHead, rules.retries);
        const std::string state = ExternalStateText(response);
        if (response.outcome != FetchOutcome::kFirstBlock) return {state, ResultIcon::kError};
        if (!IsRedirectStatus(StatusOf(response))) {
            return {state, WebStateIconUnder(rules, state)};
        }
        address = next;
    }
}
