// Connections that stay open for the next request to the same server, and
// one GET exchange over such a connection, read to the exact end of its
// response (its Content-Length, its last chunk, or the server's close) so
// that the connection can carry the next request. Fast checking uses them;
// the classic client opens one connection per request instead.
//
// A connection belongs to one thread at a time. ShutdownKeptConnection may
// be called from another thread to end whatever it waits for.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "engine/host_lookups.h"
#include "engine/http_client.h"
#include "engine/url_functions.h"
#include "platform/socket.h"

class TlsClientConnection;

class KeptConnection {
public:
    KeptConnection();
    ~KeptConnection();
    KeptConnection(const KeptConnection&) = delete;
    KeptConnection& operator=(const KeptConnection&) = delete;

    // Connects to target (TCP, then TLS for a secure target) within
    // timeoutMs, its host's address taken from lookups, giving up as soon as
    // keepGoing turns false. The outcome is kFirstBlock when the connection
    // is ready; with kNoSecureChannel, *failure says why ("Certificate error:
    // ..." or "TLS error: ...").
    [[nodiscard]] FetchOutcome Open(const WebRequestTarget& target, HostLookups& lookups,
                                    int timeoutMs, const std::atomic<bool>& keepGoing,
                                    std::string* failure);

    // Sends all bytes within timeoutMs; false when the connection failed.
    [[nodiscard]] bool SendAll(std::string_view bytes, int timeoutMs);

    enum class ReadStatus { kData, kTimedOut, kEnded };
    // Waits up to timeoutMs for data and reads at most size bytes into buffer.
    [[nodiscard]] ReadStatus Read(char* buffer, std::size_t size, int timeoutMs,
                                  std::size_t* count);

    [[nodiscard]] bool IsOpen() const { return m_socket != kInvalidSocket; }
    [[nodiscard]] SocketHandle Handle() const { return m_socket; }
    // How many responses this connection has carried to their end.
    [[nodiscard]] unsigned Exchanges() const { return m_exchanges; }
    void CountExchange() { ++m_exchanges; }

    void Close();

private:
    SocketHandle m_socket = kInvalidSocket;
    std::unique_ptr<TlsClientConnection> m_tls;
    unsigned m_exchanges = 0;
};

// What fast checking reads of a response.
enum class ResponseUse {
    // A page: the head, and the body when the head announces text.
    kPage,
    // An external link: the status line alone; the connection is not kept.
    kStatusOnly,
};

struct KeptAliveResponse {
    FetchOutcome outcome = FetchOutcome::kNoResponse;
    // With kNoSecureChannel: why.
    std::string failure;
    // The response's head as the classic client's first read holds it: at
    // most kPageFirstRead (a page) or kExternalFirstRead (status only) bytes.
    std::string firstBlock;
    // The decoded body of a text page; empty otherwise.
    std::string body;
    // True when at least one byte of a response arrived.
    bool answered = false;
    // True when the connection ended (or the request could not be sent)
    // before any byte of a response: a kept connection the server had
    // closed meanwhile.
    bool closedUnanswered = false;
    // True when the connection ended this response cleanly and may carry
    // the next request.
    bool reusable = false;
};

// Sends target's GET request over connection and reads the response as use
// says, within the bounds of the classic client: the first byte within
// kPageFirstTimeoutMs, every later read within kBodyReadTimeoutMs, the body
// within limits. A body that gives neither a length nor chunks ends at the
// server's close, or after kBodyReadTimeoutMs of silence.
[[nodiscard]] KeptAliveResponse ExchangeOverKeptConnection(KeptConnection& connection,
                                                           const WebRequestTarget& target,
                                                           ResponseUse use,
                                                           const BodyLimits& limits = {});

// Ends the connection's socket in both directions, so that a thread waiting
// on it returns at once. The socket stays the connection's to close.
void ShutdownKeptConnection(const KeptConnection& connection);
