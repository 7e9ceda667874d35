#pragma once

#include "platform/IoResult.h"

// Standard input as a stream of bytes that arrive over time (a pipe, a terminal) or as a file.
namespace platform {

// Whether the event loop can be told when standard input has bytes (a notifier on descriptor 0).
// On Windows it cannot: standard input is then read in chunks like a file.
#ifdef _WIN32
inline constexpr bool kStandardInputWatchable = false;
#else
inline constexpr bool kStandardInputWatchable = true;
#endif

// True when standard input is no plain file: a pipe, a terminal, a socket.
bool standardInputIsStream();

// Reads at most `size` bytes of standard input once it has said it has some. Closed at its end.
IoResult readStandardInput(char *buffer, std::size_t size);

} // namespace platform
