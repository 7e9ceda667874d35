#pragma once

#include <cstddef>
#include <cstdint>

// What the system's calls in this folder share. The folder holds every call into the operating
// system that Qt does not offer, one file per concern, each with a POSIX and a Windows
// implementation; it includes no Qt header, so each system's compiler can check it on its own.
namespace platform {

// A socket descriptor (POSIX) or a SOCKET (Windows), as Qt's socketDescriptor() gives it.
using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

enum class IoStatus
{
    Done,      // `bytes` were moved
    WouldWait, // nothing can move now
    Closed,    // the other side ended the connection (or the input): everything before was read
    Failed,    // `error` says why
};

struct IoResult
{
    IoStatus status = IoStatus::Failed;
    std::size_t bytes = 0;
    int error = 0; // the system's error code (errno, or WSAGetLastError() / GetLastError())
};

} // namespace platform
