// Connections over POSIX sockets and the system's TLS.
#include "engine/http_connection.h"

#include <chrono>
#include <optional>
#include <vector>

#include "engine/http_message.h"
#include "platform/tls.h"

namespace {

using Clock = std::chrono::steady_clock;

// Waits in a connect are cut into slices this long to notice a Stop.
constexpr int kConnectSliceMs = 50;

constexpr char kCertificateErrorPrefix[] = "Certificate error: ";
constexpr char kTlsErrorPrefix[] = "TLS error: ";

std::vector<HostAddress> AddressesOf(const std::string& host, HostLookups* lookups,
                                     const std::atomic<bool>& keepGoing) {
    const std::string name = HostToResolve(host);
    if (lookups != nullptr) return lookups->AddressesOf(name, keepGoing);
    return LookUpHostAddresses(name.c_str());
}

// Waits for a connect that started in the background, in slices, until it
// is made or fails, the deadline passes (when bounded) or keepGoing turns
// false.
ConnectStart FinishConnect(SocketHandle socket, ConnectStart start, bool bounded,
                           Clock::time_point deadline, const std::atomic<bool>& keepGoing) {
    while (start == ConnectStart::kInProgress && keepGoing &&
           (!bounded || Clock::now() < deadline)) {
        const Readiness ready = WaitUntilWritable(socket, kConnectSliceMs);
        if (ready == Readiness::kWritable) {
            start = FinishTcpConnect(socket) ? ConnectStart::kConnected : ConnectStart::kFailed;
        } else if (ready == Readiness::kFailed) {
            start = ConnectStart::kFailed;
        }
    }
    return start;
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
    const std::vector<HostAddress> addresses = AddressesOf(target.connectHost, lookups, keepGoing);
    if (addresses.empty()) return ConnectionOpening::kNoConnection;
    const ConnectionOpening connected =
        ConnectToOneOf(addresses, target.port, connectTimeoutMs, keepGoing);
    if (connected != ConnectionOpening::kReady) return connected;
    // Each request is one write: sending it at once saves the peer's
    // delayed acknowledgement on every exchange of a kept connection.
    SendWithoutDelay(m_socket);
    if (!target.secure) return ConnectionOpening::kReady;
    m_tls = std::make_unique<TlsClientConnection>();
    const TlsHandshakeResult result = m_tls->Handshake(m_socket, HostToResolve(target.connectHost),
                                                       target.port, handshakeTimeoutMs);
    if (result.outcome == TlsHandshakeOutcome::kEstablished) return ConnectionOpening::kReady;
    *failure = HandshakeFailureState(result);
    Close();
    return ConnectionOpening::kNoSecureChannel;
}

ConnectionOpening HttpConnection::ConnectToOneOf(const std::vector<HostAddress>& addresses,
                                                 unsigned short port, int connectTimeoutMs,
                                                 const std::atomic<bool>& keepGoing) {
    // One bound for all: an address that refuses at once leaves the next
    // the time it did not use.
    const bool bounded = connectTimeoutMs > 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(connectTimeoutMs);
    bool tried = false;
    bool madeSocket = false;
    for (const HostAddress& address : addresses) {
        if (!keepGoing || (bounded && Clock::now() >= deadline)) break;
        tried = true;
        const SocketHandle socket = CreateTcpClientSocketFor(address);
        if (socket == kInvalidSocket) continue;
        madeSocket = true;
        SetSocket(socket);
        const ConnectStart start = FinishConnect(socket, StartTcpConnect(socket, port, address),
                                                 bounded, deadline, keepGoing);
        if (start == ConnectStart::kConnected) return ConnectionOpening::kReady;
        Close();
    }
    return tried && !madeSocket ? ConnectionOpening::kNoSocket : ConnectionOpening::kNoConnection;
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
