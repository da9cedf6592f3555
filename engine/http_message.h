// The texts of an HTTP/1.1 exchange: the GET request a check sends, and what
// is read of a response's first block (its status text, whether it
// announces text). The outcomes, sizes and bounds every exchange shares.
// Pure functions; any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/url_functions.h"

enum class FetchOutcome { kNoSocket, kNoConnection, kNoSecureChannel, kNoResponse, kFirstBlock };

// First-read sizes and time-outs of the three callers.
inline constexpr std::size_t kPageFirstRead = 1000;
inline constexpr std::size_t kExternalFirstRead = 200;
inline constexpr std::size_t kEditFirstRead = 1000;
inline constexpr int kPageFirstTimeoutMs = 10000;
inline constexpr int kExternalFirstTimeoutMs = 10000;
inline constexpr int kEditFirstTimeoutMs = 5000;

// Reads after the first block take at most this many bytes in the classic
// reading, and every read after the first waits at most this long.
inline constexpr std::size_t kBodyReadSize = 1023;
inline constexpr int kBodyReadTimeoutMs = 500;

// The status text is at most this long: the first 100 bytes of the first
// line, from the tenth on.
inline constexpr std::size_t kMaxStatusTextLength = 91;

// Bounds on reading one body, so that a server that never stops sending can
// neither exhaust memory nor hold a worker for ever. What arrived within the
// bounds is kept.
struct BodyLimits {
    std::size_t maxBytes = 64 * 1024 * 1024;
    std::chrono::milliseconds maxReadTime{60000};
};

// The milliseconds left until deadline, at least 0, at most cap.
[[nodiscard]] int MillisecondsLeft(std::chrono::steady_clock::time_point deadline, int cap);

// The header lines of a scan's requests around the Host line, made once
// when the scan starts.
struct RequestHeaderText {
    std::string beforeHost;
    std::string afterHost;
};

// The headers every request has always carried.
[[nodiscard]] const RequestHeaderText& DefaultRequestHeaders();
// Those headers with userAgent (when not empty) as the User-Agent, and each
// of extraLines ("Name: value", already checked) added: one that names a
// header already there (in any case) takes its place.
[[nodiscard]] RequestHeaderText MakeRequestHeaders(std::string_view userAgent,
                                                   const std::vector<std::string>& extraLines);

// The request a GET exchange sends for target: the path percent-encoded
// where a request line cannot carry it raw, and the scan's headers.
[[nodiscard]] std::string GetRequestFor(const WebRequestTarget& target,
                                        const RequestHeaderText& headers = DefaultRequestHeaders());

// The value of the head's first header field of that name (in any case),
// without the blanks around it; empty when there is none. Only whole lines
// after the status line count.
[[nodiscard]] std::string HeaderValue(std::string_view head, std::string_view name);

// True when the first block announces a text response ("ype: text"): only
// then is a body read.
[[nodiscard]] bool AnnouncesText(std::string_view firstBlock);

// True when the first block announces a chunked body as the classic reading
// recognises it: "Transfer-Encoding: chunked", spelt so.
[[nodiscard]] bool AnnouncesChunks(std::string_view firstBlock);

// The first block as every header test reads it: zero-terminated text, so
// nothing after a zero byte counts.
[[nodiscard]] std::string_view FirstBlockText(std::string_view firstBlock);

// The status text: the first line of the first block (at most its first 100
// bytes) from its tenth byte on; empty when the line is shorter than ten bytes.
[[nodiscard]] std::string StatusTextOf(std::string_view firstBlock);
