// nginx for tests: a generated configuration in a fresh temporary folder, run
// in the foreground as one process (no master and workers), so that stopping
// it by its process id ends every part of it.
#include "testing/nginx_server.h"

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

bool AcceptsConnections(const std::string& address) {
    const SocketHandle socket = CreateTcpClientSocket();
    const bool connected =
        socket != kInvalidSocket && ConnectTcpSocket(socket, 80, address.c_str());
    CloseSocket(socket);
    return connected;
}

}  // namespace

NginxServer::NginxServer(std::string address, const std::filesystem::path& root,
                         NginxConnections connections)
    : m_address(std::move(address)) {
    std::string error;
    const SocketHandle probe = ListenOnTcpPort(m_address.c_str(), 80, &error);
    if (probe == kInvalidSocket) {
        m_portUnavailable = true;
        m_failure = error;
        return;
    }
    CloseSocket(probe);
    m_listening = Start(root, connections);
}

NginxServer::~NginxServer() { m_process.Stop(); }

std::string NginxServer::Url(std::string_view path) const {
    return "http://" + m_address + std::string(path);
}

bool NginxServer::Start(const std::filesystem::path& root, NginxConnections connections) {
    WriteConfiguration(std::filesystem::absolute(root), connections);
    const std::string folder = m_folder.Path().string();
    if (!m_process.Start({kProgram, "-p", folder + "/", "-c", folder + "/nginx.conf", "-e",
                          folder + "/error.log"},
                         &m_failure)) {
        return false;
    }
    return WaitUntilAccepting();
}

bool NginxServer::WaitUntilAccepting() {
    const auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!m_process.IsRunning()) {
            m_failure = "nginx ended at start: " + m_folder.Read("error.log");
            return false;
        }
        if (AcceptsConnections(m_address)) return true;
        std::this_thread::sleep_for(kStartPoll);
    }
    m_failure = "nginx did not accept connections within 10 s: " + m_folder.Read("error.log");
    m_process.Stop();
    return false;
}

void NginxServer::WriteConfiguration(const std::filesystem::path& root,
                                     NginxConnections connections) const {
    const auto inFolder = [this](const char* name) {
        return Quoted(m_folder.PathOf(name).string());
    };
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
         << "    keepalive_timeout " << (connections == NginxConnections::kKeepAlive ? "65" : "0")
         << ";\n"
         << "    server {\n"
         << "        listen " << m_address << ":80;\n"
         << "        server_name _;\n"
         << "        root " << Quoted(root.string()) << ";\n"
         << "        index index.html index.htm;\n"
         << "    }\n"
         << "}\n";
    m_folder.Put("nginx.conf", file.str());
}
