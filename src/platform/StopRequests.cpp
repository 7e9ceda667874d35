#include "platform/StopRequests.h"

#include <csignal>

#ifdef _WIN32
#include <winsock2.h> // brings windows.h in the order Winsock needs
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

namespace {

SOCKET g_pair[2] = {INVALID_SOCKET, INVALID_SOCKET}; // [0] watched, [1] written by the handler

// Windows has no socketpair(): a connection over the loopback interface stands in for it.
bool loopbackPair()
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    const bool listening = listener != INVALID_SOCKET &&
                           ::bind(listener, reinterpret_cast<sockaddr *>(&address), length) == 0 &&
                           ::listen(listener, 1) == 0 &&
                           ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0;
    if (listening) {
        g_pair[1] = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (g_pair[1] != INVALID_SOCKET &&
            ::connect(g_pair[1], reinterpret_cast<sockaddr *>(&address), length) == 0)
            g_pair[0] = ::accept(listener, nullptr, nullptr);
    }
    if (listener != INVALID_SOCKET)
        ::closesocket(listener);
    if (g_pair[0] == INVALID_SOCKET) {
        if (g_pair[1] != INVALID_SOCKET)
            ::closesocket(g_pair[1]);
        g_pair[1] = INVALID_SOCKET;
        return false;
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(g_pair[0], FIONBIO, &nonBlocking);
    ::ioctlsocket(g_pair[1], FIONBIO, &nonBlocking);
    return true;
}

// Runs on a thread the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    const char number = char(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
    ::send(g_pair[1], &number, 1, 0);
    return TRUE;
}

} // namespace

SocketHandle installStopRequests()
{
    if (g_pair[0] == INVALID_SOCKET && !loopbackPair())
        return kNoSocket;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    return SocketHandle(g_pair[0]);
}

int takeStopRequest(SocketHandle watched)
{
    char number = 0;
    return ::recv(SOCKET(watched), &number, 1, 0) == 1 ? int(number) : -1;
}

void removeStopRequests()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

#else

namespace {

int g_pair[2] = {-1, -1}; // [0] watched, [1] written by the handler

void onSignal(int number)
{
    const char c = char(number);
    [[maybe_unused]] const ssize_t n = ::write(g_pair[1], &c, 1);
}

} // namespace

SocketHandle installStopRequests()
{
    ::signal(SIGPIPE, SIG_IGN);
    if (g_pair[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pair) != 0)
        return kNoSocket;
    ::fcntl(g_pair[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_pair[1], F_SETFL, O_NONBLOCK);
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    return g_pair[0];
}

int takeStopRequest(SocketHandle watched)
{
    char number = 0;
    return ::read(int(watched), &number, 1) == 1 ? int(number) : -1;
}

void removeStopRequests()
{
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
}

#endif

} // namespace platform
