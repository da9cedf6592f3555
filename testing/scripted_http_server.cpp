// The scripted loopback HTTP server. Every wait of a connection thread ends
// when the server stops: pauses wait on the condition variable, and socket
// waits end because the destructor shuts the open sockets down. Sockets are
// closed and shut down only under the mutex, so a handle is never shut down
// after it was closed and reused.
#include "testing/scripted_http_server.h"

#include <algorithm>
#include <system_error>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kRequestEnd = "\r\n\r\n";
constexpr std::chrono::milliseconds kAcceptTick{50};

int MillisecondsUntil(Clock::time_point end) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// The request line's target: what lies between its first and last blank, so
// that a path with blanks in it comes back whole.
std::string RequestTarget(const std::string& request) {
    const std::string line = request.substr(0, request.find("\r\n"));
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string::npos || last <= first) return {};
    return line.substr(first + 1, last - first - 1);
}

}  // namespace

ScriptedResponse Reply(std::string bytes, ScriptedEnd end) {
    ScriptedResponse response;
    response.chunks.push_back({std::chrono::milliseconds(0), std::move(bytes)});
    response.end = end;
    return response;
}

ScriptedResponse NeverAnswer() {
    ScriptedResponse response;
    response.end = ScriptedEnd::kStayIdle;
    return response;
}

ScriptedResponse HtmlPage(std::string_view status, std::string_view body) {
    std::string bytes = "HTTP/1.1 ";
    bytes.append(status).append("\r\nContent-Type: text/html\r\n\r\n").append(body);
    return Reply(std::move(bytes));
}

ScriptedResponse KeptAlivePage(std::string_view status, std::string_view body) {
    std::string bytes = "HTTP/1.1 ";
    bytes.append(status)
        .append("\r\nContent-Type: text/html\r\nContent-Length: ")
        .append(std::to_string(body.size()))
        .append("\r\n\r\n")
        .append(body);
    return Reply(std::move(bytes), ScriptedEnd::kServeNext);
}

ScriptedHttpServer::ScriptedHttpServer(std::string address, ScriptedServerBounds bounds)
    : m_address(std::move(address)),
      m_bounds(bounds),
      m_defaultResponse(HtmlPage("404 Not Found", "<html><body>Not found</body></html>")) {
    m_listener = ListenOnTcpPort(m_address.c_str(), kPort, &m_failure);
    if (m_listener == kInvalidSocket) return;
    try {
        m_acceptThread = std::thread([this] { AcceptLoop(); });
    } catch (const std::system_error& error) {
        m_failure = error.what();
        CloseSocket(m_listener);
        m_listener = kInvalidSocket;
    }
}

ScriptedHttpServer::~ScriptedHttpServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (Connection& connection : m_connections) ShutdownSocket(connection.socket);
        // Wakes the accept thread's wait on the listener.
        ShutdownSocket(m_listener);
    }
    m_changed.notify_all();
    if (m_acceptThread.joinable()) m_acceptThread.join();
    // The accept thread has ended, so no connection is added any more.
    for (Connection& connection : m_connections) {
        if (connection.thread.joinable()) connection.thread.join();
    }
    CloseSocket(m_listener);
}

std::string ScriptedHttpServer::Url(std::string_view path) const {
    // An IPv6 address stands in brackets in an address.
    const bool ipv6 = m_address.find(':') != std::string::npos;
    return "http://" + (ipv6 ? "[" + m_address + "]" : m_address) + std::string(path);
}

void ScriptedHttpServer::SetResponse(const std::string& path, ScriptedResponse response) {
    std::lock_guard lock(m_mutex);
    m_responses[path] = std::move(response);
}

void ScriptedHttpServer::SetResponsesInTurn(const std::string& path,
                                            std::vector<ScriptedResponse> responses) {
    std::lock_guard lock(m_mutex);
    m_responsesInTurn[path] = ResponsesInTurn{std::move(responses), 0};
}

void ScriptedHttpServer::SetDefaultResponse(ScriptedResponse response) {
    std::lock_guard lock(m_mutex);
    m_defaultResponse = std::move(response);
}

std::vector<std::string> ScriptedHttpServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<std::string> ScriptedHttpServer::RequestedPaths() const {
    std::vector<std::string> paths;
    for (const std::string& request : Requests()) paths.push_back(RequestTarget(request));
    return paths;
}

std::size_t ScriptedHttpServer::ConnectionsAccepted() const {
    std::lock_guard lock(m_mutex);
    return m_accepted;
}

std::size_t ScriptedHttpServer::MostConnectionsAtOnce() const {
    std::lock_guard lock(m_mutex);
    return m_mostAtOnce;
}

bool ScriptedHttpServer::WaitForRequests(std::size_t count,
                                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_requests.size() >= count; });
}

bool ScriptedHttpServer::WaitUntilAllClosed(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_open == 0; });
}

bool ScriptedHttpServer::Stopping() const {
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

void ScriptedHttpServer::AcceptLoop() {
    while (!Stopping()) {
        JoinFinishedConnections();
        {
            // Beyond the connection bound, new connections wait in the
            // listen queue until a connection thread ends.
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, kAcceptTick,
                               [&] { return m_stopping || m_open < kMaxConnections; });
            if (m_stopping) return;
            if (m_open >= kMaxConnections) continue;
        }
        if (WaitUntilReadable(m_listener, static_cast<int>(kAcceptTick.count())) !=
            Readiness::kReadable) {
            continue;
        }
        const SocketHandle socket = AcceptTcpConnection(m_listener);
        if (socket == kInvalidSocket) continue;
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            CloseSocket(socket);
            return;
        }
        Connection& connection = m_connections.emplace_back();
        connection.socket = socket;
        try {
            connection.thread = std::thread([this, &connection] { Serve(connection); });
        } catch (const std::system_error&) {
            CloseSocket(socket);
            m_connections.pop_back();
            continue;
        }
        ++m_accepted;
        m_mostAtOnce = std::max(m_mostAtOnce, ++m_open);
    }
}

void ScriptedHttpServer::JoinFinishedConnections() {
    std::list<Connection> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            const auto next = std::next(it);
            if (it->finished) finished.splice(finished.end(), m_connections, it);
            it = next;
        }
    }
    for (Connection& connection : finished) connection.thread.join();
}

void ScriptedHttpServer::Serve(Connection& connection) {
    const Clock::time_point end = Clock::now() + m_bounds.maxConnection;
    const SocketHandle socket = connection.socket;
    ScriptedEnd ending = ScriptedEnd::kServeNext;
    while (ending == ScriptedEnd::kServeNext) {
        ending = ScriptedEnd::kClose;
        const std::string request =
            ReadRequest(socket, std::min(end, Clock::now() + m_bounds.maxIdle));
        if (request.empty()) break;
        const ScriptedResponse response = ResponseFor(request);
        if (Play(socket, response, end)) ending = response.end;
    }
    if (ending == ScriptedEnd::kStayIdle) {
        IdleUntilClientCloses(socket, std::min(end, Clock::now() + m_bounds.maxIdle));
        ending = ScriptedEnd::kClose;
    }
    EndConnection(connection, ending);
}

std::string ScriptedHttpServer::ReadRequest(SocketHandle socket, Clock::time_point end) {
    std::string request;
    char buffer[4096];
    while (request.size() < kMaxRequestBytes) {
        if (WaitUntilReadable(socket, MillisecondsUntil(end)) != Readiness::kReadable) return {};
        const long count = ReceiveOnSocket(socket, buffer, sizeof buffer);
        if (count <= 0) return {};
        request.append(buffer, static_cast<std::size_t>(count));
        const std::size_t blankLine = request.find(kRequestEnd);
        if (blankLine != std::string::npos) {
            request.resize(blankLine + kRequestEnd.size());
            return request;
        }
    }
    return {};
}

ScriptedResponse ScriptedHttpServer::ResponseFor(const std::string& request) {
    const std::string target = RequestTarget(request);
    std::lock_guard lock(m_mutex);
    m_requests.push_back(request);
    m_changed.notify_all();
    if (const auto turns = m_responsesInTurn.find(target);
        turns != m_responsesInTurn.end() && !turns->second.responses.empty()) {
        ResponsesInTurn& inTurn = turns->second;
        const std::size_t index = std::min(inTurn.next, inTurn.responses.size() - 1);
        ++inTurn.next;
        return inTurn.responses[index];
    }
    const auto found = m_responses.find(target);
    return found != m_responses.end() ? found->second : m_defaultResponse;
}

bool ScriptedHttpServer::Play(SocketHandle socket, const ScriptedResponse& response,
                              Clock::time_point end) {
    for (const ScriptedChunk& chunk : response.chunks) {
        if (!Pause(chunk.pauseBefore) || !SendAll(socket, chunk.bytes)) return false;
    }
    if (response.endlessTail.empty()) return true;
    while (Clock::now() < end) {
        if (!Pause(response.tailPause) || !SendAll(socket, response.endlessTail)) return false;
    }
    return true;
}

bool ScriptedHttpServer::SendAll(SocketHandle socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const long sent = SendOnSocket(socket, bytes.data(), bytes.size());
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool ScriptedHttpServer::Pause(std::chrono::milliseconds pause) {
    std::unique_lock lock(m_mutex);
    if (pause.count() <= 0) return !m_stopping;
    return !m_changed.wait_for(lock, pause, [&] { return m_stopping; });
}

void ScriptedHttpServer::IdleUntilClientCloses(SocketHandle socket, Clock::time_point end) {
    char buffer[4096];
    while (WaitUntilReadable(socket, MillisecondsUntil(end)) == Readiness::kReadable) {
        if (ReceiveOnSocket(socket, buffer, sizeof buffer) <= 0) return;
    }
}

void ScriptedHttpServer::EndConnection(Connection& connection, ScriptedEnd end) {
    std::lock_guard lock(m_mutex);
    if (end == ScriptedEnd::kReset) {
        ResetSocket(connection.socket);
    } else {
        CloseSocket(connection.socket);
    }
    connection.socket = kInvalidSocket;
    connection.finished = true;
    --m_open;
    m_changed.notify_all();
}
