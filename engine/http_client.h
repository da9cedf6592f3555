// The HTTP/1.1 client: one GET exchange per CClientSocket, to port 80 over
// plain TCP or, for https addresses while https links are checked, over TLS;
// the first block of the response, its status text and, for text responses,
// the body (chunked or not). Each exchange owns its socket and buffers, so
// any thread may run one.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "engine/url_functions.h"
#include "platform/socket.h"

// One TCP client socket for one exchange; closed by Close or the destructor.
// The operations are virtual so that a TLS connection can run over the
// socket, and so that tests can feed a response in reads of their choosing.
class CClientSocket {
public:
    CClientSocket() = default;
    virtual ~CClientSocket();
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;

    // Makes an IPv4 TCP socket bound to the wildcard address, port 0.
    [[nodiscard]] virtual bool Create();
    // Connects to host (a name or a dotted IPv4 address) at port.
    [[nodiscard]] virtual bool Connect(unsigned short port, const char* host);
    // Makes the connected socket ready to carry requests to target, within
    // timeoutMs: nothing to do over plain TCP. False, with the row's state
    // text in *failure, when it cannot be made ready.
    [[nodiscard]] virtual bool StartSession(const WebRequestTarget& target, int timeoutMs,
                                            std::string* failure);
    // One send of length bytes; bytes sent or -1.
    virtual long Send(const char* data, std::size_t length);
    // Waits up to timeoutMs for data and reads at most size bytes. Returns
    // the count read, or 0 on time-out, close or error. buffer needs room for
    // size + 1 bytes: callers add a terminating zero.
    [[nodiscard]] virtual std::size_t Receive(char* buffer, std::size_t size, int timeoutMs);
    virtual void Close();

protected:
    [[nodiscard]] SocketHandle Handle() const { return m_socket; }

private:
    SocketHandle m_socket = kInvalidSocket;
};

enum class FetchOutcome { kNoSocket, kNoConnection, kNoSecureChannel, kNoResponse, kFirstBlock };

// What the first part of an exchange yields: the outcome and, with
// kFirstBlock, the first block's bytes and the still-open socket (null with
// every other outcome: the connection is already closed).
struct FirstBlockResult {
    FetchOutcome outcome = FetchOutcome::kNoSocket;
    std::string firstBlock;
    // With kNoSecureChannel, why: "Certificate error: ..." or "TLS error: ...".
    std::string failure;
    std::unique_ptr<CClientSocket> socket;
};

// The blank line that ends a response's head.
inline constexpr std::string_view kHeaderEnd = "\r\n\r\n";

// First-read sizes and time-outs of the three callers.
inline constexpr std::size_t kPageFirstRead = 1000;
inline constexpr std::size_t kExternalFirstRead = 200;
inline constexpr std::size_t kEditFirstRead = 1000;
inline constexpr int kPageFirstTimeoutMs = 10000;
inline constexpr int kExternalFirstTimeoutMs = 10000;
inline constexpr int kEditFirstTimeoutMs = 5000;

// Reads after the first block: body blocks, and chunk-size lines.
inline constexpr std::size_t kBodyReadSize = 1023;
inline constexpr std::size_t kChunkSizeReadSize = 10;
// A body ends at a read that brings nothing within this time.
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

// Connects to the address's request target (RequestTargetOf), over TLS for
// an https address while https links are checked, sends the GET request and
// reads the first block. The TLS handshake is bounded by timeoutMs as well.
[[nodiscard]] FirstBlockResult FetchFirstBlock(std::string_view address, std::size_t firstReadSize,
                                               int timeoutMs,
                                               HttpsLinks https = HttpsLinks::kIgnored);

// The request a GET exchange sends for target: the path percent-encoded
// where a request line cannot carry it raw, and the same headers always.
[[nodiscard]] std::string GetRequestFor(const WebRequestTarget& target);

// True when the first block announces a text response ("ype: text"): only
// then is a body read.
[[nodiscard]] bool AnnouncesText(std::string_view firstBlock);

// The first block as every header test reads it: zero-terminated text, so
// nothing after a zero byte counts.
[[nodiscard]] std::string_view FirstBlockText(std::string_view firstBlock);

// The status text: the first line of the first block (at most its first 100
// bytes) from its tenth byte on; empty when the line is shorter than ten bytes.
[[nodiscard]] std::string StatusTextOf(std::string_view firstBlock);

// The body of a text response ("ype: text" in the first block), decoded when
// chunked; empty otherwise. Bounded in size and time by limits.
[[nodiscard]] std::string ReadTextBody(std::string_view firstBlock, CClientSocket& socket,
                                       const BodyLimits& limits = BodyLimits{});

// Appends the decoded chunk data of a chunked response to body: the chunk
// data joined, without size lines, extensions or trailers. Reading stops at
// the last (zero-size) chunk, at a read that brings nothing, or at limits.
void DecodeChunkedBody(std::string_view firstBlock, CClientSocket& socket, std::string& body,
                       const BodyLimits& limits = BodyLimits{});
