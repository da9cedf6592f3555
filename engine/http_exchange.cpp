// The GET exchange in its two readings. Both read through a BoundedReader,
// so each read waits at most its own time-out and never past the response's
// deadline, and both frame what they read with the pure functions of
// http_framing.
#include "engine/http_exchange.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "engine/http_framing.h"

namespace {

using Clock = std::chrono::steady_clock;

// Exact reading: a head longer than this ends the connection after the
// response; a body that is not text is read and dropped to keep the
// connection when it is no longer than this.
constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::uint64_t kMaxDroppedBodyBytes = 256 * 1024;
constexpr std::size_t kExactReadSize = 16 * 1024;

// A classic exchange runs to its end once started: a connect cut short by
// Stop would leave a row that says the server cannot be reached.
const std::atomic<bool>& NeverStopped() {
    static const std::atomic<bool> always{true};
    return always;
}

// The reads of one response within its time bound.
class BoundedReader {
public:
    BoundedReader(ResponseSource& source, std::size_t readSize,
                  std::chrono::milliseconds maxReadTime)
        : m_source(source), m_deadline(Clock::now() + maxReadTime), m_buffer(readSize) {}

    // Empty when nothing came within timeoutMs, the source ended or the time
    // is up; Ended() tells the end apart.
    std::string_view Read(int timeoutMs) {
        const int left = MillisecondsLeft(m_deadline, timeoutMs);
        if (left <= 0 || m_ended) return {};
        std::size_t count = 0;
        const ResponseSource::ReadStatus status =
            m_source.Read(m_buffer.data(), m_buffer.size(), left, &count);
        if (status == ResponseSource::ReadStatus::kEnded) m_ended = true;
        if (status != ResponseSource::ReadStatus::kData) return {};
        return {m_buffer.data(), std::min(count, m_buffer.size())};
    }

    [[nodiscard]] bool Ended() const { return m_ended; }

private:
    ResponseSource& m_source;
    Clock::time_point m_deadline;
    std::vector<char> m_buffer;
    bool m_ended = false;
};

// Both readings take a response without a usable framing this way: what
// arrives until the server closes or pauses (at most maxBytes), then the
// text after the first blank line, or all of it without one.
std::string TextAfterHead(std::string received, BoundedReader& reader, std::size_t maxBytes) {
    if (received.size() > maxBytes) received.resize(maxBytes);
    while (received.size() < maxBytes) {
        const std::string_view block = reader.Read(kBodyReadTimeoutMs);
        if (block.empty()) break;
        received.append(block.substr(0, maxBytes - received.size()));
    }
    if (const std::optional<std::size_t> start = BodyStart(received)) received.erase(0, *start);
    return received;
}

// The bytes after the head that the first block starts, read on until the
// head's blank line; nothing when the reading ended first. Only the last
// few bytes of the head are held while it is passed over.
std::optional<std::string> BytesAfterHead(std::string_view firstBlock, BoundedReader& reader) {
    std::string window(firstBlock);
    for (;;) {
        if (const std::optional<std::size_t> start = BodyStart(window)) {
            return window.substr(*start);
        }
        const std::size_t keep = kHeaderEnd.size() - 1;
        if (window.size() > keep) window.erase(0, window.size() - keep);
        const std::string_view block = reader.Read(kBodyReadTimeoutMs);
        if (block.empty()) return std::nullopt;
        window.append(block);
    }
}

void DecodeChunksLeniently(std::string_view firstBlock, BoundedReader& reader, std::string& body,
                           std::size_t maxBytes) {
    const std::optional<std::string> start = BytesAfterHead(firstBlock, reader);
    if (!start) return;
    BodyText text(&body, body.size() + std::min(maxBytes, SIZE_MAX - body.size()));
    ChunkedBody chunks(ChunkedBody::Rules::kLenient);
    chunks.Feed(*start, text);
    while (!chunks.Done() && !text.Full()) {
        const std::string_view block = reader.Read(kBodyReadTimeoutMs);
        if (block.empty()) return;
        chunks.Feed(block, text);
    }
}

FetchOutcome OutcomeOf(ConnectionOpening opening) {
    switch (opening) {
        case ConnectionOpening::kNoSocket:
            return FetchOutcome::kNoSocket;
        case ConnectionOpening::kNoConnection:
            return FetchOutcome::kNoConnection;
        case ConnectionOpening::kNoSecureChannel:
            return FetchOutcome::kNoSecureChannel;
        case ConnectionOpening::kReady:
            break;
    }
    return FetchOutcome::kFirstBlock;
}

// The classic reading's first half over connection, opened afresh: the
// request, then one read of at most firstReadSize bytes within timeoutMs.
// Every outcome but kFirstBlock leaves the connection closed.
FetchOutcome FirstBlockOver(HttpConnection& connection, const WebRequestTarget& target,
                            std::size_t firstReadSize, int timeoutMs, HostLookups* lookups,
                            const std::atomic<bool>& keepGoing, std::string* firstBlock,
                            std::string* failure,
                            const RequestHeaderText& headers = DefaultRequestHeaders()) {
    const ConnectionOpening opening =
        connection.Open(target, lookups, 0, timeoutMs, keepGoing, failure);
    if (opening != ConnectionOpening::kReady) return OutcomeOf(opening);
    std::size_t count = 0;
    firstBlock->assign(firstReadSize, '\0');
    if (!connection.SendAll(GetRequestFor(target, headers), timeoutMs) ||
        connection.Read(firstBlock->data(), firstReadSize, timeoutMs, &count) !=
            ResponseSource::ReadStatus::kData) {
        firstBlock->clear();
        connection.Close();
        return FetchOutcome::kNoResponse;
    }
    firstBlock->resize(std::min(count, firstReadSize));
    return FetchOutcome::kFirstBlock;
}

void KeepRedirectHeaders(std::string_view head, std::string& location, std::string& retryAfter) {
    location = HeaderValue(FirstBlockText(head), "Location");
    retryAfter = HeaderValue(FirstBlockText(head), "Retry-After");
}

WebResponse ClassicExchange(HttpConnection& connection, const WebRequestTarget& target,
                            ResponseUse use, HostLookups* lookups, const BodyLimits& limits,
                            const RequestHeaderText& headers) {
    const bool status = use == ResponseUse::kStatusOnly;
    WebResponse response;
    response.outcome =
        FirstBlockOver(connection, target, status ? kExternalFirstRead : kPageFirstRead,
                       use == ResponseUse::kPage ? kPageFirstTimeoutMs : kExternalFirstTimeoutMs,
                       lookups, NeverStopped(), &response.firstBlock, &response.failure, headers);
    if (response.outcome != FetchOutcome::kFirstBlock) return response;
    KeepRedirectHeaders(response.firstBlock, response.location, response.retryAfter);
    if (use == ResponseUse::kPage) {
        response.body = ReadTextBody(response.firstBlock, connection, limits);
    }
    connection.Close();
    return response;
}

enum class HeadRead { kEnded, kTooLong, kCutShort };

// Reads up to the blank line after the head; what came after it stays in
// *rest. Without that line, *head holds everything that came.
HeadRead ReadHead(BoundedReader& reader, ResponseUse use, ExactResponse& response,
                  std::string* head, std::string* rest) {
    std::string received;
    int timeoutMs = kPageFirstTimeoutMs;
    HeadRead result = HeadRead::kCutShort;
    for (;;) {
        const std::string_view block = reader.Read(timeoutMs);
        if (block.empty()) break;
        response.answered = true;
        received.append(block);
        timeoutMs = kBodyReadTimeoutMs;
        // A status check needs the status line and no more.
        if (use == ResponseUse::kStatusOnly &&
            (received.find('\n') != std::string::npos || received.size() >= kExternalFirstRead)) {
            break;
        }
        if (const std::optional<std::size_t> start = BodyStart(received)) {
            *rest = received.substr(*start);
            received.resize(*start);
            *head = std::move(received);
            return HeadRead::kEnded;
        }
        if (received.size() > kMaxHeadBytes) {
            result = HeadRead::kTooLong;
            break;
        }
    }
    *head = std::move(received);
    return result;
}

// Reads the rest of a body that has a length after the head; true when it
// ended exactly there.
bool ReadSizedBody(BoundedReader& reader, std::uint64_t length, std::string_view alreadyRead,
                   BodyText& text) {
    std::uint64_t missing = length;
    std::string_view block = alreadyRead;
    bool extra = false;
    for (bool first = true; first || (missing > 0 && !text.Full()); first = false) {
        if (!first) {
            block = reader.Read(kBodyReadTimeoutMs);
            if (block.empty()) return false;
        }
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(missing, block.size()));
        text.Append(block.substr(0, count));
        missing -= count;
        extra = count < block.size();
    }
    return missing == 0 && !extra && !text.Full();
}

bool ReadChunkedBody(BoundedReader& reader, std::string_view alreadyRead, BodyText& text) {
    ChunkedBody chunks(ChunkedBody::Rules::kExact);
    bool extra = chunks.Feed(alreadyRead, text) < alreadyRead.size();
    while (!chunks.Done() && !chunks.Broken() && !text.Full()) {
        const std::string_view block = reader.Read(kBodyReadTimeoutMs);
        if (block.empty()) return false;
        extra = chunks.Feed(block, text) < block.size();
    }
    return chunks.Done() && !extra && !text.Full();
}

// Reads the rest of a body after the head; true when it ended exactly where
// its framing says, so that the connection may carry another response.
bool ReadBody(BoundedReader& reader, const Framing& framing, std::string_view alreadyRead,
              BodyText& text) {
    if (framing.noBody) return alreadyRead.empty();
    if (framing.chunked) return ReadChunkedBody(reader, alreadyRead, text);
    if (framing.contentLength)
        return ReadSizedBody(reader, *framing.contentLength, alreadyRead, text);
    // Neither length nor chunks: the body ends at the server's close, or at
    // a pause as long as the classic reading waits.
    text.Append(alreadyRead);
    while (!text.Full()) {
        const std::string_view block = reader.Read(kBodyReadTimeoutMs);
        if (block.empty()) break;
        text.Append(block);
    }
    return false;
}

WebResponse FailedOpening(ConnectionOpening opening, std::string failure) {
    WebResponse response;
    response.outcome = OutcomeOf(opening);
    response.failure = std::move(failure);
    return response;
}

ExactResponse SendAndReadExactly(HttpConnection& connection, const WebRequestTarget& target,
                                 ResponseUse use, const BodyLimits& limits,
                                 const RequestHeaderText& headers) {
    if (!connection.SendAll(GetRequestFor(target, headers), kPageFirstTimeoutMs)) {
        ExactResponse unsent;
        unsent.closedUnanswered = true;
        return unsent;
    }
    return ReadExactResponse(connection, use, limits);
}

WebResponse ExactExchange(HttpConnection& connection, const WebRequestTarget& target,
                          ResponseUse use, HostLookups* lookups, const std::atomic<bool>& keepGoing,
                          const BodyLimits& limits, const RequestHeaderText& headers) {
    for (bool firstTry = true;; firstTry = false) {
        const bool kept = connection.IsOpen();
        if (!kept) {
            std::string failure;
            const ConnectionOpening opening = connection.Open(
                target, lookups, kPageFirstTimeoutMs, kPageFirstTimeoutMs, keepGoing, &failure);
            if (opening != ConnectionOpening::kReady) return FailedOpening(opening, failure);
        }
        ExactResponse exact = SendAndReadExactly(connection, target, use, limits, headers);
        // A kept connection the server closed meanwhile is replaced once.
        if (kept && firstTry && exact.closedUnanswered && keepGoing) {
            connection.Close();
            continue;
        }
        if (!exact.reusable) connection.Close();
        WebResponse response;
        response.outcome = exact.answered ? FetchOutcome::kFirstBlock : FetchOutcome::kNoResponse;
        response.firstBlock = std::move(exact.firstBlock);
        response.body = std::move(exact.body);
        response.location = std::move(exact.location);
        response.retryAfter = std::move(exact.retryAfter);
        response.reusable = exact.reusable;
        return response;
    }
}

}  // namespace

WebResponse Exchange(ReadingStyle style, HttpConnection& connection, const WebRequestTarget& target,
                     ResponseUse use, HostLookups* lookups, const std::atomic<bool>& keepGoing,
                     const BodyLimits& limits, const RequestHeaderText& headers) {
    if (style == ReadingStyle::kClassic) {
        return ClassicExchange(connection, target, use, lookups, limits, headers);
    }
    return ExactExchange(connection, target, use, lookups, keepGoing, limits, headers);
}

FirstBlockResult FetchFirstBlock(std::string_view address, std::size_t firstReadSize, int timeoutMs,
                                 HttpsLinks https) {
    // The address is a C string to the request: nothing after a zero byte.
    address = address.substr(0, address.find('\0'));
    FirstBlockResult result;
    auto connection = std::make_unique<HttpConnection>();
    result.outcome =
        FirstBlockOver(*connection, RequestTargetOf(address, https), firstReadSize, timeoutMs,
                       nullptr, NeverStopped(), &result.firstBlock, &result.failure);
    if (result.outcome == FetchOutcome::kFirstBlock) result.connection = std::move(connection);
    return result;
}

std::string ReadTextBody(std::string_view firstBlock, ResponseSource& source,
                         const BodyLimits& limits) {
    if (!AnnouncesText(firstBlock)) return {};
    BoundedReader reader(source, kBodyReadSize, limits.maxReadTime);
    if (AnnouncesChunks(firstBlock)) {
        std::string body;
        DecodeChunksLeniently(firstBlock, reader, body, limits.maxBytes);
        return body;
    }
    return TextAfterHead(std::string(firstBlock), reader, limits.maxBytes);
}

void DecodeChunkedBody(std::string_view firstBlock, ResponseSource& source, std::string& body,
                       const BodyLimits& limits) {
    BoundedReader reader(source, kBodyReadSize, limits.maxReadTime);
    DecodeChunksLeniently(firstBlock, reader, body, limits.maxBytes);
}

ExactResponse ReadExactResponse(ResponseSource& source, ResponseUse use, const BodyLimits& limits) {
    ExactResponse response;
    BoundedReader reader(source, kExactReadSize, limits.maxReadTime);
    std::string head;
    std::string rest;
    const HeadRead headRead = ReadHead(reader, use, response, &head, &rest);
    if (!response.answered) {
        response.closedUnanswered = reader.Ended();
        return response;
    }
    KeepRedirectHeaders(head, response.location, response.retryAfter);
    // A followed check keeps its whole head: its status line is read the
    // same way from it, and its Location is there however long the head.
    if (use == ResponseUse::kHead) {
        response.firstBlock = std::move(head);
        return response;
    }
    const std::size_t firstRead = use == ResponseUse::kPage ? kPageFirstRead : kExternalFirstRead;
    response.firstBlock = head.substr(0, firstRead);
    if (use == ResponseUse::kStatusOnly) return response;
    const bool text = AnnouncesText(response.firstBlock);
    if (headRead != HeadRead::kEnded) {
        // No head that ends: the connection goes after it.
        if (text) response.body = TextAfterHead(std::move(head), reader, limits.maxBytes);
        return response;
    }
    const Framing framing = FramingOf(head);
    // A long body that is not read anyway is not waited for: the connection goes.
    if (!text && !framing.noBody &&
        (framing.chunked || !framing.contentLength ||
         *framing.contentLength > kMaxDroppedBodyBytes)) {
        return response;
    }
    BodyText body(text ? &response.body : nullptr, limits.maxBytes);
    const bool endedExactly = ReadBody(reader, framing, rest, body);
    response.reusable = endedExactly && !framing.closes && !reader.Ended();
    return response;
}
