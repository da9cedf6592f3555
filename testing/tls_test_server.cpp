// The in-process TLS test server. The connection in progress is shut down
// (never closed) by the destructor under the mutex, so its waits end and the
// handle is not reused under them.
#include "testing/tls_test_server.h"

#include <algorithm>

namespace {

constexpr int kStepTimeoutMs = 10000;
constexpr int kAcceptTickMs = 50;
constexpr std::size_t kLargestRecord = 16384;
constexpr std::size_t kMaxRequestBytes = 64 * 1024;

// Reads up to the blank line that ends a request; false when none arrived.
bool ReadRequest(TlsServerConnection& tls) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes) {
        const std::size_t count = tls.Receive(buffer, sizeof buffer, kStepTimeoutMs);
        if (count == 0) return false;
        request.append(buffer, count);
    }
    return request.size() < kMaxRequestBytes;
}

}  // namespace

TlsTestServer::TlsTestServer(const ServerCertificate& certificate) {
    if (!m_credentials.Load(certificate.certificate.string(), certificate.key.string(),
                            &m_failure)) {
        return;
    }
    m_listener = ListenOnTcpPort("127.0.0.1", 0, &m_failure);
    if (m_listener == kInvalidSocket) return;
    m_port = LocalPortOf(m_listener);
    m_thread = std::thread([this] { Serve(); });
}

TlsTestServer::~TlsTestServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        ShutdownSocket(m_connection);
    }
    if (m_thread.joinable()) m_thread.join();
    CloseSocket(m_listener);
}

void TlsTestServer::SetResponse(std::string bytes, std::vector<std::size_t> recordSizes) {
    std::lock_guard lock(m_mutex);
    m_response = std::move(bytes);
    m_recordSizes = std::move(recordSizes);
}

std::vector<TlsTestConnection> TlsTestServer::Connections(std::size_t count,
                                                          std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    m_connected.wait_for(lock, timeout, [&] { return m_connections.size() >= count; });
    return m_connections;
}

void TlsTestServer::Serve() {
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) return;
        }
        if (WaitUntilReadable(m_listener, kAcceptTickMs) != Readiness::kReadable) continue;
        const SocketHandle socket = AcceptTcpConnection(m_listener);
        if (socket == kInvalidSocket) continue;
        bool stopping = false;
        {
            std::lock_guard lock(m_mutex);
            m_connection = socket;
            stopping = m_stopping;
        }
        if (!stopping) Answer(socket);
        std::lock_guard lock(m_mutex);
        m_connection = kInvalidSocket;
        CloseSocket(socket);
    }
}

void TlsTestServer::Answer(SocketHandle socket) {
    std::string response;
    std::vector<std::size_t> recordSizes;
    {
        std::lock_guard lock(m_mutex);
        response = m_response;
        recordSizes = m_recordSizes;
    }
    TlsServerConnection tls;
    std::string error;
    const bool accepted = tls.Accept(socket, m_credentials, kStepTimeoutMs, &error);
    {
        std::lock_guard lock(m_mutex);
        m_connections.push_back({tls.RequestedServerName(), tls.ResumedSession()});
    }
    m_connected.notify_all();
    if (!accepted || !ReadRequest(tls)) return;
    for (std::size_t at = 0, record = 0; at < response.size(); ++record) {
        const std::size_t size = recordSizes.empty()
                                     ? kLargestRecord
                                     : recordSizes[std::min(record, recordSizes.size() - 1)];
        const std::size_t count = std::clamp<std::size_t>(size, 1, response.size() - at);
        if (tls.Send(response.data() + at, count, kStepTimeoutMs) < 0) return;
        at += count;
    }
    tls.Close();
}
