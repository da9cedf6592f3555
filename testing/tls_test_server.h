// A TLS server on a port the system picks on 127.0.0.1, for tests and the TLS
// fuzz target: it takes one connection at a time, reads the request, answers
// with the bytes it was given, split into TLS records of the sizes it was
// given, and closes. It keeps, per connection, the host name the client sent
// for SNI and whether it resumed an earlier session.
// Threads: the owner sets responses and reads records; one thread of the
// server's own serves. Both meet under one mutex.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "platform/tls.h"
#include "testing/test_certificates.h"

struct TlsTestConnection {
    std::string serverName;  // "" when the client sent none
    bool resumed = false;
    bool operator==(const TlsTestConnection&) const = default;
};

class TlsTestServer {
public:
    // Loads the certificate and listens; IsListening and Failure tell how
    // that went.
    explicit TlsTestServer(const ServerCertificate& certificate);
    // Ends the connection in progress and joins the server's thread.
    ~TlsTestServer();
    TlsTestServer(const TlsTestServer&) = delete;
    TlsTestServer& operator=(const TlsTestServer&) = delete;

    [[nodiscard]] bool IsListening() const { return m_listener != kInvalidSocket; }
    [[nodiscard]] const std::string& Failure() const { return m_failure; }
    [[nodiscard]] unsigned short Port() const { return m_port; }

    // What the next connections get: bytes in records of recordSizes in turn
    // (the last size repeats; none: one record as large as TLS allows).
    void SetResponse(std::string bytes, std::vector<std::size_t> recordSizes = {});
    // The connections so far, in order, once at least count have come (or
    // timeout has passed).
    [[nodiscard]] std::vector<TlsTestConnection> Connections(
        std::size_t count = 0, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    void Serve();
    void Answer(SocketHandle socket);

    TlsServerCredentials m_credentials;
    std::string m_failure;
    SocketHandle m_listener = kInvalidSocket;
    unsigned short m_port = 0;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_connected;
    bool m_stopping = false;
    SocketHandle m_connection = kInvalidSocket;
    std::string m_response;
    std::vector<std::size_t> m_recordSizes;
    std::vector<TlsTestConnection> m_connections;

    std::thread m_thread;
};
