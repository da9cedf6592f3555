// Debian's own nginx, unmodified, serving a folder on port 80 of a loopback
// address, and with TLS on port 443 as well, for end-to-end tests and
// benchmarks. The configuration, logs and
// pid file live in a temporary folder of the server's own, removed when the
// server is stopped. One thread owns an NginxServer.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "testing/temp_folder.h"

enum class NginxConnections {
    kKeepAlive,  // connections stay open after a response, as servers usually do
    kCloseEach,  // every response ends with a close
};

// TLS on port 443 of the same address.
struct NginxTls {
    // PEM files: the server's certificate (and its issuers), and its key.
    std::filesystem::path certificate;
    std::filesystem::path key;
    // nginx's ssl_protocols and ssl_ciphers; empty: nginx's own defaults.
    std::string protocols;
    std::string ciphers;
};

struct NginxSetup {
    NginxConnections connections = NginxConnections::kKeepAlive;
    std::optional<NginxTls> tls;
    // With tls: port 80 answers every request with a 301 to the same path
    // over https.
    bool redirectToHttps = false;
    // Headers added to every response, as "Name value".
    std::vector<std::string> headers;
};

class NginxServer {
public:
    static constexpr const char* kProgram = "/usr/sbin/nginx";

    // Starts nginx on port 80 of address (dotted IPv4) serving root and waits
    // until it accepts connections. IsListening tells whether that worked;
    // Failure says why not.
    NginxServer(std::string address, const std::filesystem::path& root,
                NginxConnections connections = NginxConnections::kKeepAlive);
    // The same, with TLS on port 443 as setup says.
    NginxServer(std::string address, const std::filesystem::path& root, const NginxSetup& setup);
    // Stops nginx by its process id and removes the temporary folder.
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    [[nodiscard]] bool IsListening() const { return m_listening; }
    // True when port 80 (or 443) of the address could not be bound at all (a
    // reason to skip). nginx failing on a free port is a fault of the set-up instead.
    [[nodiscard]] bool PortUnavailable() const { return m_portUnavailable; }
    [[nodiscard]] const std::string& Failure() const { return m_failure; }
    [[nodiscard]] const std::string& Address() const { return m_address; }
    // nginx's process (it serves in that one process).
    [[nodiscard]] int ProcessId() const { return m_process.Id(); }
    // How many requests nginx has logged as served so far.
    [[nodiscard]] std::size_t RequestsServed() const;
    // The request line of each request logged so far ("GET /a.html HTTP/1.1").
    [[nodiscard]] std::vector<std::string> RequestLines() const;
    // "http://" + address + path.
    [[nodiscard]] std::string Url(std::string_view path) const;
    // "https://" + address + path.
    [[nodiscard]] std::string HttpsUrl(std::string_view path) const;

private:
    bool PortsAvailable(const NginxSetup& setup);
    bool Start(const std::filesystem::path& root, const NginxSetup& setup);
    bool WaitUntilAccepting(const NginxSetup& setup);
    void WriteConfiguration(const std::filesystem::path& root, const NginxSetup& setup) const;

    const std::string m_address;
    // Configuration, logs and pid file; declared before the process so that
    // the process is stopped before the folder goes.
    const TempFolder m_folder;
    ChildProcess m_process;
    bool m_listening = false;
    bool m_portUnavailable = false;
    std::string m_failure;
};
