// The request text and the readings of a first block.
#include "engine/http_message.h"

#include <algorithm>

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

std::string FormatGetRequest(std::string_view path, std::string_view host) {
    constexpr std::string_view kBeforeHost =
        " HTTP/1.1\r\nAccept: */*\r\nAccept-Charset: windows-1251,utf-8;q=0.7,*;q=0.7\r\n"
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\nHost: ";
    constexpr std::string_view kAfterHost = "\r\nCache-Control: no-cache\r\n\r\n";
    std::string request;
    request.reserve(4 + path.size() + kBeforeHost.size() + host.size() + kAfterHost.size());
    request.append("GET ").append(path).append(kBeforeHost).append(host).append(kAfterHost);
    return request;
}

}  // namespace

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline, int cap) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    return static_cast<int>(std::clamp<long long>(left, 0, cap));
}

std::string GetRequestFor(const WebRequestTarget& target) {
    return FormatGetRequest(RequestTarget(target.path), target.host);
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
