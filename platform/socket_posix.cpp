// TCP sockets on POSIX, IPv4 and IPv6: getaddrinfo with a dotted-address
// fallback, poll for readiness (no descriptor-number limit, unlike select),
// and MSG_NOSIGNAL on every send.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/socket.h"

namespace {

int Descriptor(SocketHandle socket) { return static_cast<int>(socket); }

sockaddr_in Ipv4Address(in_addr address, unsigned short port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr = address;
    return result;
}

// The first IPv4 address the look-up gives for host, else host read as a
// dotted address (which also takes the short forms such as 127.1).
bool ResolveIpv4(const char* host, in_addr* address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) == 0 && found != nullptr) {
        *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
        return true;
    }
    return ::inet_aton(host, address) != 0;
}

// The socket address of address at port; its length.
socklen_t SocketAddressOf(const HostAddress& address, unsigned short port,
                          sockaddr_storage* storage) {
    *storage = {};
    if (address.ipv6) {
        auto* ipv6 = reinterpret_cast<sockaddr_in6*>(storage);
        ipv6->sin6_family = AF_INET6;
        ipv6->sin6_port = htons(port);
        std::memcpy(&ipv6->sin6_addr, address.bytes.data(), sizeof ipv6->sin6_addr);
        return sizeof *ipv6;
    }
    auto* ipv4 = reinterpret_cast<sockaddr_in*>(storage);
    ipv4->sin_family = AF_INET;
    ipv4->sin_port = htons(port);
    std::memcpy(&ipv4->sin_addr, address.bytes.data(), sizeof ipv4->sin_addr);
    return sizeof *ipv4;
}

HostAddress Ipv4HostAddress(const in_addr& address) {
    HostAddress host;
    std::memcpy(host.bytes.data(), &address, sizeof address);
    return host;
}

// The address of a resolver's answer; nothing for a family other than
// IPv4 and IPv6.
std::optional<HostAddress> HostAddressOf(const sockaddr* address) {
    if (address->sa_family == AF_INET) {
        return Ipv4HostAddress(reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
    }
    if (address->sa_family != AF_INET6) return std::nullopt;
    HostAddress host;
    host.ipv6 = true;
    const in6_addr& ipv6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    std::memcpy(host.bytes.data(), &ipv6, sizeof ipv6);
    return host;
}

// The literal address text; nothing when it is neither IPv4 nor IPv6.
std::optional<HostAddress> LiteralAddress(const char* text) {
    in_addr ipv4{};
    if (::inet_pton(AF_INET, text, &ipv4) == 1) return Ipv4HostAddress(ipv4);
    in6_addr ipv6{};
    if (::inet_pton(AF_INET6, text, &ipv6) != 1) return std::nullopt;
    HostAddress host;
    host.ipv6 = true;
    std::memcpy(host.bytes.data(), &ipv6, sizeof ipv6);
    return host;
}

// Not retried on EINTR: on Linux the descriptor is released all the same.
void CloseDescriptor(int descriptor) { ::close(descriptor); }

// Waits for event on socket; ready when it came.
Readiness WaitForEvent(SocketHandle socket, short event, Readiness ready, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd watched{Descriptor(socket), event, 0};
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int result =
            ::poll(&watched, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (result > 0) {
            // A hang-up or an error counts as ready too: the next call reports it.
            return (watched.revents & POLLNVAL) != 0 ? Readiness::kFailed : ready;
        }
        if (result == 0) return Readiness::kTimedOut;
        if (errno != EINTR) return Readiness::kFailed;
    }
}

// connect() to the address of a host that has been looked up; 0 or -1 with errno.
int ConnectTo(SocketHandle socket, const HostAddress& address, unsigned short port) {
    sockaddr_storage remote{};
    const socklen_t length = SocketAddressOf(address, port, &remote);
    int result;
    do {
        result = ::connect(Descriptor(socket), reinterpret_cast<const sockaddr*>(&remote), length);
    } while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace

bool StartSockets() {
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

SocketHandle CreateTcpClientSocket() {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) return kInvalidSocket;
    const sockaddr_in local = Ipv4Address(in_addr{htonl(INADDR_ANY)}, 0);
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        CloseDescriptor(descriptor);
        return kInvalidSocket;
    }
    return descriptor;
}

SocketHandle CreateTcpClientSocketFor(const HostAddress& address) {
    if (!address.ipv6) return CreateTcpClientSocket();
    const int descriptor = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return descriptor < 0 ? kInvalidSocket : descriptor;
}

bool ConnectTcpSocket(SocketHandle socket, unsigned short port, const char* host) {
    in_addr address{};
    return ResolveIpv4(host, &address) && ConnectTo(socket, Ipv4HostAddress(address), port) == 0;
}

std::vector<HostAddress> LookUpHostAddresses(const char* host) {
    if (const std::optional<HostAddress> literal = LiteralAddress(host)) return {*literal};
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::vector<HostAddress> ipv4;
    std::vector<HostAddress> ipv6;
    if (::getaddrinfo(host, nullptr, &hints, &found) == 0) {
        for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
            const std::optional<HostAddress> address = HostAddressOf(entry->ai_addr);
            if (!address) continue;
            std::vector<HostAddress>& list = address->ipv6 ? ipv6 : ipv4;
            if (std::find(list.begin(), list.end(), *address) == list.end())
                list.push_back(*address);
        }
        ::freeaddrinfo(found);
    }
    in_addr dotted{};
    if (ipv4.empty() && ipv6.empty() && ::inet_aton(host, &dotted) != 0) {
        ipv4.push_back(Ipv4HostAddress(dotted));
    }
    // IPv4 first: a host that has an IPv4 address is reached as it always
    // was, and a machine whose IPv6 route drops packets loses no time on it.
    ipv4.insert(ipv4.end(), ipv6.begin(), ipv6.end());
    return ipv4;
}

ConnectStart StartTcpConnect(SocketHandle socket, unsigned short port, HostAddress address) {
    if (!SetSocketNonBlocking(socket)) return ConnectStart::kFailed;
    if (ConnectTo(socket, address, port) == 0) return ConnectStart::kConnected;
    return errno == EINPROGRESS ? ConnectStart::kInProgress : ConnectStart::kFailed;
}

bool FinishTcpConnect(SocketHandle socket) {
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(Descriptor(socket), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

long SendOnSocket(SocketHandle socket, const char* data, std::size_t length) {
    ssize_t sent;
    do {
        sent = ::send(Descriptor(socket), data, length, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return static_cast<long>(sent);
}

Readiness WaitUntilReadable(SocketHandle socket, int timeoutMs) {
    return WaitForEvent(socket, POLLIN, Readiness::kReadable, timeoutMs);
}

Readiness WaitUntilWritable(SocketHandle socket, int timeoutMs) {
    return WaitForEvent(socket, POLLOUT, Readiness::kWritable, timeoutMs);
}

bool SetSocketNonBlocking(SocketHandle socket) {
    const int flags = ::fcntl(Descriptor(socket), F_GETFL);
    return flags >= 0 && ::fcntl(Descriptor(socket), F_SETFL, flags | O_NONBLOCK) == 0;
}

long ReceiveOnSocket(SocketHandle socket, char* buffer, std::size_t size) {
    ssize_t received;
    do {
        received = ::recv(Descriptor(socket), buffer, size, 0);
    } while (received < 0 && errno == EINTR);
    return static_cast<long>(received);
}

void CloseSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) CloseDescriptor(Descriptor(socket));
}

void ResetSocket(SocketHandle socket) {
    if (socket == kInvalidSocket) return;
    // A zero linger time makes close discard unsent data and send a reset.
    const linger abort{1, 0};
    ::setsockopt(Descriptor(socket), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    CloseDescriptor(Descriptor(socket));
}

SocketHandle ListenOnTcpPort(const char* address, unsigned short port, std::string* error) {
    const std::optional<HostAddress> host = LiteralAddress(address);
    if (!host) {
        *error = std::string("not an IPv4 or IPv6 address: ") + address;
        return kInvalidSocket;
    }
    // Non-blocking, so that an accept after a connection vanished between the
    // readiness wait and the accept returns instead of waiting for the next.
    const int descriptor =
        ::socket(host->ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) {
        *error = std::strerror(errno);
        return kInvalidSocket;
    }
    const int enable = 1;
    ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &enable, sizeof enable);
    sockaddr_storage local{};
    const socklen_t length = SocketAddressOf(*host, port, &local);
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&local), length) != 0 ||
        ::listen(descriptor, SOMAXCONN) != 0) {
        *error = std::strerror(errno);
        CloseDescriptor(descriptor);
        return kInvalidSocket;
    }
    return descriptor;
}

void SendWithoutDelay(SocketHandle socket) {
    const int enable = 1;
    ::setsockopt(Descriptor(socket), IPPROTO_TCP, TCP_NODELAY, &enable, sizeof enable);
}

unsigned short LocalPortOf(SocketHandle socket) {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(Descriptor(socket), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    // The port sits at the same place in both families' addresses.
    return ntohs(reinterpret_cast<const sockaddr_in*>(&local)->sin_port);
}

SocketHandle AcceptTcpConnection(SocketHandle listener) {
    int descriptor;
    do {
        // The accepted socket is blocking: accept4 does not pass the
        // listener's non-blocking flag on.
        descriptor = ::accept4(Descriptor(listener), nullptr, nullptr, SOCK_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor < 0 ? kInvalidSocket : descriptor;
}

void ShutdownSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) ::shutdown(Descriptor(socket), SHUT_RDWR);
}
