// A scripted HTTP server on port 80 of a loopback address, for web tests. Per
// request path it plays a scripted response: byte chunks, each after a pause,
// then a close, an idle wait or a reset. It records the raw requests and the
// most connections it held open at once.
// Threads: the test thread constructs, scripts, reads the records and
// destroys; the server's own threads (one accepting, one per connection, at
// most kMaxConnections) serve. Scripts and records are guarded by one mutex.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/socket.h"

// Bytes the server sends after a pause.
struct ScriptedChunk {
    std::chrono::milliseconds pauseBefore{0};
    std::string bytes;
};

// What the server does once the chunks are sent.
enum class ScriptedEnd {
    kClose,      // an orderly close
    kStayIdle,   // keep the connection open until the client closes (or the idle bound)
    kReset,      // close with a reset
    kServeNext,  // keep the connection and serve the next request that comes on it
};

struct ScriptedResponse {
    std::vector<ScriptedChunk> chunks;
    // After the chunks, when not empty: sent again and again, each time after
    // tailPause, until the client goes or the connection bound passes (an
    // endless body, or a trickle that never pauses long).
    std::string endlessTail;
    std::chrono::milliseconds tailPause{0};
    ScriptedEnd end = ScriptedEnd::kClose;
};

// The whole response in one send, then end.
[[nodiscard]] ScriptedResponse Reply(std::string bytes, ScriptedEnd end = ScriptedEnd::kClose);
// Accepts and reads the request, then sends nothing and stays idle.
[[nodiscard]] ScriptedResponse NeverAnswer();
// "HTTP/1.1 <status>", a Content-Type header and body, closing after it.
[[nodiscard]] ScriptedResponse HtmlPage(std::string_view status, std::string_view body);
// The same with a Content-Length header, the connection kept for the next
// request, as a server that keeps connections alive answers.
[[nodiscard]] ScriptedResponse KeptAlivePage(std::string_view status, std::string_view body);

// How long the server keeps any one connection, whatever its script says.
struct ScriptedServerBounds {
    // Waiting for a request, and idling after a response.
    std::chrono::milliseconds maxIdle{30000};
    // The whole life of one connection, endless tails included.
    std::chrono::milliseconds maxConnection{120000};
};

class ScriptedHttpServer {
public:
    static constexpr unsigned short kPort = 80;
    static constexpr std::size_t kMaxConnections = 64;
    static constexpr std::size_t kMaxRequestBytes = 64 * 1024;

    // Starts listening on port 80 of address (dotted IPv4). When that fails,
    // IsListening is false and Failure says why.
    explicit ScriptedHttpServer(std::string address, ScriptedServerBounds bounds = {});
    // Ends every connection and joins every thread of the server.
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    [[nodiscard]] bool IsListening() const { return m_listener != kInvalidSocket; }
    [[nodiscard]] bool PortUnavailable() const { return !IsListening(); }
    [[nodiscard]] const std::string& Failure() const { return m_failure; }
    [[nodiscard]] const std::string& Address() const { return m_address; }
    // "http://" + address + path, an IPv6 address in brackets.
    [[nodiscard]] std::string Url(std::string_view path) const;

    // The response for requests of exactly path (the request line's target).
    void SetResponse(const std::string& path, ScriptedResponse response);
    // Responses for path played in turn, one per request, the last one
    // again and again after (a server that recovers, or one that gives up).
    void SetResponsesInTurn(const std::string& path, std::vector<ScriptedResponse> responses);
    // The response for paths without one of their own (404 until set).
    void SetDefaultResponse(ScriptedResponse response);

    // Raw requests (up to their blank line) in the order they arrived.
    [[nodiscard]] std::vector<std::string> Requests() const;
    // The request targets of Requests().
    [[nodiscard]] std::vector<std::string> RequestedPaths() const;
    // Connections accepted since the start; each may carry several requests.
    [[nodiscard]] std::size_t ConnectionsAccepted() const;
    [[nodiscard]] std::size_t MostConnectionsAtOnce() const;
    // Waits until count requests have arrived; false on time-out.
    [[nodiscard]] bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    // Waits until no connection is open any more; false on time-out.
    [[nodiscard]] bool WaitUntilAllClosed(std::chrono::milliseconds timeout) const;

private:
    struct Connection {
        SocketHandle socket = kInvalidSocket;
        bool finished = false;
        std::thread thread;
    };

    void AcceptLoop();
    void Serve(Connection& connection);
    // Reads one request; empty when none arrived whole.
    std::string ReadRequest(SocketHandle socket, std::chrono::steady_clock::time_point end);
    ScriptedResponse ResponseFor(const std::string& request);
    // False when the client has gone or the server stops.
    bool Play(SocketHandle socket, const ScriptedResponse& response,
              std::chrono::steady_clock::time_point end);
    bool SendAll(SocketHandle socket, std::string_view bytes);
    // Waits out pause; false when the server stops meanwhile.
    bool Pause(std::chrono::milliseconds pause);
    void IdleUntilClientCloses(SocketHandle socket, std::chrono::steady_clock::time_point end);
    void EndConnection(Connection& connection, ScriptedEnd end);
    void JoinFinishedConnections();
    [[nodiscard]] bool Stopping() const;

    const std::string m_address;
    const ScriptedServerBounds m_bounds;
    std::string m_failure;
    SocketHandle m_listener = kInvalidSocket;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_stopping = false;
    std::map<std::string, ScriptedResponse> m_responses;
    struct ResponsesInTurn {
        std::vector<ScriptedResponse> responses;
        std::size_t next = 0;
    };
    std::map<std::string, ResponsesInTurn> m_responsesInTurn;
    ScriptedResponse m_defaultResponse;
    std::vector<std::string> m_requests;
    std::list<Connection> m_connections;
    std::size_t m_open = 0;
    std::size_t m_accepted = 0;
    std::size_t m_mostAtOnce = 0;

    std::thread m_acceptThread;
};
