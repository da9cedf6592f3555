// One connection to a web server: TCP, with TLS over it for a secure
// target, opened with a connect that gives up when its scan stops, then
// sends and reads that say what became of them. Both readings of a response
// read through the ResponseSource it is, so tests can feed them bytes.
//
// A connection belongs to the thread that opens, uses and closes it.
// Shutdown may be called from any other thread, to end what that thread
// waits for; it is kept apart from Open and Close by a lock of the
// connection's own, so it can never reach a descriptor that was closed and
// has since been given to another connection.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/host_lookups.h"
#include "engine/url_functions.h"
#include "platform/socket.h"

class TlsClientConnection;
struct TlsHandshakeResult;

// What a response is read from.
class ResponseSource {
public:
    enum class ReadStatus { kData, kTimedOut, kEnded };

    // Waits up to timeoutMs for data and reads at most size bytes into
    // buffer, their count into *count.
    [[nodiscard]] virtual ReadStatus Read(char* buffer, std::size_t size, int timeoutMs,
                                          std::size_t* count) = 0;

protected:
    ~ResponseSource() = default;
};

enum class ConnectionOpening { kReady, kNoSocket, kNoConnection, kNoSecureChannel };

class HttpConnection final : public ResponseSource {
public:
    HttpConnection();
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    // Connects to target (TCP, then TLS for a secure target), giving up as
    // soon as keepGoing turns false. The host's addresses (IPv4 first, then
    // IPv6; an address in brackets is its own) come from lookups, or are
    // looked up now when lookups is null, and are tried in turn. connectTimeoutMs bounds the
    // TCP connect (0: as long as the system tries); handshakeTimeoutMs the
    // TLS handshake. With kNoSecureChannel, *failure says why
    // ("Certificate error: ..." or "TLS error: ...").
    [[nodiscard]] ConnectionOpening Open(const WebRequestTarget& target, HostLookups* lookups,
                                         int connectTimeoutMs, int handshakeTimeoutMs,
                                         const std::atomic<bool>& keepGoing, std::string* failure);

    // Sends all bytes within timeoutMs; false when the connection failed.
    [[nodiscard]] bool SendAll(std::string_view bytes, int timeoutMs);

    [[nodiscard]] ReadStatus Read(char* buffer, std::size_t size, int timeoutMs,
                                  std::size_t* count) override;

    [[nodiscard]] bool IsOpen() const;
    // Any thread: ends the connection in both directions, so that a wait on
    // it returns at once. The connection stays its thread's to close.
    void Shutdown();
    void Close();

private:
    // Connects to port of the first of addresses that answers, in turn.
    ConnectionOpening ConnectToOneOf(const std::vector<HostAddress>& addresses, unsigned short port,
                                     int connectTimeoutMs, const std::atomic<bool>& keepGoing);
    // Gives the connection its socket, or takes it away (kInvalidSocket).
    void SetSocket(SocketHandle socket);

    mutable std::mutex m_socketMutex;
    SocketHandle m_socket = kInvalidSocket;
    std::unique_ptr<TlsClientConnection> m_tls;
};

// The state of a row whose handshake did not establish a session.
[[nodiscard]] std::string HandshakeFailureState(const TlsHandshakeResult& result);
