#pragma once

#include "platform/IoResult.h"

// A request to stop from outside the program (SIGINT and SIGTERM; on Windows a console's Ctrl-C,
// Ctrl-Break, close or log-off) as bytes on a socket the event loop watches, so that the program
// stops in its own orderly way instead of in a signal handler.
namespace platform {

// Installs the handlers (once per process) and returns the socket to watch for reading, or kNoSocket
// when none could be made. Each request writes one byte to it: SIGINT's or SIGTERM's number.
// On POSIX a reader of standard output that goes away no longer ends the program either: writes
// then fail with EPIPE instead of raising SIGPIPE.
SocketHandle installStopRequests();

// Takes one request from the watched socket: the signal number, or -1 when none waits.
int takeStopRequest(SocketHandle watched);

// Gives SIGINT and SIGTERM (the console's events) back to the system's default handling.
void removeStopRequests();

} // namespace platform
