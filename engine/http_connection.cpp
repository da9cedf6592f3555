// Connections over POSIX sockets and the system's TLS.
#include "engine/http_connection.h"

#include <chrono>
#include <optional>

#include "engine/http_message.h"
#include "platform/tls.h"

namespace {

using Clock = std::chrono::steady_clock;

// Waits in a connect are cut into slices this long to notice a Stop.
constexpr int kConnectSliceMs = 50;

constexpr char kCertificateErrorPrefix[] = "Certificate error: ";
constexpr char kTlsErrorPrefix[] = "TLS error: ";

std::optional<HostAddress> AddressOf(const std::string& host, HostLookups* lookups,
                                     const std::atomic<bool>& keepGoing) {
    if (lookups != nullptr) return lookups->AddressOf(host, keepGoing);
    return LookUpHostAddress(host.c_str());
}

}  // namespace

HttpConnection::HttpConnection() = default;

HttpConnection::~HttpConnection() { Close(); }

void HttpConnection::SetSocket(SocketHandle socket) {
    std::lock_guard lock(m_socketMutex);
    m_socket = socket;
}

ConnectionOpening HttpConnection::Open(const WebRequestTarget& target, HostLookups* lookups,
                                       int connectTimeoutMs, int handshakeTimeoutMs,
                                       const std::atomic<bool>& keepGoing, std::string* failure) {
    Close();
    const SocketHandle socket = CreateTcpClientSocket();
    if (socket == kInvalidSocket) return ConnectionOpening::kNoSocket;
    SetSocket(socket);
    const std::optional<HostAddress> address = AddressOf(target.connectHost, lookups, keepGoing);
    if (!address) {
        Close();
        return ConnectionOpening::kNoConnection;
    }
    const bool bounded = connectTimeoutMs > 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(connectTimeoutMs);
    ConnectStart start = StartTcpConnect(socket, target.port, *address);
    while (start == ConnectStart::kInProgress && keepGoing &&
           (!bounded || Clock::now() < deadline)) {
        const Readiness ready = WaitUntilWritable(socket, kConnectSliceMs);
        if (ready == Readiness::kWritable) {
            start = FinishTcpConnect(socket) ? ConnectStart::kConnected : ConnectStart::kFailed;
        } else if (ready == Readiness::kFailed) {
            start = ConnectStart::kFailed;
        }
    }
    if (start != ConnectStart::kConnected) {
        Close();
        return ConnectionOpening::kNoConnection;
    }
    // Each request is one write: sending it at once saves the peer's
    // delayed acknowledgement on every exchange of a kept connection.
    SendWithoutDelay(socket);
    if (!target.secure) return ConnectionOpening::kReady;
    m_tls = std::make_unique<TlsClientConnection>();
    const TlsHandshakeResult result =
        m_tls->Handshake(socket, target.connectHost, target.port, handshakeTimeoutMs);
    if (result.outcome == TlsHandshakeOutcome::kEstablished) return ConnectionOpening::kReady;
    *failure = HandshakeFailureState(result);
    Close();
    return ConnectionOpening::kNoSecureChannel;
}

bool HttpConnection::SendAll(std::string_view bytes, int timeoutMs) {
    if (!IsOpen()) return false;
    if (m_tls) return m_tls->Send(bytes.data(), bytes.size(), timeoutMs) >= 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!bytes.empty()) {
        const long sent = SendOnSocket(m_socket, bytes.data(), bytes.size());
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        const int left = MillisecondsLeft(deadline, timeoutMs);
        if (left <= 0 || WaitUntilWritable(m_socket, left) != Readiness::kWritable) return false;
    }
    return true;
}

ResponseSource::ReadStatus HttpConnection::Read(char* buffer, std::size_t size, int timeoutMs,
                                                std::size_t* count) {
    *count = 0;
    if (!IsOpen() || size == 0) return ReadStatus::kEnded;
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

bool HttpConnection::IsOpen() const {
    std::lock_guard lock(m_socketMutex);
    return m_socket != kInvalidSocket;
}

void HttpConnection::Shutdown() {
    std::lock_guard lock(m_socketMutex);
    if (m_socket != kInvalidSocket) ShutdownSocket(m_socket);
}

void HttpConnection::Close() {
    // The TLS side first: its closing alert still needs the socket.
    if (m_tls) m_tls->Close();
    m_tls.reset();
    std::lock_guard lock(m_socketMutex);
    if (m_socket != kInvalidSocket) CloseSocket(m_socket);
    m_socket = kInvalidSocket;
}

std::string HandshakeFailureState(const TlsHandshakeResult& result) {
    const bool certificate = result.outcome == TlsHandshakeOutcome::kCertificateRejected;
    return (certificate ? kCertificateErrorPrefix : kTlsErrorPrefix) + result.reason;
}
