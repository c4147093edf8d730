#include "platform/Console.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform {

namespace {

StreamKind kindOf(int descriptor)
{
    if (::isatty(descriptor) != 0)
        return StreamKind::Terminal;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0)
        return StreamKind::Other;
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
        return StreamKind::Pipe;
    return S_ISREG(info.st_mode) ? StreamKind::File : StreamKind::Other;
}

} // namespace

StreamKind standardOutputKind()
{
    return kindOf(STDOUT_FILENO);
}

StreamKind standardErrorKind()
{
    return kindOf(STDERR_FILENO);
}

void openClosedStandardStreams()
{
    for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // Taken in ascending order, the lowest free number is the one just
        // found closed, which open hands out.
        (void)::open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
}

void ignoreBrokenPipe()
{
    (void)std::signal(SIGPIPE, SIG_IGN);
}

} // namespace kavora::platform
