#pragma once

#include "platform/IoResult.h"

// Calls on a socket that Qt's sockets do not offer: reading and writing around the socket's own
// buffers, taking a connection with the address the system names for it, and ending a connection
// another thread waits on.
namespace platform {

// Reads at most `size` bytes the system holds now, never waiting.
IoResult receiveNow(SocketHandle socket, char *buffer, std::size_t size);

// Writes what fits now, never waiting and never raising a broken-pipe signal. Where a system cannot
// write without that signal, nothing is written (Done with 0 bytes).
IoResult sendNow(SocketHandle socket, const char *data, std::size_t size);

enum class AcceptStatus
{
    Taken,       // `Accepted` holds the new connection
    TryAgain,    // one was lost on the way (interrupted, reset before it was taken): ask again
    NoneWaiting, // none waits, or none can be taken now
};

struct Accepted
{
    SocketHandle socket = kNoSocket;
    bool ipv6 = false;
    std::uint8_t address[16] = {}; // network byte order; the first four bytes for IPv4
    std::uint16_t port = 0;
    std::uint32_t scopeId = 0; // the interface of a link-local IPv6 address
};

// Takes one waiting connection from a listening socket without waiting; the new socket is not
// inherited by programs this one starts.
AcceptStatus acceptNow(SocketHandle listening, Accepted *out);

void closeSocket(SocketHandle socket);

// Ends both directions of a connection: a thread waiting on it wakes up at once.
void shutdownSocket(SocketHandle socket);

} // namespace platform
