// nginx for tests: a generated configuration in a fresh temporary folder, run
// in the foreground as one process (no master and workers), so that stopping
// it by its process id ends every part of it.
#include "testing/nginx_server.h"

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "platform/socket.h"

namespace {

constexpr std::chrono::seconds kStartDeadline{10};
constexpr std::chrono::milliseconds kStartPoll{20};

// A value in double quotes, as nginx reads it.
std::string Quoted(const std::string& value) {
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool AcceptsConnections(const std::string& address, unsigned short port) {
    const SocketHandle socket = CreateTcpClientSocket();
    const bool connected =
        socket != kInvalidSocket && ConnectTcpSocket(socket, port, address.c_str());
    CloseSocket(socket);
    return connected;
}

NginxSetup PlainSetup(NginxConnections connections) {
    NginxSetup setup;
    setup.connections = connections;
    return setup;
}

// The directives of a TLS listener.
std::string TlsDirectives(const NginxTls& tls) {
    std::string directives = "        ssl_certificate " + Quoted(tls.certificate.string()) +
                             ";\n        ssl_certificate_key " + Quoted(tls.key.string()) + ";\n";
    if (!tls.protocols.empty()) directives += "        ssl_protocols " + tls.protocols + ";\n";
    if (!tls.ciphers.empty()) directives += "        ssl_ciphers " + Quoted(tls.ciphers) + ";\n";
    return directives;
}

}  // namespace

NginxServer::NginxServer(std::string address, const std::filesystem::path& root,
                         NginxConnections connections)
    : NginxServer(std::move(address), root, PlainSetup(connections)) {}

NginxServer::NginxServer(std::string address, const std::filesystem::path& root,
                         const NginxSetup& setup)
    : m_address(std::move(address)) {
    if (PortsAvailable(setup)) m_listening = Start(root, setup);
}

bool NginxServer::PortsAvailable(const NginxSetup& setup) {
    for (const unsigned short port : {80, 443}) {
        if (port == 443 && !setup.tls) break;
        std::string error;
        const SocketHandle probe = ListenOnTcpPort(m_address.c_str(), port, &error);
        if (probe == kInvalidSocket) {
            m_portUnavailable = true;
            m_failure = "port " + std::to_string(port) + ": " + error;
            return false;
        }
        CloseSocket(probe);
    }
    return true;
}

NginxServer::~NginxServer() { m_process.Stop(); }

std::string NginxServer::Url(std::string_view path) const {
    return "http://" + m_address + std::string(path);
}

std::string NginxServer::HttpsUrl(std::string_view path) const {
    return "https://" + m_address + std::string(path);
}

bool NginxServer::Start(const std::filesystem::path& root, const NginxSetup& setup) {
    WriteConfiguration(std::filesystem::absolute(root), setup);
    const std::string folder = m_folder.Path().string();
    if (!m_process.Start({kProgram, "-p", folder + "/", "-c", folder + "/nginx.conf", "-e",
                          folder + "/error.log"},
                         &m_failure)) {
        return false;
    }
    return WaitUntilAccepting(setup);
}

bool NginxServer::WaitUntilAccepting(const NginxSetup& setup) {
    const auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!m_process.IsRunning()) {
            m_failure = "nginx ended at start: " + m_folder.Read("error.log");
            return false;
        }
        if (AcceptsConnections(m_address, 80) &&
            (!setup.tls || AcceptsConnections(m_address, 443))) {
            return true;
        }
        std::this_thread::sleep_for(kStartPoll);
    }
    m_failure = "nginx did not accept connections within 10 s: " + m_folder.Read("error.log");
    m_process.Stop();
    return false;
}

std::size_t NginxServer::RequestsServed() const {
    const std::string log = m_folder.Read("access.log");
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
}

std::vector<std::string> NginxServer::RequestLines() const {
    // The combined log format puts the request line between the first pair
    // of double quotes; nginx escapes any quote inside it.
    std::vector<std::string> lines;
    std::istringstream log(m_folder.Read("access.log"));
    for (std::string entry; std::getline(log, entry);) {
        const std::size_t open = entry.find('"');
        const std::size_t close = entry.find('"', open + 1);
        if (close != std::string::npos) lines.push_back(entry.substr(open + 1, close - open - 1));
    }
    return lines;
}

void NginxServer::WriteConfiguration(const std::filesystem::path& root,
                                     const NginxSetup& setup) const {
    const auto inFolder = [this](const char* name) {
        return Quoted(m_folder.PathOf(name).string());
    };
    std::string site =
        "        root " + Quoted(root.string()) + ";\n" + "        index index.html index.htm;\n";
    for (const std::string& header : setup.headers) site += "        add_header " + header + ";\n";
    std::ostringstream file;
    file << "daemon off;\n"
         << "master_process off;\n"
         << "pid " << inFolder("nginx.pid") << ";\n"
         << "error_log " << inFolder("error.log") << " warn;\n"
         << "events { worker_connections 1024; }\n"
         << "http {\n"
         << "    include /etc/nginx/mime.types;\n"
         << "    default_type application/octet-stream;\n"
         << "    access_log " << inFolder("access.log") << ";\n"
         << "    client_body_temp_path " << inFolder("client_body") << ";\n"
         << "    proxy_temp_path " << inFolder("proxy") << ";\n"
         << "    fastcgi_temp_path " << inFolder("fastcgi") << ";\n"
         << "    uwsgi_temp_path " << inFolder("uwsgi") << ";\n"
         << "    scgi_temp_path " << inFolder("scgi") << ";\n"
         << "    keepalive_timeout "
         << (setup.connections == NginxConnections::kKeepAlive ? "65" : "0") << ";\n"
         << "    server {\n"
         << "        listen " << m_address << ":80;\n"
         << "        server_name _;\n";
    // The redirect needs the TLS server to go to (a server block without a
    // listen directive would take port 80 of every address).
    if (setup.redirectToHttps && setup.tls) {
        file << "        return 301 https://$host$request_uri;\n"
             << "    }\n"
             << "    server {\n"
             << "        server_name _;\n";
    }
    if (setup.tls)
        file << "        listen " << m_address << ":443 ssl;\n" << TlsDirectives(*setup.tls);
    file << site << "    }\n"
         << "}\n";
    m_folder.Put("nginx.conf", file.str());
}
