#include "platform/internal/HostRename.h"

#include "platform/internal/CaseFold.h"
#include "platform/internal/HostError.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kavora::platform::internal {

namespace {

// glibc has carried renameat2 since 2.28; older C libraries get the raw system call.
int renameWithoutReplacing(const char* from, const char* to)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#else
    return static_cast<int>(
        ::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 1u /* RENAME_NOREPLACE */));
#endif
}

bool sameInode(const struct stat& first, const struct stat& second)
{
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string baseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool linkRefused(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

// The last resort where neither the flag nor hard links exist: look, rename,
// and look again. Between the look and the rename another program could create
// the target; the second look catches that so it is reported, not hidden.
FsStatus checkThenRename(const std::string& from, const std::string& to)
{
    struct stat source {};
    if (::lstat(from.c_str(), &source) != 0)
        return failureFromErrno(errno);
    struct stat target {};
    if (::lstat(to.c_str(), &target) == 0)
        return makeFailure(FsError::TargetExists, "target exists");
    if (errno != ENOENT)
        return failureFromErrno(errno);
    if (::rename(from.c_str(), to.c_str()) != 0)
        return failureFromErrno(errno);
    struct stat renamed {};
    if (::lstat(to.c_str(), &renamed) != 0 || !sameInode(source, renamed))
        return makeFailure(FsError::TargetExists, "target was created by another program during the rename");
    return {};
}

FsStatus linkThenUnlink(const std::string& from, const std::string& to)
{
    if (::link(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        if (linkRefused(error))
            return checkThenRename(from, to);
        return failureFromErrno(error);
    }
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        // Leave the file under its old name only, as it was before.
        ::unlink(to.c_str());
        return failureFromErrno(error);
    }
    return {};
}

FsStatus move(const std::string& from, const std::string& to, RenameStrategy strategy)
{
    switch (strategy) {
    case RenameStrategy::Automatic:
        if (renameWithoutReplacing(from.c_str(), to.c_str()) == 0)
            return {};
        // EINVAL: the file system does not know the flag; ENOSYS: the kernel
        // lacks the call. EEXIST and everything else is final.
        if (errno == EINVAL || errno == ENOSYS)
            return linkThenUnlink(from, to);
        return failureFromErrno(errno);
    case RenameStrategy::LinkThenUnlink:
        return linkThenUnlink(from, to);
    case RenameStrategy::CheckThenRename:
        return checkThenRename(from, to);
    }
    return makeFailure(FsError::Other, "unknown rename method");
}

std::string temporarySibling(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return directoryOf(path) + "/.kavora-rename-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

} // namespace

FsStatus renameNoReplaceOnHost(const std::string& from, const std::string& to, RenameStrategy strategy)
{
    if (from == to) {
        struct stat source {};
        if (::lstat(from.c_str(), &source) != 0)
            return failureFromErrno(errno);
        return {};
    }
    // The rename itself is the test: the common case costs one system call.
    FsStatus moved = move(from, to, strategy);
    if (moved.ok() || moved.failure().code != FsError::TargetExists)
        return moved;

    // On a case-insensitive file system "a.mp3" -> "A.mp3" finds the source
    // itself as the target. That is a legitimate rename, done in two steps.
    struct stat source {};
    struct stat target {};
    const std::string fromName = baseName(from);
    const std::string toName = baseName(to);
    if (fromName == toName || !equalIgnoringCase(fromName, toName) || ::lstat(from.c_str(), &source) != 0 ||
        ::lstat(to.c_str(), &target) != 0 || !sameInode(source, target))
        return moved;
    const std::string temporary = temporarySibling(from);
    if (FsStatus first = move(from, temporary, strategy); !first.ok())
        return first;
    FsStatus second = move(temporary, to, strategy);
    if (!second.ok() && !move(temporary, from, strategy).ok()) {
        FsFailure stranded = second.failure();
        stranded.reason += "; the file is left as " + temporary;
        return stranded;
    }
    return second;
}

} // namespace kavora::platform::internal
