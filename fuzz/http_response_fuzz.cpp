// Both readings of a response over any bytes, fed through a source whose
// reads the fuzzer splits. The status text is the first line from its tenth
// byte. In the classic reading a text body is the same however the bytes
// arrive, equals a plain decode of the whole response, and a size bound
// only cuts it short. In the exact reading the body and whether the
// connection may be kept do not depend on the splits either; a kept
// connection means the response's bytes were taken to their last one, and
// its body is the plain decode.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/http_exchange.h"
#include "engine/http_framing.h"
#include "engine/web_check_rows.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/plain_http_response.h"

namespace {

// Plays bytes in reads of the lengths a seed gives, then waits in vain (the
// classic reading never sees its server close, the exact one's connection
// stays open); never connects anywhere.
class SplitSocket final : public ResponseSource {
public:
    SplitSocket(std::string_view rest, std::uint32_t seed, ReadingStyle style)
        : m_rest(rest), m_state(seed | 1), m_style(style) {}

    ReadStatus Read(char* buffer, std::size_t size, int timeoutMs, std::size_t* count) override {
        const bool classic = m_style == ReadingStyle::kClassic;
        FUZZ_CHECK(size >= 1 && (!classic || size <= kBodyReadSize));
        FUZZ_CHECK(timeoutMs > 0 && timeoutMs <= (classic ? kBodyReadTimeoutMs : 10000));
        ++m_reads;
        *count = std::min({size, m_rest.size(), NextSplit()});
        std::memcpy(buffer, m_rest.data(), *count);
        m_rest.remove_prefix(*count);
        return *count == 0 ? ReadStatus::kTimedOut : ReadStatus::kData;
    }

    [[nodiscard]] std::size_t Reads() const { return m_reads; }
    [[nodiscard]] std::size_t Left() const { return m_rest.size(); }

private:
    // Mostly short reads, now and then a whole one.
    std::size_t NextSplit() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state % 8 == 0 ? kBodyReadSize : 1 + m_state % 17;
    }

    std::string_view m_rest;
    std::uint32_t m_state;
    ReadingStyle m_style;
    std::size_t m_reads = 0;
};

std::string BodyOf(std::string_view firstBlock, std::string_view rest, std::uint32_t seed,
                   std::size_t maxBytes, std::size_t* reads = nullptr) {
    SplitSocket socket(rest, seed, ReadingStyle::kClassic);
    BodyLimits limits;
    limits.maxBytes = maxBytes;
    std::string body = ReadTextBody(firstBlock, socket, limits);
    if (reads != nullptr) *reads = socket.Reads();
    return body;
}

// The exact reading of a whole response; *consumed tells how many of its
// bytes were taken.
ExactResponse ExactlyRead(std::string_view response, std::uint32_t seed, std::size_t maxBytes,
                          std::size_t* consumed) {
    SplitSocket socket(response, seed, ReadingStyle::kExact);
    BodyLimits limits;
    limits.maxBytes = maxBytes;
    ExactResponse read = ReadExactResponse(socket, ResponseUse::kPage, limits);
    *consumed = response.size() - socket.Left();
    return read;
}

// Whatever the splits, the same first block and body; a kept connection
// took exactly one response: read alone, those bytes are kept again, taken
// whole, and the body is their plain decode. Bytes after a response that
// arrive with it make it unkept; bytes that arrive later are the next
// response's, so only without any does being kept not depend on the splits.
void CheckExactReading(std::string_view response, std::uint32_t seed, std::uint32_t otherSeed,
                       std::size_t maxBytes) {
    std::size_t consumed = 0;
    std::size_t consumedAgain = 0;
    const ExactResponse read = ExactlyRead(response, seed, maxBytes, &consumed);
    const ExactResponse again = ExactlyRead(response, otherSeed, maxBytes, &consumedAgain);
    FUZZ_CHECK(read.body == again.body && read.firstBlock == again.firstBlock);
    if (consumed == response.size() && consumedAgain == response.size()) {
        FUZZ_CHECK(read.reusable == again.reusable);
    }
    FUZZ_CHECK(read.answered == !response.empty());
    FUZZ_CHECK(response.starts_with(read.firstBlock) && read.firstBlock.size() <= kPageFirstRead);
    if (!read.reusable) return;
    const std::string_view taken = response.substr(0, consumed);
    std::size_t takenAgain = 0;
    const ExactResponse alone = ExactlyRead(taken, otherSeed, maxBytes, &takenAgain);
    FUZZ_CHECK(alone.reusable && alone.body == read.body && takenAgain == taken.size());
    const std::string_view head = taken.substr(0, taken.find("\r\n\r\n") + 4);
    if (!Has(read.firstBlock, "ype: text")) {
        FUZZ_CHECK(read.body.empty());
    } else if (FramingOf(head).chunked) {
        FUZZ_CHECK(read.body == PlainChunkedDecode(taken));
    } else {
        FUZZ_CHECK(read.body == taken.substr(head.size()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const auto firstLength = input.Integer<std::size_t>(1, kPageFirstRead);
    const auto seed = input.Integer<std::uint32_t>();
    const auto otherSeed = input.Integer<std::uint32_t>();
    const auto maxBytes = input.Integer<std::size_t>(0, 4096);
    const std::string response = input.Rest();
    const std::string_view firstBlock = std::string_view(response).substr(0, firstLength);
    const std::string_view rest = std::string_view(response).substr(firstBlock.size());

    const std::string status = StatusTextOf(firstBlock);
    FUZZ_CHECK(status.size() <= kMaxStatusTextLength);
    FUZZ_CHECK(status == PlainStatusText(firstBlock));
    // A page's state is its status text, perhaps with a redirect target: one
    // line of text, as the first block holds it up to its first zero byte.
    // A TLS record where the status line should be is named instead.
    const bool tlsRecord = firstBlock.size() >= 3 &&
                           (firstBlock[0] == 0x15 || firstBlock[0] == 0x16) && firstBlock[1] == 3 &&
                           static_cast<unsigned char>(firstBlock[2]) <= 4;
    const std::string shown = tlsRecord ? kTlsAnswerToPlainRequestState : status;
    const std::string state = PageStateText(firstBlock);
    FUZZ_CHECK(state.size() <= kMaxStateLength);
    FUZZ_CHECK(state.starts_with(shown.substr(0, kMaxStateLength)));
    FUZZ_CHECK(state.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos);
    if (state.size() > shown.size()) {
        const std::string_view text = firstBlock.substr(0, firstBlock.find('\0'));
        FUZZ_CHECK(text.find(state.substr(shown.size() + 4)) != std::string_view::npos);
    }

    CheckExactReading(response, seed, otherSeed, maxBytes);

    std::size_t reads = 0;
    const std::string body = BodyOf(firstBlock, rest, seed, SIZE_MAX, &reads);
    if (!Has(firstBlock, "ype: text")) {
        // Not text: nothing is read after the first block.
        FUZZ_CHECK(body.empty() && reads == 0);
        return 0;
    }
    FUZZ_CHECK(body == BodyOf(firstBlock, rest, otherSeed, SIZE_MAX));
    const std::string limited = BodyOf(firstBlock, rest, otherSeed, maxBytes);
    if (Has(firstBlock, "Transfer-Encoding: chunked")) {
        FUZZ_CHECK(body == PlainChunkedDecode(response));
        FUZZ_CHECK(limited == body.substr(0, maxBytes));
    } else {
        FUZZ_CHECK(body == PlainTextBody(response, SIZE_MAX));
        FUZZ_CHECK(limited == PlainTextBody(response, maxBytes));
    }
    return 0;
}
