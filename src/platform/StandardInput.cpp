#include "platform/StandardInput.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

bool standardInputIsStream()
{
    return ::GetFileType(::GetStdHandle(STD_INPUT_HANDLE)) != FILE_TYPE_DISK;
}

IoResult readStandardInput(char *buffer, std::size_t size)
{
    DWORD n = 0;
    const DWORD want = DWORD(std::min<std::size_t>(size, MAXDWORD));
    if (!::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, want, &n, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE)
            return {IoStatus::Closed, 0, 0};
        return {IoStatus::Failed, 0, int(error)};
    }
    return n > 0 ? IoResult{IoStatus::Done, n, 0} : IoResult{IoStatus::Closed, 0, 0};
}

#else

bool standardInputIsStream()
{
    struct stat st
    {
    };
    return ::fstat(STDIN_FILENO, &st) == 0 && !S_ISREG(st.st_mode);
}

IoResult readStandardInput(char *buffer, std::size_t size)
{
    const ssize_t n = ::read(STDIN_FILENO, buffer, size);
    if (n > 0)
        return {IoStatus::Done, std::size_t(n), 0};
    if (n == 0)
        return {IoStatus::Closed, 0, 0};
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return {IoStatus::WouldWait, 0, 0};
    return {IoStatus::Failed, 0, errno};
}

#endif

} // namespace platform
