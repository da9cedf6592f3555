// Response framing from bytes: the head's end, the head's framing headers,
// and chunked bodies by either reading's rules.
#include "engine/http_framing.h"

#include <algorithm>
#include <limits>

#include "engine/ascii_case.h"
#include "engine/hex_digit.h"

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::uint64_t> ParseLength(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

int StatusCodeOf(std::string_view statusLine) {
    int status = 0;
    if (statusLine.size() >= 12 && statusLine[8] == ' ') {
        for (std::size_t i = 9; i < 12 && statusLine[i] >= '0' && statusLine[i] <= '9'; ++i) {
            status = status * 10 + (statusLine[i] - '0');
        }
    }
    return status;
}

}  // namespace

std::optional<std::size_t> BodyStart(std::string_view bytes) {
    const std::size_t end = bytes.find(kHeaderEnd);
    if (end == std::string_view::npos) return std::nullopt;
    return end + kHeaderEnd.size();
}

Framing FramingOf(std::string_view head) {
    Framing framing;
    const std::size_t lineEnd = head.find('\n');
    const std::string_view statusLine = head.substr(0, lineEnd);
    const int status = StatusCodeOf(statusLine);
    framing.noBody = (status >= 100 && status < 200) || status == 204 || status == 304;
    bool keepAlive = false;
    std::string_view rest = lineEnd == std::string_view::npos ? "" : head.substr(lineEnd + 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = line.substr(colon + 1);
        if (EqualsIgnoringCase(name, "transfer-encoding")) {
            framing.chunked = framing.chunked || ContainsIgnoringCase(value, "chunked");
        } else if (EqualsIgnoringCase(name, "content-length")) {
            framing.contentLength = ParseLength(value);
        } else if (EqualsIgnoringCase(name, "connection")) {
            framing.closes = framing.closes || ContainsIgnoringCase(value, "close");
            keepAlive = keepAlive || ContainsIgnoringCase(value, "keep-alive");
        }
    }
    if (statusLine.starts_with("HTTP/1.0") && !keepAlive) framing.closes = true;
    if (framing.chunked) framing.contentLength.reset();
    return framing;
}

bool BodyText::Append(std::string_view bytes) {
    const std::size_t size = m_text == nullptr ? 0 : m_text->size();
    const std::size_t room = m_maxBytes > size ? m_maxBytes - size : 0;
    if (m_text != nullptr) m_text->append(bytes.substr(0, room));
    if (m_text != nullptr && bytes.size() > room) m_full = true;
    return !m_full;
}

std::size_t ChunkedBody::Feed(std::string_view bytes, BodyText& text) {
    std::size_t used = 0;
    while (used < bytes.size() && !Done() && !m_broken && !text.Full()) {
        if (m_state == State::kData) {
            const std::size_t count =
                static_cast<std::size_t>(std::min<std::uint64_t>(m_missing, bytes.size() - used));
            text.Append(bytes.substr(used, count));
            used += count;
            m_missing -= count;
            if (m_missing == 0) m_state = State::kDataEnd;
            continue;
        }
        Take(bytes[used++]);
    }
    return used;
}

void ChunkedBody::Take(char c) {
    const bool lenient = m_rules == Rules::kLenient;
    switch (m_state) {
        case State::kSize:
            // The lenient rules pass over line ends and blanks before a size.
            if (lenient && (c == '\r' || c == '\n' || c == ' ' || c == '\t')) break;
            if (HexDigitValue(c) < 0) {
                // No size where one must be: the end of the body, or no body.
                if (lenient) {
                    m_state = State::kDone;
                } else {
                    m_broken = true;
                }
                break;
            }
            m_size = 0;
            m_state = State::kSizeDigits;
            TakeSizeCharacter(c);
            break;
        case State::kSizeDigits:
            TakeSizeCharacter(c);
            break;
        case State::kSizeLineRest:
            if (c == '\n') StartChunk();
            break;
        case State::kDataEnd:
            if (lenient) {
                m_state = State::kSize;
                Take(c);
            } else if (c == '\n') {
                m_state = State::kSize;
            } else if (c != '\r') {
                m_broken = true;
            }
            break;
        case State::kTrailer:
            if (c == '\n') {
                m_state = State::kDone;
            } else if (c != '\r') {
                m_state = State::kTrailerLine;
            }
            break;
        case State::kTrailerLine:
            if (c == '\n') m_state = State::kTrailer;
            break;
        case State::kData:
        case State::kDone:
            break;
    }
}

void ChunkedBody::TakeSizeCharacter(char c) {
    const int digit = HexDigitValue(c);
    if (digit >= 0) {
        constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
        // A size beyond what any body may hold: the exact rules call it
        // malformed; the lenient ones read on as far as the bounds allow.
        if (m_rules == Rules::kExact && m_size > (kMax >> 8)) m_broken = true;
        m_size = m_size > (kMax >> 4) ? kMax : (m_size << 4) | static_cast<std::uint64_t>(digit);
        return;
    }
    // The lenient rules end the body at a size of zero whatever follows.
    if (m_rules == Rules::kLenient && m_size == 0) {
        m_state = State::kDone;
        return;
    }
    if (c == '\n') {
        StartChunk();
    } else {
        m_state = State::kSizeLineRest;
    }
}

void ChunkedBody::StartChunk() {
    m_missing = m_size;
    if (m_size != 0) {
        m_state = State::kData;
    } else {
        m_state = m_rules == Rules::kLenient ? State::kDone : State::kTrailer;
    }
    m_size = 0;
}
