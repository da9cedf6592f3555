// What the HTTP client should make of a whole response, decoded plainly
// from all its bytes at once: the fuzz targets compare the client's
// streaming results with these.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::size_t kNone = std::string_view::npos;

inline bool Has(std::string_view firstBlock, std::string_view mark) {
    return firstBlock.substr(0, firstBlock.find('\0')).find(mark) != kNone;
}

inline std::string PlainStatusText(std::string_view firstBlock) {
    std::string_view line = firstBlock.substr(0, 100);
    line = line.substr(0, line.find('\0'));
    line = line.substr(0, line.find_first_of("\r\n"));
    return line.size() > 9 ? std::string(line.substr(9)) : std::string();
}

inline int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A chunked body decoded from the whole response at once: after the blank
// line, size lines (line ends and blanks before a size are passed over, an
// extension ignored) and their data, up to a zero or missing size.
inline std::string PlainChunkedDecode(std::string_view response) {
    std::string body;
    std::size_t at = response.find("\r\n\r\n");
    if (at == kNone) return body;
    at += 4;
    while (true) {
        at = response.find_first_not_of("\r\n \t", at);
        if (at == kNone || HexValue(response[at]) < 0) return body;
        std::uint64_t size = 0;
        for (; at < response.size() && HexValue(response[at]) >= 0; ++at) {
            size = size > (UINT64_MAX >> 4) ? UINT64_MAX : size << 4 | HexValue(response[at]);
        }
        if (size == 0) return body;
        at = response.find('\n', at);
        if (at == kNone) return body;
        ++at;
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, response.size() - at));
        body.append(response.substr(at, count));
        at += count;
    }
}

inline std::string PlainTextBody(std::string_view response, std::size_t maxBytes) {
    std::string_view text = response.substr(0, maxBytes);
    const std::size_t headerEnd = text.find("\r\n\r\n");
    return std::string(headerEnd == kNone ? text : text.substr(headerEnd + 4));
}
