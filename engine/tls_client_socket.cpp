// TLS over the HTTP client's socket: the handshake as the session's start,
// then every send and receive through the TLS connection.
#include "engine/tls_client_socket.h"

#include "platform/tls.h"

namespace {

constexpr char kCertificateErrorPrefix[] = "Certificate error: ";
constexpr char kTlsErrorPrefix[] = "TLS error: ";

class CTlsClientSocket : public CClientSocket {
public:
    ~CTlsClientSocket() override { CTlsClientSocket::Close(); }

    bool StartSession(const WebRequestTarget& target, int timeoutMs,
                      std::string* failure) override {
        // The request goes out within the time its answer may take.
        m_sendTimeoutMs = timeoutMs;
        const TlsHandshakeResult result =
            m_tls.Handshake(Handle(), target.connectHost, target.port, timeoutMs);
        if (result.outcome == TlsHandshakeOutcome::kEstablished) return true;
        *failure = HandshakeFailureState(result);
        return false;
    }

    long Send(const char* data, std::size_t length) override {
        return m_tls.Send(data, length, m_sendTimeoutMs);
    }

    std::size_t Receive(char* buffer, std::size_t size, int timeoutMs) override {
        return m_tls.Receive(buffer, size, timeoutMs);
    }

    // The TLS side first: its closing alert still needs the socket.
    void Close() override {
        m_tls.Close();
        CClientSocket::Close();
    }

private:
    TlsClientConnection m_tls;
    int m_sendTimeoutMs = 0;
};

}  // namespace

std::string HandshakeFailureState(const TlsHandshakeResult& result) {
    const bool certificate = result.outcome == TlsHandshakeOutcome::kCertificateRejected;
    return (certificate ? kCertificateErrorPrefix : kTlsErrorPrefix) + result.reason;
}

std::unique_ptr<CClientSocket> MakeTlsClientSocket() {
    return std::make_unique<CTlsClientSocket>();
}
