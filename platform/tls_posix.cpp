// TLS with OpenSSL 3 over non-blocking POSIX sockets. Every step (handshake,
// read, write) runs OpenSSL until it needs the socket, then waits for the
// socket with the time that is left, so a stalled peer holds a caller no
// longer than its time-out.
//
// One client context serves every client connection: OpenSSL 3 lets many
// threads create connections from one SSL_CTX as long as nobody changes it,
// and loading the trust store once spares each connection the reading and
// parsing of the whole CA bundle. Its session cache has a lock of its own.
#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/tls.h"

namespace {

using Clock = std::chrono::steady_clock;

// Sessions kept for resumption, one per server; past this many, one is
// dropped to make room.
constexpr std::size_t kMaxCachedSessions = 256;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

Clock::time_point DeadlineAfter(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
}

// The library is set up once and never torn down at exit: worker threads of
// a scan may still be inside a handshake while the program ends, and a
// clean-up under them would free what they use.
void StartOpenSsl() {
    OPENSSL_init_ssl(
        OPENSSL_INIT_NO_ATEXIT | OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS,
        nullptr);
    // OpenSSL writes with plain sends: a peer that has gone must give an
    // error there, not end the program.
    (void)StartSockets();
}

// The reason of the last failure on this thread, in the library's words.
std::string LibraryReason(int sslError, int savedErrno) {
    const unsigned long code = ERR_peek_last_error();
    if (code != 0) {
        if (const char* reason = ERR_reason_error_string(code)) return reason;
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        return text;
    }
    if (sslError == SSL_ERROR_SYSCALL && savedErrno != 0) return std::strerror(savedErrno);
    return "the connection was closed";
}

enum class StepEnd { kDone, kClosed, kTimedOut, kFailed };

struct StepResult {
    StepEnd end = StepEnd::kFailed;
    std::string reason;
};

// Calls step (SSL_connect, SSL_read_ex ...) until it succeeds, waiting on
// the socket whenever OpenSSL wants to read or write, until deadline.
template <typename Step>
StepResult RunStep(SSL* ssl, SocketHandle socket, Clock::time_point deadline, Step step) {
    for (;;) {
        ERR_clear_error();
        errno = 0;
        const int value = step();
        if (value > 0) return {StepEnd::kDone, {}};
        const int savedErrno = errno;
        const int error = SSL_get_error(ssl, value);
        Readiness ready;
        if (error == SSL_ERROR_WANT_READ) {
            ready = WaitUntilReadable(socket, MillisecondsLeft(deadline));
        } else if (error == SSL_ERROR_WANT_WRITE) {
            ready = WaitUntilWritable(socket, MillisecondsLeft(deadline));
        } else if (error == SSL_ERROR_ZERO_RETURN) {
            return {StepEnd::kClosed, {}};
        } else {
            return {StepEnd::kFailed, LibraryReason(error, savedErrno)};
        }
        if (ready == Readiness::kTimedOut) return {StepEnd::kTimedOut, {}};
        if (ready == Readiness::kFailed) return {StepEnd::kFailed, "the socket failed"};
    }
}

class ClientContext {
public:
    static ClientContext& Instance() {
        // Never destroyed, for the same reason as the library itself.
        static ClientContext* const instance = new ClientContext();
        return *instance;
    }

    [[nodiscard]] SSL_CTX* Get() const { return m_context; }
    [[nodiscard]] const std::string& Failure() const { return m_failure; }

    // Keeps the session (and the reference handed over) for key.
    void Store(const std::string& key, SSL_SESSION* session) {
        std::lock_guard lock(m_mutex);
        const auto found = m_sessions.find(key);
        if (found != m_sessions.end()) {
            SSL_SESSION_free(found->second);
            m_sessions.erase(found);
        } else if (m_sessions.size() >= kMaxCachedSessions) {
            SSL_SESSION_free(m_sessions.begin()->second);
            m_sessions.erase(m_sessions.begin());
        }
        m_sessions.emplace(key, session);
    }

    void Clear() {
        std::lock_guard lock(m_mutex);
        for (const auto& [key, session] : m_sessions) SSL_SESSION_free(session);
        m_sessions.clear();
    }

    // A new reference to the session kept for key, or null.
    [[nodiscard]] SSL_SESSION* Find(const std::string& key) {
        std::lock_guard lock(m_mutex);
        const auto found = m_sessions.find(key);
        if (found == m_sessions.end() || SSL_SESSION_up_ref(found->second) != 1) return nullptr;
        return found->second;
    }

private:
    ClientContext() {
        StartOpenSsl();
        m_context = SSL_CTX_new(TLS_client_method());
        if (m_context == nullptr) {
            m_failure = LibraryReason(SSL_ERROR_SSL, 0);
            return;
        }
        SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
        SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, nullptr);
        // The system's store, or what SSL_CERT_FILE and SSL_CERT_DIR name. A
        // store that cannot be read leaves no trusted issuer: every
        // certificate is then reported as unverifiable.
        SSL_CTX_set_default_verify_paths(m_context);
        // Many servers close without the closing alert; the body is then
        // what arrived, as over plain TCP.
        SSL_CTX_set_options(m_context, SSL_OP_IGNORE_UNEXPECTED_EOF);
        SSL_CTX_set_session_cache_mode(m_context,
                                       SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
        SSL_CTX_sess_set_new_cb(m_context, RememberSession);
    }

    // Called by OpenSSL when a server hands out a session (TLS 1.3 sends
    // them after the handshake, during reads).
    static int RememberSession(SSL* ssl, SSL_SESSION* session) {
        const auto* key = static_cast<const std::string*>(SSL_get_app_data(ssl));
        if (key == nullptr || key->empty()) return 0;
        Instance().Store(*key, session);
        return 1;
    }

    SSL_CTX* m_context = nullptr;
    std::string m_failure;
    std::mutex m_mutex;
    std::map<std::string, SSL_SESSION*> m_sessions;
};

// Sets what the certificate is checked against, and SNI for a name.
bool NameTheServer(SSL* ssl, const std::string& serverName) {
    in_addr ipv4{};
    in6_addr ipv6{};
    if (::inet_pton(AF_INET, serverName.c_str(), &ipv4) == 1 ||
        ::inet_pton(AF_INET6, serverName.c_str(), &ipv6) == 1) {
        // SNI carries names only; an address is checked as an address.
        return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), serverName.c_str()) == 1;
    }
    SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    return SSL_set_tlsext_host_name(ssl, serverName.c_str()) == 1 &&
           SSL_set1_host(ssl, serverName.c_str()) == 1;
}

}  // namespace

class TlsConnection::Session {
public:
    Session(SSL* ssl, SocketHandle socket) : m_ssl(ssl), m_socket(socket) {}
    ~Session() { SSL_free(m_ssl); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    SSL* const m_ssl;
    const SocketHandle m_socket;
    // The key under which the client's session is cached; the SSL object
    // points at it, so it lives as long as the object.
    std::string m_cacheKey;
    // Usable for requests: established, and neither ended nor failed.
    bool m_open = false;
    bool m_established = false;
    // No fatal error so far: the closing alert may still be sent, which also
    // keeps the session resumable (one freed without it is spoiled).
    bool m_sound = true;

    void Ended(StepEnd end) {
        m_open = false;
        if (end != StepEnd::kClosed) m_sound = false;
    }
};

class TlsServerCredentials::Context {
public:
    Context() : m_context(SSL_CTX_new(TLS_server_method())) {}
    ~Context() { SSL_CTX_free(m_context); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    SSL_CTX* const m_context;
};

TlsConnection::TlsConnection() = default;

TlsConnection::~TlsConnection() { Close(); }

long TlsConnection::Send(const char* data, std::size_t length, int timeoutMs) {
    if (!IsOpen()) return -1;
    const Clock::time_point deadline = DeadlineAfter(timeoutMs);
    std::size_t sent = 0;
    while (sent < length) {
        std::size_t count = 0;
        const StepResult result = RunStep(m_session->m_ssl, m_session->m_socket, deadline, [&] {
            return SSL_write_ex(m_session->m_ssl, data + sent, length - sent, &count);
        });
        if (result.end != StepEnd::kDone) {
            // A record cut short by the time-out leaves nothing to continue.
            m_session->Ended(result.end);
            return -1;
        }
        sent += count;
    }
    return static_cast<long>(length);
}

std::size_t TlsConnection::Receive(char* buffer, std::size_t size, int timeoutMs) {
    if (!IsOpen() || size == 0) return 0;
    std::size_t count = 0;
    const StepResult result =
        RunStep(m_session->m_ssl, m_session->m_socket, DeadlineAfter(timeoutMs),
                [&] { return SSL_read_ex(m_session->m_ssl, buffer, size, &count); });
    if (result.end == StepEnd::kDone) return count;
    if (result.end != StepEnd::kTimedOut) m_session->Ended(result.end);
    return 0;
}

bool TlsConnection::IsOpen() const { return m_session != nullptr && m_session->m_open; }

bool TlsConnection::ResumedSession() const {
    return m_session != nullptr && SSL_session_reused(m_session->m_ssl) == 1;
}

void TlsConnection::Close() {
    if (m_session == nullptr) return;
    if (m_session->m_established && m_session->m_sound) (void)SSL_shutdown(m_session->m_ssl);
    m_session.reset();
}

TlsHandshakeResult TlsClientConnection::Handshake(SocketHandle socket,
                                                  const std::string& serverName,
                                                  unsigned short port, int timeoutMs) {
    Close();
    const Clock::time_point deadline = DeadlineAfter(timeoutMs);
    ClientContext& context = ClientContext::Instance();
    if (context.Get() == nullptr) return {TlsHandshakeOutcome::kFailed, context.Failure()};
    if (!SetSocketNonBlocking(socket)) {
        return {TlsHandshakeOutcome::kFailed, std::strerror(errno)};
    }
    SendWithoutDelay(socket);
    SSL* ssl = SSL_new(context.Get());
    if (ssl == nullptr) return {TlsHandshakeOutcome::kFailed, LibraryReason(SSL_ERROR_SSL, 0)};
    m_session = std::make_unique<Session>(ssl, socket);
    m_session->m_cacheKey = serverName + ":" + std::to_string(port);
    if (SSL_set_fd(ssl, static_cast<int>(socket)) != 1 || !NameTheServer(ssl, serverName)) {
        return {TlsHandshakeOutcome::kFailed, LibraryReason(SSL_ERROR_SSL, 0)};
    }
    SSL_set_app_data(ssl, &m_session->m_cacheKey);
    if (SSL_SESSION* cached = context.Find(m_session->m_cacheKey)) {
        (void)SSL_set_session(ssl, cached);
        SSL_SESSION_free(cached);
    }
    const StepResult result = RunStep(ssl, socket, deadline, [ssl] { return SSL_connect(ssl); });
    if (result.end == StepEnd::kDone) {
        m_session->m_established = m_session->m_open = true;
        return {TlsHandshakeOutcome::kEstablished, {}};
    }
    if (result.end == StepEnd::kTimedOut) {
        return {TlsHandshakeOutcome::kTimedOut, "handshake timed out"};
    }
    const long verification = SSL_get_verify_result(ssl);
    if (verification != X509_V_OK) {
        return {TlsHandshakeOutcome::kCertificateRejected,
                X509_verify_cert_error_string(verification)};
    }
    return {TlsHandshakeOutcome::kFailed,
            result.reason.empty() ? "the connection was closed" : result.reason};
}

void ForgetTlsClientSessions() { ClientContext::Instance().Clear(); }

TlsServerCredentials::TlsServerCredentials() = default;
TlsServerCredentials::~TlsServerCredentials() = default;

bool TlsServerCredentials::Load(const std::string& chainFile, const std::string& keyFile,
                                std::string* error) {
    StartOpenSsl();
    ERR_clear_error();
    auto context = std::make_shared<Context>();
    SSL_CTX* ssl = context->m_context;
    if (ssl == nullptr || SSL_CTX_use_certificate_chain_file(ssl, chainFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(ssl, keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(ssl) != 1) {
        *error = LibraryReason(SSL_ERROR_SSL, 0);
        return false;
    }
    m_context = std::move(context);
    return true;
}

bool TlsServerConnection::Accept(SocketHandle socket, const TlsServerCredentials& credentials,
                                 int timeoutMs, std::string* error) {
    Close();
    if (credentials.m_context == nullptr) {
        *error = "no credentials loaded";
        return false;
    }
    if (!SetSocketNonBlocking(socket)) {
        *error = std::strerror(errno);
        return false;
    }
    SSL* ssl = SSL_new(credentials.m_context->m_context);
    if (ssl == nullptr || SSL_set_fd(ssl, static_cast<int>(socket)) != 1) {
        SSL_free(ssl);
        *error = LibraryReason(SSL_ERROR_SSL, 0);
        return false;
    }
    m_session = std::make_unique<Session>(ssl, socket);
    const StepResult result =
        RunStep(ssl, socket, DeadlineAfter(timeoutMs), [ssl] { return SSL_accept(ssl); });
    if (result.end != StepEnd::kDone) {
        *error = result.end == StepEnd::kTimedOut ? "handshake timed out" : result.reason;
        return false;
    }
    m_session->m_established = m_session->m_open = true;
    return true;
}

std::string TlsServerConnection::RequestedServerName() const {
    if (m_session == nullptr) return {};
    const char* name = SSL_get_servername(m_session->m_ssl, TLSEXT_NAMETYPE_host_name);
    return name != nullptr ? name : "";
}
