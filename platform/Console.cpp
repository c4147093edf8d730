#include "platform/Console.h"

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

} // namespace kavora::platform
