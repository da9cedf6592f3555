// One HTTP/1.1 GET exchange: the request, the first block, the status text
// and the body. Chunked bodies go through a streaming decoder, so the result
// does not depend on how the server's bytes are split into reads.
#include "engine/http_client.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "engine/hex_digit.h"
#include "engine/tls_client_socket.h"

namespace {

using Clock = std::chrono::steady_clock;

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

// A single send may take only part of a long request; the rest follows until
// all is sent or the connection fails (which then shows as no response).
void SendWhole(CClientSocket& socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const long sent = socket.Send(bytes.data(), bytes.size());
        if (sent <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

// The reads after the first block. Each waits at most 500 ms and never past
// the deadline, so a server that trickles bytes cannot hold the caller longer
// than the read-time limit.
class BodyReader {
public:
    BodyReader(CClientSocket& socket, std::chrono::milliseconds maxReadTime)
        : m_socket(socket), m_deadline(Clock::now() + maxReadTime) {}

    // At most size (up to 1023) bytes; empty when nothing came in time, the
    // server closed or the time is up.
    std::string_view Read(std::size_t size) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
        if (left <= 0) return {};
        const int timeoutMs = static_cast<int>(std::min<long long>(left, kBodyReadTimeoutMs));
        size = std::min(size, kBodyReadSize);
        const std::size_t count =
            std::min(m_socket.Receive(m_buffer.data(), size, timeoutMs), size);
        return {m_buffer.data(), count};
    }

private:
    CClientSocket& m_socket;
    Clock::time_point m_deadline;
    std::array<char, kBodyReadSize + 1> m_buffer{};
};

// Appends bytes to text without letting text grow past maxBytes; false once
// the bound is reached.
bool AppendWithin(std::string& text, std::string_view bytes, std::size_t maxBytes) {
    const std::size_t room = maxBytes > text.size() ? maxBytes - text.size() : 0;
    text.append(bytes.substr(0, room));
    return text.size() < maxBytes;
}

// A body without chunked coding: everything up to a read that brings nothing,
// with the headers and the blank line after them removed.
std::string ReadPlainBody(std::string_view firstBlock, BodyReader& reader, std::size_t maxBytes) {
    std::string text;
    bool room = AppendWithin(text, firstBlock, maxBytes);
    while (room) {
        const std::string_view block = reader.Read(kBodyReadSize);
        if (block.empty()) break;
        room = AppendWithin(text, block, maxBytes);
    }
    const std::size_t headerEnd = text.find(kHeaderEnd);
    if (headerEnd != std::string::npos) text.erase(0, headerEnd + kHeaderEnd.size());
    return text;
}

// Decodes a chunked response fed in pieces of any size: first the rest of the
// headers up to the blank line, then size lines (blank lines before a size
// are skipped, an extension after the digits is ignored) and chunk data. A
// zero size, or a size line without digits, ends the body; trailers are not
// read.
class ChunkedDecoder {
public:
    ChunkedDecoder(std::string& body, std::size_t maxBytes)
        : m_body(body), m_bodyLimit(body.size() + std::min(maxBytes, SIZE_MAX - body.size())) {}

    void Feed(std::string_view bytes) {
        while (!bytes.empty() && !Finished()) {
            if (m_state == State::kData) {
                bytes.remove_prefix(TakeData(bytes));
            } else {
                TakeControlByte(bytes.front());
                bytes.remove_prefix(1);
            }
        }
    }

    [[nodiscard]] bool Finished() const { return m_state == State::kFinished; }

    // Chunk data is read in blocks of up to 1023 bytes, everything else in
    // reads the size of a short size line.
    [[nodiscard]] std::size_t NextReadSize() const {
        if (m_state == State::kHeader) return kBodyReadSize;
        if (m_state == State::kData) {
            return static_cast<std::size_t>(std::min<std::uint64_t>(m_missing, kBodyReadSize));
        }
        return kChunkSizeReadSize;
    }

private:
    enum class State { kHeader, kBeforeSize, kSizeDigits, kSizeLineRest, kData, kFinished };

    std::size_t TakeData(std::string_view bytes) {
        const std::size_t room = m_bodyLimit - m_body.size();
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>({m_missing, bytes.size(), room}));
        m_body.append(bytes.substr(0, count));
        m_missing -= count;
        if (m_body.size() == m_bodyLimit) {
            m_state = State::kFinished;
        } else if (m_missing == 0) {
            m_state = State::kBeforeSize;
        }
        return count;
    }

    void TakeControlByte(char c) {
        switch (m_state) {
            case State::kHeader:
                MatchHeaderEnd(c);
                break;
            case State::kBeforeSize:
                // The line end after chunk data and any blank lines before
                // the size are passed over.
                if (c == '\r' || c == '\n' || c == ' ' || c == '\t') break;
                if (HexDigitValue(c) < 0) {
                    m_state = State::kFinished;
                    break;
                }
                m_chunkSize = 0;
                m_state = State::kSizeDigits;
                AddSizeDigit(c);
                break;
            case State::kSizeDigits:
                if (HexDigitValue(c) >= 0) {
                    AddSizeDigit(c);
                } else if (m_chunkSize == 0) {
                    m_state = State::kFinished;
                } else {
                    m_state = State::kSizeLineRest;
                    TakeControlByte(c);
                }
                break;
            case State::kSizeLineRest:
                if (c == '\n') {
                    m_missing = m_chunkSize;
                    m_state = State::kData;
                }
                break;
            case State::kData:
            case State::kFinished:
                break;
        }
    }

    void MatchHeaderEnd(char c) {
        if (c == kHeaderEnd[m_headerEndMatched]) {
            ++m_headerEndMatched;
        } else {
            m_headerEndMatched = c == '\r' ? 1 : 0;
        }
        if (m_headerEndMatched == kHeaderEnd.size()) m_state = State::kBeforeSize;
    }

    // Sizes beyond what could ever be read stay at the largest value.
    void AddSizeDigit(char c) {
        constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
        m_chunkSize = m_chunkSize > (kMax >> 4)
                          ? kMax
                          : (m_chunkSize << 4) | static_cast<std::uint64_t>(HexDigitValue(c));
    }

    std::string& m_body;
    const std::size_t m_bodyLimit;
    State m_state = State::kHeader;
    std::size_t m_headerEndMatched = 0;
    std::uint64_t m_chunkSize = 0;
    std::uint64_t m_missing = 0;
};

void DecodeChunks(std::string_view firstBlock, BodyReader& reader, std::string& body,
                  std::size_t maxBytes) {
    ChunkedDecoder decoder(body, maxBytes);
    decoder.Feed(firstBlock);
    while (!decoder.Finished()) {
        const std::string_view block = reader.Read(decoder.NextReadSize());
        if (block.empty()) return;
        decoder.Feed(block);
    }
}

}  // namespace

CClientSocket::~CClientSocket() { CClientSocket::Close(); }

bool CClientSocket::Create() {
    Close();
    m_socket = CreateTcpClientSocket();
    return m_socket != kInvalidSocket;
}

bool CClientSocket::Connect(unsigned short port, const char* host) {
    return m_socket != kInvalidSocket && ConnectTcpSocket(m_socket, port, host);
}

bool CClientSocket::StartSession(const WebRequestTarget& target, int timeoutMs,
                                 std::string* failure) {
    (void)target;
    (void)timeoutMs;
    (void)failure;
    return true;
}

long CClientSocket::Send(const char* data, std::size_t length) {
    if (m_socket == kInvalidSocket) return -1;
    return SendOnSocket(m_socket, data, length);
}

std::size_t CClientSocket::Receive(char* buffer, std::size_t size, int timeoutMs) {
    if (m_socket == kInvalidSocket || size == 0) return 0;
    if (WaitUntilReadable(m_socket, timeoutMs) != Readiness::kReadable) return 0;
    const long count = ReceiveOnSocket(m_socket, buffer, size);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void CClientSocket::Close() {
    CloseSocket(m_socket);
    m_socket = kInvalidSocket;
}

FirstBlockResult FetchFirstBlock(std::string_view address, std::size_t firstReadSize, int timeoutMs,
                                 HttpsLinks https) {
    // The address is a C string to the request: nothing after a zero byte.
    address = address.substr(0, address.find('\0'));
    const WebRequestTarget target = RequestTargetOf(address, https);
    FirstBlockResult result;
    std::unique_ptr<CClientSocket> socket =
        target.secure ? MakeTlsClientSocket() : std::make_unique<CClientSocket>();
    if (!socket->Create()) {
        result.outcome = FetchOutcome::kNoSocket;
        return result;
    }
    if (!socket->Connect(target.port, target.connectHost.c_str())) {
        result.outcome = FetchOutcome::kNoConnection;
        return result;
    }
    if (!socket->StartSession(target, timeoutMs, &result.failure)) {
        result.outcome = FetchOutcome::kNoSecureChannel;
        return result;
    }
    SendWhole(*socket, GetRequestFor(target));
    std::string block(firstReadSize + 1, '\0');
    const std::size_t count =
        std::min(socket->Receive(block.data(), firstReadSize, timeoutMs), firstReadSize);
    if (count == 0) {
        result.outcome = FetchOutcome::kNoResponse;
        return result;
    }
    block.resize(count);
    result.outcome = FetchOutcome::kFirstBlock;
    result.firstBlock = std::move(block);
    result.socket = std::move(socket);
    return result;
}

std::string GetRequestFor(const WebRequestTarget& target) {
    return FormatGetRequest(RequestTarget(target.path), target.host);
}

bool AnnouncesText(std::string_view firstBlock) {
    return FirstBlockHas(firstBlock, kTextContentMark);
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

std::string ReadTextBody(std::string_view firstBlock, CClientSocket& socket,
                         const BodyLimits& limits) {
    if (!AnnouncesText(firstBlock)) return {};
    BodyReader reader(socket, limits.maxReadTime);
    if (FirstBlockHas(firstBlock, kChunkedMark)) {
        std::string body;
        DecodeChunks(firstBlock, reader, body, limits.maxBytes);
        return body;
    }
    return ReadPlainBody(firstBlock, reader, limits.maxBytes);
}

void DecodeChunkedBody(std::string_view firstBlock, CClientSocket& socket, std::string& body,
                       const BodyLimits& limits) {
    BodyReader reader(socket, limits.maxReadTime);
    DecodeChunks(firstBlock, reader, body, limits.maxBytes);
}
