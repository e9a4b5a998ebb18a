// IPv4 TCP sockets for the HTTP transfers: non-blocking streams, a readiness
// wait, and a host-name resolver that tests replace. A listener bound to the
// loopback address serves tests' own servers.
#pragma once

#include <cstdint>
#include <string>

namespace Plat {

using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;

// Returned by SendBytes and ReceiveBytes when nothing can move right now.
constexpr int kWouldBlock = -2;

enum class ConnectStatus { Connected, InProgress, Failed };
enum class WaitStatus { Ready, Timeout, Failed };

// A TCP stream socket in non-blocking mode; kNoSocket when none can be made.
SocketHandle OpenStreamSocket();
void CloseSocket(SocketHandle socket);
// Closes at once with a reset instead of an orderly end (the peer sees an
// error, not an end of stream).
void ResetAndCloseSocket(SocketHandle socket);

// Starts connecting to the address (host byte order, 127.0.0.1 = 0x7F000001)
// and port; a port outside 1..65535 fails.
ConnectStatus StartConnect(SocketHandle socket, uint32_t address, int port);
// The socket's pending error, cleared by reading it; 0 when there is none.
// A connection attempt that was refused shows up here once the socket
// reports itself writable.
int TakeSocketError(SocketHandle socket);

// Waits up to the timeout for the socket to become readable and/or writable.
// A socket with an error or a closed peer counts as ready, so that the next
// send, receive or TakeSocketError tells what happened. Failed only when the
// wait itself fails.
WaitStatus WaitSocket(SocketHandle socket, bool forRead, bool forWrite, int timeoutMicroseconds);

// The number of bytes sent (never raises SIGPIPE), kWouldBlock, or -1.
int SendBytes(SocketHandle socket, const char* data, int count);
// Up to count bytes: the number received, 0 when the peer ended the stream,
// kWouldBlock, or -1 (a reset connection included).
int ReceiveBytes(SocketHandle socket, char* data, int count);

// "a.b.c.d" as an address in host byte order; false for anything else.
bool ParseDottedAddress(const std::string& text, uint32_t& address);

// A non-blocking listener on 127.0.0.1 at a port the system picks (out
// parameter); kNoSocket on failure. Never bound to any other address.
SocketHandle OpenLoopbackListener(int& port);
// Takes one waiting connection as a non-blocking socket; kNoSocket when none waits.
SocketHandle AcceptConnection(SocketHandle listener);

// Turns host names into IPv4 addresses.
class HostResolver {
public:
    virtual ~HostResolver() = default;
    // The host's first IPv4 address (host byte order); false when it has none.
    virtual bool Resolve(const std::string& hostName, uint32_t& address) = 0;
};

// The system's resolver (getaddrinfo).
class SystemHostResolver : public HostResolver {
public:
    bool Resolve(const std::string& hostName, uint32_t& address) override;
};

// The resolver in use; the system's unless a test installed another.
HostResolver& GetHostResolver();
// Installs a resolver (null restores the system's); returns the previous one.
// Install before starting the transfers that use it.
HostResolver* SetHostResolver(HostResolver* resolver);

} // namespace Plat
