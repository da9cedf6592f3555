// Where a response's parts end, worked out from its bytes alone: the head
// (up to its blank line), what the head says of the body that follows
// (none, a length, chunks, or up to the close), and the chunks themselves,
// read by the rules of either reading (the classic reading's lenient ones,
// or the exact ones that find the byte where the next response starts).
// Pure: fed bytes in pieces of any size, the result is the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The blank line that ends a response's head.
inline constexpr std::string_view kHeaderEnd = "\r\n\r\n";

// Where the body starts in bytes (just after the head's blank line), or
// nothing while the head has not ended.
[[nodiscard]] std::optional<std::size_t> BodyStart(std::string_view bytes);

// What the head says of the body that follows it (RFC 9112 section 6.3).
struct Framing {
    bool noBody = false;
    bool chunked = false;
    std::optional<std::uint64_t> contentLength;
    // The server closes the connection after this response.
    bool closes = false;
};
[[nodiscard]] Framing FramingOf(std::string_view head);

// Where a body's bytes go: kept (up to a bound) or dropped.
class BodyText {
public:
    // Keeps into text (null: drops) at most maxBytes in all.
    BodyText(std::string* text, std::size_t maxBytes) : m_text(text), m_maxBytes(maxBytes) {}

    // Takes bytes; false once the bound is reached and bytes went unkept.
    bool Append(std::string_view bytes);
    [[nodiscard]] bool Full() const { return m_full; }

private:
    std::string* m_text;
    std::size_t m_maxBytes;
    bool m_full = false;
};

// A chunked body after its head: size lines (an extension after the digits
// is passed over), data, the line end after each chunk, the last chunk.
// The lenient rules pass over blank lines before a size and end the body at
// a size line without digits or at the last chunk, trailers unread. The
// exact rules take a body as malformed where the rules are broken, and read
// the trailer section to its blank line, so that the body ends exactly.
class ChunkedBody {
public:
    enum class Rules { kLenient, kExact };

    explicit ChunkedBody(Rules rules) : m_rules(rules) {}

    // Takes bytes, the data going to text; returns how many were the body's
    // (after Done(), the rest is not). Stops early when text is full.
    std::size_t Feed(std::string_view bytes, BodyText& text);

    [[nodiscard]] bool Done() const { return m_state == State::kDone; }
    [[nodiscard]] bool Broken() const { return m_broken; }

private:
    enum class State {
        kSize,
        kSizeDigits,
        kSizeLineRest,
        kData,
        kDataEnd,
        kTrailer,
        kTrailerLine,
        kDone
    };

    void Take(char c);
    void TakeSizeCharacter(char c);
    void StartChunk();

    const Rules m_rules;
    State m_state = State::kSize;
    std::uint64_t m_size = 0;
    std::uint64_t m_missing = 0;
    bool m_broken = false;
};
