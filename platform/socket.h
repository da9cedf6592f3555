// TCP sockets over IPv4 and IPv6: the start-up, the calls of a client
// connection, and the listening side that the loopback test servers use. A handle belongs to one
// owner at a time; different handles may be used from different threads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using SocketHandle = std::intptr_t;
// All bits set, as an invalid socket has always been written.
inline constexpr SocketHandle kInvalidSocket = -1;

// Prepares the process for sockets: a write to a connection the peer has
// closed must fail with an error instead of ending the program. Returns true
// when sockets can be used.
[[nodiscard]] bool StartSockets();

// An IPv4 TCP stream socket bound to the wildcard address, port 0 (the system
// picks the local port). kInvalidSocket when it cannot be made or bound.
[[nodiscard]] SocketHandle CreateTcpClientSocket();

// Connects with a blocking connect to port of host, a name looked up as IPv4
// or, when the look-up fails, a dotted IPv4 address. False when the host has
// no address or the connection is refused or fails.
[[nodiscard]] bool ConnectTcpSocket(SocketHandle socket, unsigned short port, const char* host);

// An IPv4 or IPv6 address in network byte order (an IPv4 one in the first
// four bytes).
struct HostAddress {
    bool ipv6 = false;
    std::array<std::uint8_t, 16> bytes{};

    bool operator==(const HostAddress&) const = default;
};

// Every address of host, IPv4 and IPv6, in the order the resolver gives them,
// each once; a literal address ("127.0.0.1", "::1") is its own. A host the
// resolver does not know is read as a dotted IPv4 address in any of its
// short forms (127.1). Empty when host has none. Blocks for as long as the
// system's resolver takes.
[[nodiscard]] std::vector<HostAddress> LookUpHostAddresses(const char* host);

// An IPv4 TCP stream socket, or an IPv6 one, for connecting to address.
[[nodiscard]] SocketHandle CreateTcpClientSocketFor(const HostAddress& address);

enum class ConnectStart { kConnected, kInProgress, kFailed };

// Starts a connection to port of an address looked up before, on a socket
// made non-blocking: it is made at once, goes on in the background (wait
// until the socket is writable, then FinishTcpConnect), or failed. A caller
// can so bound the wait, and give it up at any moment.
[[nodiscard]] ConnectStart StartTcpConnect(SocketHandle socket, unsigned short port,
                                           HostAddress address);
// After StartTcpConnect gave kInProgress and the socket became writable:
// true when the connection was made.
[[nodiscard]] bool FinishTcpConnect(SocketHandle socket);

// One send call; a closed peer gives -1, never a signal. Returns the bytes
// sent or -1.
long SendOnSocket(SocketHandle socket, const char* data, std::size_t length);

enum class Readiness { kReadable, kWritable, kTimedOut, kFailed };

// Waits until socket has data (or an end of stream) to read, at most
// timeoutMs milliseconds (0: just look).
[[nodiscard]] Readiness WaitUntilReadable(SocketHandle socket, int timeoutMs);
// Waits until a send on socket would not block, at most timeoutMs.
[[nodiscard]] Readiness WaitUntilWritable(SocketHandle socket, int timeoutMs);

// Makes every later call on socket return at once instead of blocking, so
// that a caller can bound each step by its own readiness waits.
[[nodiscard]] bool SetSocketNonBlocking(SocketHandle socket);

// Sends each write at once instead of holding a small one back until the
// peer acknowledges the one before (Nagle). A protocol that writes twice
// before it reads (a handshake's last message, then a request) would
// otherwise wait for the peer's delayed acknowledgement, some 40 ms.
void SendWithoutDelay(SocketHandle socket);

// One receive of at most size bytes. Returns the count, 0 when the peer has
// closed, -1 on an error.
[[nodiscard]] long ReceiveOnSocket(SocketHandle socket, char* buffer, std::size_t size);

// Closes the socket; the peer sees an orderly end of stream.
void CloseSocket(SocketHandle socket);

// Closes the socket so that the peer sees a reset instead of an orderly end.
void ResetSocket(SocketHandle socket);

// A listening socket on port of the IPv4 or IPv6 literal address, with address reuse
// so that a test can bind again while old connections linger. On failure
// returns kInvalidSocket and puts the system's reason into *error.
[[nodiscard]] SocketHandle ListenOnTcpPort(const char* address, unsigned short port,
                                           std::string* error);

// The local port a socket is bound to (a listener on port 0 gets one from
// the system); 0 when it cannot be read.
[[nodiscard]] unsigned short LocalPortOf(SocketHandle socket);

// Accepts one waiting connection; kInvalidSocket when there is none or on an
// error. Call after WaitUntilReadable reported the listener readable.
[[nodiscard]] SocketHandle AcceptTcpConnection(SocketHandle listener);

// Ends both directions of a connection without closing the handle. A thread
// blocked on the socket (waiting, sending or receiving) returns at once.
void ShutdownSocket(SocketHandle socket);
