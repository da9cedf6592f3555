// TLS over connected TCP sockets, with the system's OpenSSL 3: the client
// side that web checks use, and a server side for the loopback test servers.
// A connection belongs to one thread at a time; different connections may be
// used on different threads at once. A connection stays usable for further
// exchanges until it is closed, so a caller may keep it for the next request.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/socket.h"

enum class TlsHandshakeOutcome {
    kEstablished,
    // The chain did not verify, or the certificate names another host.
    kCertificateRejected,
    // No TLS was agreed: a protocol the client refuses, an alert, a peer that
    // speaks no TLS, a connection lost on the way.
    kFailed,
    // The peer stalled: the handshake did not finish within its time.
    kTimedOut,
};

struct TlsHandshakeResult {
    TlsHandshakeOutcome outcome = TlsHandshakeOutcome::kFailed;
    // Why not established, in the library's words ("certificate has expired",
    // "wrong version number"); empty when established.
    std::string reason;
};

// What client and server connections share: sending, receiving and closing
// over a socket that stays the caller's (closing the TLS side leaves it open).
class TlsConnection {
public:
    TlsConnection();
    virtual ~TlsConnection();
    TlsConnection(const TlsConnection&) = delete;
    TlsConnection& operator=(const TlsConnection&) = delete;

    // Sends all length bytes within timeoutMs. Returns length, or -1 when the
    // connection failed or the time ran out (the connection is then closed).
    long Send(const char* data, std::size_t length, int timeoutMs);
    // Waits up to timeoutMs for data and reads at most size bytes. Returns the
    // count, or 0 when nothing came in time or the stream ended; IsOpen then
    // tells the two apart.
    [[nodiscard]] std::size_t Receive(char* buffer, std::size_t size, int timeoutMs);
    // True from an established handshake until the peer ends the stream, a
    // call fails or Close.
    [[nodiscard]] bool IsOpen() const;
    // True when the handshake resumed an earlier session instead of a full
    // exchange of keys and certificates.
    [[nodiscard]] bool ResumedSession() const;
    // Sends the closing alert if the socket takes it at once (never waits) and
    // frees the TLS state. Harmless when nothing is open.
    void Close();

protected:
    class Session;
    std::unique_ptr<Session> m_session;
};

// The client side. Every client connection shares one read-only context:
// TLS 1.2 or later, the trust store read once (the system's, or the bundle
// that SSL_CERT_FILE names, as OpenSSL's own tools read it), and a cache of
// sessions per server name and port, so that the next connection to the same
// server resumes instead of repeating the full handshake.
class TlsClientConnection : public TlsConnection {
public:
    // Makes socket non-blocking and runs the handshake within timeoutMs in
    // all. serverName is the host of the address: a name is sent for SNI and
    // the certificate must name it; a dotted IPv4 address is not sent and the
    // certificate must name that address.
    [[nodiscard]] TlsHandshakeResult Handshake(SocketHandle socket, const std::string& serverName,
                                               unsigned short port, int timeoutMs);
};

// Drops every cached client session, so that the next connection to each
// server makes a full handshake: for measuring that cost, or when servers'
// keys are known to have changed.
void ForgetTlsClientSessions();

// A certificate chain and its private key for a test server, shared by the
// connections it accepts.
class TlsServerCredentials {
public:
    TlsServerCredentials();
    ~TlsServerCredentials();
    TlsServerCredentials(const TlsServerCredentials&) = delete;
    TlsServerCredentials& operator=(const TlsServerCredentials&) = delete;

    // Loads PEM files: the server's certificate first, then its issuers.
    [[nodiscard]] bool Load(const std::string& chainFile, const std::string& keyFile,
                            std::string* error);

private:
    friend class TlsServerConnection;
    class Context;
    std::shared_ptr<Context> m_context;
};

// The server side, for test servers.
class TlsServerConnection : public TlsConnection {
public:
    // Makes socket non-blocking and runs the server handshake within
    // timeoutMs. False with the library's reason when it fails.
    [[nodiscard]] bool Accept(SocketHandle socket, const TlsServerCredentials& credentials,
                              int timeoutMs, std::string* error);
    // The host name the client sent for SNI; empty when it sent none.
    [[nodiscard]] std::string RequestedServerName() const;
};
