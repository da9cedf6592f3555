// The request text and the readings of a first block.
#include "engine/http_message.h"

#include <algorithm>

#include "engine/ascii_case.h"

namespace {

constexpr std::string_view kTextContentMark = "ype: text";
constexpr std::string_view kChunkedMark = "Transfer-Encoding: chunked";
constexpr std::size_t kStatusArea = 100;
constexpr std::size_t kStatusTextStart = 9;

bool FirstBlockHas(std::string_view firstBlock, std::string_view mark) {
    return FirstBlockText(firstBlock).find(mark) != std::string_view::npos;
}

// The request path as a request line may carry it: a byte a browser would
// percent-encode in an address (white space, a control, a quote, angle
// brackets, "`", braces, or any byte above 126) is sent as "%" and two hex
// digits, since a server answers a raw blank in the request line with 400.
std::string RequestTarget(std::string_view path) {
    constexpr std::string_view kEscaped = "\"<>`{}";
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string target;
    target.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && kEscaped.find(c) == std::string_view::npos) {
            target += c;
            continue;
        }
        target += '%';
        target += kHex[byte >> 4];
        target += kHex[byte & 0xF];
    }
    return target;
}

std::string FormatGetRequest(std::string_view path, std::string_view host,
                             const RequestHeaderText& headers) {
    constexpr std::string_view kRequestLineEnd = " HTTP/1.1\r\n";
    std::string request;
    request.reserve(4 + path.size() + kRequestLineEnd.size() + headers.beforeHost.size() +
                    host.size() + headers.afterHost.size());
    request.append("GET ").append(path).append(kRequestLineEnd).append(headers.beforeHost);
    request.append(host).append(headers.afterHost);
    return request;
}

struct HeaderLine {
    std::string name;
    std::string value;
};

std::string_view TrimmedBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The default lines in their order; the Host line goes between the third
// and the fourth.
std::vector<HeaderLine> DefaultHeaderLines() {
    return {{"Accept", "*/*"},
            {"Accept-Charset", "windows-1251,utf-8;q=0.7,*;q=0.7"},
            {"User-Agent", "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"},
            {"Cache-Control", "no-cache"}};
}
constexpr std::size_t kLinesBeforeHost = 3;

void SetHeaderLine(std::vector<HeaderLine>& lines, std::string name, std::string value) {
    for (HeaderLine& line : lines) {
        if (!EqualsIgnoringCase(line.name, name)) continue;
        line.value = std::move(value);
        return;
    }
    lines.push_back({std::move(name), std::move(value)});
}

std::string JoinedHeaderLines(const std::vector<HeaderLine>& lines, std::size_t from,
                              std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to; ++i) {
        text.append(lines[i].name).append(": ").append(lines[i].value).append("\r\n");
    }
    return text;
}

}  // namespace

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline, int cap) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    return static_cast<int>(std::clamp<long long>(left, 0, cap));
}

const RequestHeaderText& DefaultRequestHeaders() {
    static const RequestHeaderText headers = MakeRequestHeaders({}, {});
    return headers;
}

RequestHeaderText MakeRequestHeaders(std::string_view userAgent,
                                     const std::vector<std::string>& extraLines) {
    std::vector<HeaderLine> lines = DefaultHeaderLines();
    if (!userAgent.empty()) SetHeaderLine(lines, "User-Agent", std::string(userAgent));
    for (const std::string& extra : extraLines) {
        const std::size_t colon = extra.find(':');
        if (colon == std::string::npos) continue;
        SetHeaderLine(lines, extra.substr(0, colon),
                      std::string(TrimmedBlanks(std::string_view(extra).substr(colon + 1))));
    }
    RequestHeaderText text;
    text.beforeHost = JoinedHeaderLines(lines, 0, kLinesBeforeHost) + "Host: ";
    text.afterHost = "\r\n" + JoinedHeaderLines(lines, kLinesBeforeHost, lines.size()) + "\r\n";
    return text;
}

std::string GetRequestFor(const WebRequestTarget& target, const RequestHeaderText& headers) {
    return FormatGetRequest(RequestTarget(target.path), target.host, headers);
}

std::string HeaderValue(std::string_view head, std::string_view name) {
    std::size_t lineStart = head.find('\n');
    while (lineStart != std::string_view::npos) {
        const std::size_t start = lineStart + 1;
        lineStart = head.find('\n', start);
        if (lineStart == std::string_view::npos) break;
        std::string_view line = head.substr(start, lineStart - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !EqualsIgnoringCase(line.substr(0, colon), name)) {
            continue;
        }
        return std::string(TrimmedBlanks(line.substr(colon + 1)));
    }
    return {};
}

bool AnnouncesText(std::string_view firstBlock) {
    return FirstBlockHas(firstBlock, kTextContentMark);
}

bool AnnouncesChunks(std::string_view firstBlock) {
    return FirstBlockHas(firstBlock, kChunkedMark);
}

std::string_view FirstBlockText(std::string_view firstBlock) {
    return firstBlock.substr(0, firstBlock.find('\0'));
}

std::string StatusTextOf(std::string_view firstBlock) {
    std::string_view line = FirstBlockText(firstBlock.substr(0, kStatusArea));
    line = line.substr(0, line.find_first_of("\r\n"));
    if (line.size() <= kStatusTextStart) return {};
    return std::string(line.substr(kStatusTextStart));
}
