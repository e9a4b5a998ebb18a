#include "platform/net/Sockets.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Plat {

namespace {

SystemHostResolver gSystemResolver;
std::atomic<HostResolver*> gResolver{&gSystemResolver};

bool MakeNonBlocking(int descriptor)
{
    const int flags = fcntl(descriptor, F_GETFL, 0);
    return flags >= 0 && fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) == 0;
}

sockaddr_in MakeAddress(uint32_t address, int port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(address);
    return addr;
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

SocketHandle OpenStreamSocket()
{
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0)
        return kNoSocket;
    if (!MakeNonBlocking(descriptor)) {
        close(descriptor);
        return kNoSocket;
    }
    return descriptor;
}

void CloseSocket(SocketHandle socket)
{
    if (socket != kNoSocket)
        close(socket);
}

void ResetAndCloseSocket(SocketHandle socket)
{
    if (socket == kNoSocket)
        return;
    linger hard{};
    hard.l_onoff = 1;
    hard.l_linger = 0;
    setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(socket);
}

ConnectStatus StartConnect(SocketHandle socket, uint32_t address, int port)
{
    if (socket == kNoSocket || port < 1 || port > 65535)
        return ConnectStatus::Failed;
    const sockaddr_in addr = MakeAddress(address, port);
    for (;;) {
        if (connect(socket, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0)
            return ConnectStatus::Connected;
        if (errno == EINTR)
            continue;
        return errno == EINPROGRESS ? ConnectStatus::InProgress : ConnectStatus::Failed;
    }
}

int TakeSocketError(SocketHandle socket)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno != 0 ? errno : EBADF;
    return error;
}

WaitStatus WaitSocket(SocketHandle socket, bool forRead, bool forWrite, int timeoutMicroseconds)
{
    if (socket == kNoSocket)
        return WaitStatus::Failed;
    pollfd entry{};
    entry.fd = socket;
    entry.events = static_cast<short>((forRead ? POLLIN : 0) | (forWrite ? POLLOUT : 0));
    // Rounded up, so that a short wait still waits.
    const int timeoutMs = timeoutMicroseconds <= 0 ? 0 : (timeoutMicroseconds + 999) / 1000;
    const int count = poll(&entry, 1, timeoutMs);
    if (count < 0)
        return errno == EINTR ? WaitStatus::Timeout : WaitStatus::Failed;
    if (count == 0)
        return WaitStatus::Timeout;
    if ((entry.revents & POLLNVAL) != 0)
        return WaitStatus::Failed;
    return WaitStatus::Ready;
}

int SendBytes(SocketHandle socket, const char* data, int count)
{
    if (count <= 0)
        return 0;
    for (;;) {
        const ssize_t sent = send(socket, data, static_cast<size_t>(count), MSG_NOSIGNAL);
        if (sent >= 0)
            return static_cast<int>(sent);
        if (errno == EINTR)
            continue;
        return WouldBlock(errno) ? kWouldBlock : -1;
    }
}

int ReceiveBytes(SocketHandle socket, char* data, int count)
{
    if (count <= 0)
        return 0;
    for (;;) {
        const ssize_t received = recv(socket, data, static_cast<size_t>(count), 0);
        if (received >= 0)
            return static_cast<int>(received);
        if (errno == EINTR)
            continue;
        return WouldBlock(errno) ? kWouldBlock : -1;
    }
}

bool ParseDottedAddress(const std::string& text, uint32_t& address)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1)
        return false;
    address = ntohl(parsed.s_addr);
    return true;
}

SocketHandle OpenLoopbackListener(int& port)
{
    const int descriptor = OpenStreamSocket();
    if (descriptor == kNoSocket)
        return kNoSocket;
    const sockaddr_in addr = MakeAddress(INADDR_LOOPBACK, 0);
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (bind(descriptor, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || listen(descriptor, 16) != 0
        || getsockname(descriptor, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        close(descriptor);
        return kNoSocket;
    }
    port = ntohs(bound.sin_port);
    return descriptor;
}

SocketHandle AcceptConnection(SocketHandle listener)
{
    for (;;) {
        const int descriptor = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0)
            return descriptor;
        if (errno != EINTR)
            return kNoSocket;
    }
}

bool SystemHostResolver::Resolve(const std::string& hostName, uint32_t& address)
{
    if (hostName.empty())
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    bool ok = false;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
            ok = true;
            break;
        }
    }
    freeaddrinfo(found);
    return ok;
}

HostResolver& GetHostResolver()
{
    return *gResolver.load(std::memory_order_acquire);
}

HostResolver* SetHostResolver(HostResolver* resolver)
{
    return gResolver.exchange(resolver != nullptr ? resolver : &gSystemResolver, std::memory_order_acq_rel);
}

} // namespace Plat
