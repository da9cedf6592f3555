// Kept-alive connections and the exchanges over them: the head read up to
// its blank line, then the body framed as the head says (RFC 9112 section
// 6.3), so that the next response on the connection starts where this one
// ends.
#include "engine/kept_alive_exchange.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "engine/ascii_case.h"
#include "engine/hex_digit.h"
#include "engine/tls_client_socket.h"
#include "platform/tls.h"

namespace {

using Clock = std::chrono::steady_clock;

// A head longer than this ends the connection after the response.
constexpr std::size_t kMaxHeadBytes = 64 * 1024;
// A body of a response that is not text is read and dropped to keep the
// connection when it is no longer than this; a longer one ends it.
constexpr std::uint64_t kMaxDroppedBodyBytes = 256 * 1024;
// Waits in a connect are cut into slices this long to notice a Stop.
constexpr int kConnectSliceMs = 50;
constexpr std::size_t kReadSize = 16 * 1024;

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// What the head says of the body that follows it.
struct Framing {
    bool noBody = false;
    bool chunked = false;
    std::optional<std::uint64_t> contentLength;
    // The server closes the connection after this response.
    bool closes = false;
};

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

Framing FramingOf(std::string_view head) {
    Framing framing;
    const std::size_t lineEnd = head.find('\n');
    const std::string_view statusLine = head.substr(0, lineEnd);
    const bool http10 = statusLine.starts_with("HTTP/1.0");
    int status = 0;
    if (statusLine.size() >= 12 && statusLine[8] == ' ') {
        for (std::size_t i = 9; i < 12 && statusLine[i] >= '0' && statusLine[i] <= '9'; ++i) {
            status = status * 10 + (statusLine[i] - '0');
        }
    }
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
    if (http10 && !keepAlive) framing.closes = true;
    if (framing.chunked) framing.contentLength.reset();
    return framing;
}

// A chunked body read to its exact end: size lines (an extension after ";"
// is passed over), data, the line end after each chunk, the last chunk and
// the trailer section up to its blank line.
class ChunkedFraming {
public:
    // Takes bytes; data goes to sink. Returns how many bytes belonged to the
    // body: after Done() the rest is not this response's.
    template <typename Sink>
    std::size_t Feed(std::string_view bytes, Sink&& sink) {
        std::size_t used = 0;
        while (used < bytes.size() && !Done() && !m_broken) {
            if (m_state == State::kData) {
                const std::size_t count = static_cast<std::size_t>(
                    std::min<std::uint64_t>(m_missing, bytes.size() - used));
                sink(bytes.substr(used, count));
                used += count;
                m_missing -= count;
                if (m_missing == 0) m_state = State::kDataEnd;
                continue;
            }
            Take(bytes[used++]);
        }
        return used;
    }

    [[nodiscard]] bool Done() const { return m_state == State::kDone; }
    [[nodiscard]] bool Broken() const { return m_broken; }

private:
    enum class State {
        kSize,
        kSizeLineRest,
        kData,
        kDataEnd,
        kTrailerLineStart,
        kTrailerLine,
        kDone
    };

    void Take(char c) {
        switch (m_state) {
            case State::kSize:
                TakeSizeCharacter(c);
                break;
            case State::kSizeLineRest:
                if (c == '\n') StartChunk();
                break;
            case State::kDataEnd:
                if (c == '\n')
                    m_state = State::kSize;
                else if (c != '\r')
                    m_broken = true;
                break;
            case State::kTrailerLineStart:
                if (c == '\n')
                    m_state = State::kDone;
                else if (c != '\r')
                    m_state = State::kTrailerLine;
                break;
            case State::kTrailerLine:
                if (c == '\n') m_state = State::kTrailerLineStart;
                break;
            case State::kData:
            case State::kDone:
                break;
        }
    }

    void TakeSizeCharacter(char c) {
        const int digit = HexDigitValue(c);
        if (digit >= 0) {
            // A size beyond what any body may hold is broken framing.
            if (m_size > (UINT64_MAX >> 8)) m_broken = true;
            m_size = (m_size << 4) | static_cast<std::uint64_t>(digit);
            m_digits = true;
        } else if (!m_digits) {
            m_broken = true;
        } else if (c == '\n') {
            StartChunk();
        } else {
            m_state = State::kSizeLineRest;
        }
    }

    void StartChunk() {
        m_missing = m_size;
        m_state = m_size == 0 ? State::kTrailerLineStart : State::kData;
        m_size = 0;
        m_digits = false;
    }

    State m_state = State::kSize;
    std::uint64_t m_size = 0;
    std::uint64_t m_missing = 0;
    bool m_digits = false;
    bool m_broken = false;
};

// Reads from one connection within the bounds of one response.
class ResponseReader {
public:
    ResponseReader(KeptConnection& connection, const BodyLimits& limits)
        : m_connection(connection), m_deadline(Clock::now() + limits.maxReadTime) {}

    // Up to kReadSize bytes, waiting at most timeoutMs and never past the
    // response's deadline; empty when nothing came. Ended() tells a close.
    std::string_view Read(int timeoutMs) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
        if (left <= 0 || m_ended) return {};
        std::size_t count = 0;
        const auto status =
            m_connection.Read(m_buffer.data(), m_buffer.size(),
                              static_cast<int>(std::min<long long>(left, timeoutMs)), &count);
        if (status == KeptConnection::ReadStatus::kEnded) m_ended = true;
        if (status != KeptConnection::ReadStatus::kData) return {};
        return {m_buffer.data(), count};
    }

    [[nodiscard]] bool Ended() const { return m_ended; }

private:
    KeptConnection& m_connection;
    Clock::time_point m_deadline;
    std::array<char, kReadSize> m_buffer{};
    bool m_ended = false;
};

// The body of a response, kept (a text page) or dropped, with the bound on
// what is kept.
class BodySink {
public:
    BodySink(std::string* body, std::size_t maxBytes) : m_body(body), m_maxBytes(maxBytes) {}
    void operator()(std::string_view bytes) {
        if (m_body == nullptr) return;
        const std::size_t room = m_maxBytes > m_body->size() ? m_maxBytes - m_body->size() : 0;
        if (bytes.size() > room) m_full = true;
        m_body->append(bytes.substr(0, room));
    }
    [[nodiscard]] bool Full() const { return m_full; }

private:
    std::string* m_body;
    std::size_t m_maxBytes;
    bool m_full = false;
};

// Reads the rest of a body after the head; true when it ended exactly where
// its framing says, so that the connection may carry another response.
bool ReadBody(ResponseReader& reader, const Framing& framing, std::string_view alreadyRead,
              BodySink& sink) {
    if (framing.noBody) return alreadyRead.empty();
    if (framing.chunked) {
        ChunkedFraming chunks;
        std::size_t used = chunks.Feed(alreadyRead, sink);
        bool extra = used < alreadyRead.size();
        while (!chunks.Done() && !chunks.Broken() && !sink.Full()) {
            const std::string_view block = reader.Read(kBodyReadTimeoutMs);
            if (block.empty()) return false;
            used = chunks.Feed(block, sink);
            extra = used < block.size();
        }
        return chunks.Done() && !extra && !sink.Full();
    }
    if (framing.contentLength) {
        std::uint64_t missing = *framing.contentLength;
        const std::size_t first =
            static_cast<std::size_t>(std::min<std::uint64_t>(missing, alreadyRead.size()));
        sink(alreadyRead.substr(0, first));
        missing -= first;
        bool extra = first < alreadyRead.size();
        while (missing > 0 && !sink.Full()) {
            const std::string_view block = reader.Read(kBodyReadTimeoutMs);
            if (block.empty()) return false;
            const std::size_t count =
                static_cast<std::size_t>(std::min<std::uint64_t>(missing, block.size()));
            sink(block.substr(0, count));
            missing -= count;
            extra = count < block.size();
        }
        return missing == 0 && !extra && !sink.Full();
    }
    // Neither length nor chunks: the body ends at the server's close, or at
    // a pause as long as the classic client waits.
    sink(alreadyRead);
    while (!sink.Full()) {
        const std::string_view block = reader.Read(kBodyReadTimeoutMs);
        if (block.empty()) break;
        sink(block);
    }
    return false;
}

enum class HeadRead { kEnded, kTooLong, kCutShort };

// Reads up to the blank line after the head; what came after it stays in
// *rest. Without that line, *head holds everything that came.
HeadRead ReadHead(ResponseReader& reader, ResponseUse use, KeptAliveResponse& response,
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
        const std::size_t end = received.find(kHeaderEnd);
        if (end != std::string::npos) {
            *head = received.substr(0, end + kHeaderEnd.size());
            *rest = received.substr(end + kHeaderEnd.size());
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

// A response whose head does not end where a head may: read on as the
// classic client reads, until the server closes or pauses, and taken as it
// takes it: the text after the first blank line, or all of it without one.
void ReadAsClassicText(ResponseReader& reader, std::string received, std::size_t maxBytes,
                       BodySink& sink) {
    while (received.size() < maxBytes) {
        const std::string_view block = reader.Read(kBodyReadTimeoutMs);
        if (block.empty()) break;
        received.append(block.substr(0, maxBytes - received.size()));
    }
    const std::size_t end = received.find(kHeaderEnd);
    sink(end == std::string::npos ? std::string_view(received)
                                  : std::string_view(received).substr(end + kHeaderEnd.size()));
}

}  // namespace

KeptConnection::KeptConnection() = default;

KeptConnection::~KeptConnection() { Close(); }

FetchOutcome KeptConnection::Open(const WebRequestTarget& target, HostLookups& lookups,
                                  int timeoutMs, const std::atomic<bool>& keepGoing,
                                  std::string* failure) {
    Close();
    m_socket = CreateTcpClientSocket();
    if (m_socket == kInvalidSocket) return FetchOutcome::kNoSocket;
    const std::optional<HostAddress> address = lookups.AddressOf(target.connectHost, keepGoing);
    if (!address) {
        Close();
        return FetchOutcome::kNoConnection;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ConnectStart start = StartTcpConnect(m_socket, target.port, *address);
    while (start == ConnectStart::kInProgress && keepGoing && Clock::now() < deadline) {
        const Readiness ready = WaitUntilWritable(m_socket, kConnectSliceMs);
        if (ready == Readiness::kWritable) {
            start = FinishTcpConnect(m_socket) ? ConnectStart::kConnected : ConnectStart::kFailed;
        } else if (ready == Readiness::kFailed) {
            start = ConnectStart::kFailed;
        }
    }
    if (start != ConnectStart::kConnected) {
        Close();
        return FetchOutcome::kNoConnection;
    }
    // Each request is one write: sending it at once saves the peer's
    // delayed acknowledgement on every exchange of a kept connection.
    SendWithoutDelay(m_socket);
    if (!target.secure) return FetchOutcome::kFirstBlock;
    m_tls = std::make_unique<TlsClientConnection>();
    const TlsHandshakeResult result =
        m_tls->Handshake(m_socket, target.connectHost, target.port, timeoutMs);
    if (result.outcome == TlsHandshakeOutcome::kEstablished) return FetchOutcome::kFirstBlock;
    *failure = HandshakeFailureState(result);
    Close();
    return FetchOutcome::kNoSecureChannel;
}

bool KeptConnection::SendAll(std::string_view bytes, int timeoutMs) {
    if (!IsOpen()) return false;
    if (m_tls) return m_tls->Send(bytes.data(), bytes.size(), timeoutMs) >= 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!bytes.empty()) {
        const long sent = SendOnSocket(m_socket, bytes.data(), bytes.size());
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 ||
            WaitUntilWritable(m_socket, static_cast<int>(left)) != Readiness::kWritable)
            return false;
    }
    return true;
}

KeptConnection::ReadStatus KeptConnection::Read(char* buffer, std::size_t size, int timeoutMs,
                                                std::size_t* count) {
    *count = 0;
    if (!IsOpen()) return ReadStatus::kEnded;
    if (m_tls) {
        *count = m_tls->Receive(buffer, size, timeoutMs);
        if (*count > 0) return ReadStatus::kData;
        return m_tls->IsOpen() ? ReadStatus::kTimedOut : ReadStatus::kEnded;
    }
    const Readiness ready = WaitUntilReadable(m_socket, timeoutMs);
    if (ready == Readiness::kTimedOut) return ReadStatus::kTimedOut;
    if (ready != Readiness::kReadable) return ReadStatus::kEnded;
    const long received = ReceiveOnSocket(m_socket, buffer, size);
    if (received <= 0) return ReadStatus::kEnded;
    *count = static_cast<std::size_t>(received);
    return ReadStatus::kData;
}

void KeptConnection::Close() {
    if (m_tls) m_tls->Close();
    m_tls.reset();
    if (m_socket != kInvalidSocket) CloseSocket(m_socket);
    m_socket = kInvalidSocket;
}

void ShutdownKeptConnection(const KeptConnection& connection) {
    if (connection.IsOpen()) ShutdownSocket(connection.Handle());
}

KeptAliveResponse ExchangeOverKeptConnection(KeptConnection& connection,
                                             const WebRequestTarget& target, ResponseUse use,
                                             const BodyLimits& limits) {
    KeptAliveResponse response;
    if (!connection.SendAll(GetRequestFor(target), kPageFirstTimeoutMs)) {
        response.closedUnanswered = true;
        return response;
    }
    ResponseReader reader(connection, limits);
    std::string head;
    std::string rest;
    const HeadRead headRead = ReadHead(reader, use, response, &head, &rest);
    if (!response.answered) {
        response.closedUnanswered = reader.Ended();
        return response;
    }
    response.outcome = FetchOutcome::kFirstBlock;
    const std::size_t firstRead = use == ResponseUse::kPage ? kPageFirstRead : kExternalFirstRead;
    response.firstBlock = head.substr(0, firstRead);
    if (use == ResponseUse::kStatusOnly) return response;
    const bool text = AnnouncesText(response.firstBlock);
    BodySink sink(text ? &response.body : nullptr, limits.maxBytes);
    if (headRead != HeadRead::kEnded) {
        // No head that ends: the connection goes after it.
        if (text) ReadAsClassicText(reader, std::move(head), limits.maxBytes, sink);
        return response;
    }
    const Framing framing = FramingOf(head);
    // A long body that is not read anyway is not waited for: the connection goes.
    if (!text && !framing.noBody &&
        (framing.chunked || !framing.contentLength ||
         *framing.contentLength > kMaxDroppedBodyBytes)) {
        return response;
    }
    const bool endedExactly = ReadBody(reader, framing, rest, sink);
    response.reusable = endedExactly && !framing.closes && !reader.Ended();
    if (response.reusable) connection.CountExchange();
    return response;
}
