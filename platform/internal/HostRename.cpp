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
int renameWithoutReplacing(int directoryFd, const char* from, const char* to)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return ::renameat2(directoryFd, from, directoryFd, to, RENAME_NOREPLACE);
#else
    return static_cast<int>(
        ::syscall(SYS_renameat2, directoryFd, from, directoryFd, to, 1u /* RENAME_NOREPLACE */));
#endif
}

bool sameInode(const struct stat& first, const struct stat& second)
{
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

int lstatIn(int directoryFd, const std::string& name, struct stat& info)
{
    return ::fstatat(directoryFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW);
}

bool linkRefused(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

// The last resort where neither the flag nor hard links exist: look, rename,
// and look again. Between the look and the rename another program could create
// the target; the second look catches that so it is reported, not hidden.
FsStatus checkThenRename(int directoryFd, const std::string& from, const std::string& to)
{
    struct stat source {};
    if (lstatIn(directoryFd, from, source) != 0)
        return failureFromErrno(errno);
    struct stat target {};
    if (lstatIn(directoryFd, to, target) == 0)
        return makeFailure(FsError::TargetExists, "target exists");
    if (errno != ENOENT)
        return failureFromErrno(errno);
    if (::renameat(directoryFd, from.c_str(), directoryFd, to.c_str()) != 0)
        return failureFromErrno(errno);
    struct stat renamed {};
    if (lstatIn(directoryFd, to, renamed) != 0 || !sameInode(source, renamed))
        return makeFailure(FsError::TargetExists, "target was created by another program during the rename");
    return {};
}

// The no-replace rename of file systems without the flag (FUSE, some network
// ones): a second name that cannot replace anything, then the first one goes.
FsStatus linkThenUnlink(int directoryFd, const std::string& from, const std::string& to)
{
    if (::linkat(directoryFd, from.c_str(), directoryFd, to.c_str(), 0) != 0) {
        const int error = errno;
        if (linkRefused(error))
            return checkThenRename(directoryFd, from, to);
        return failureFromErrno(error);
    }
    if (::unlinkat(directoryFd, from.c_str(), 0) != 0) {
        const int error = errno;
        // Leave the file under its old name only, as it was before.
        ::unlinkat(directoryFd, to.c_str(), 0);
        return failureFromErrno(error);
    }
    return {};
}

FsStatus move(int directoryFd, const std::string& from, const std::string& to, RenameStrategy strategy)
{
    switch (strategy) {
    case RenameStrategy::Automatic:
        if (renameWithoutReplacing(directoryFd, from.c_str(), to.c_str()) == 0)
            return {};
        // EINVAL: the file system does not know the flag; ENOSYS: the kernel
        // lacks the call. EEXIST and everything else is final.
        if (errno == EINVAL || errno == ENOSYS)
            return linkThenUnlink(directoryFd, from, to);
        return failureFromErrno(errno);
    case RenameStrategy::LinkThenUnlink:
        return linkThenUnlink(directoryFd, from, to);
    case RenameStrategy::CheckThenRename:
        return checkThenRename(directoryFd, from, to);
    }
    return makeFailure(FsError::Other, "unknown rename method");
}

std::string temporaryName()
{
    static std::atomic<unsigned> counter{0};
    return ".kavora-rename-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
}

} // namespace

FsStatus renameNoReplaceIn(int directoryFd, const std::string& from, const std::string& to,
                           RenameStrategy strategy)
{
    if (from == to) {
        struct stat source {};
        if (lstatIn(directoryFd, from, source) != 0)
            return failureFromErrno(errno);
        return {};
    }
    // The rename itself is the test: the common case costs one system call.
    FsStatus moved = move(directoryFd, from, to, strategy);
    if (moved.ok() || moved.failure().code != FsError::TargetExists)
        return moved;

    // On a case-insensitive file system "a.mp3" -> "A.mp3" finds the source
    // itself as the target. That is a legitimate rename, done in two steps.
    struct stat source {};
    struct stat target {};
    if (from == to || !equalIgnoringCase(from, to) || lstatIn(directoryFd, from, source) != 0 ||
        lstatIn(directoryFd, to, target) != 0 || !sameInode(source, target))
        return moved;
    const std::string temporary = temporaryName();
    if (FsStatus first = move(directoryFd, from, temporary, strategy); !first.ok())
        return first;
    FsStatus second = move(directoryFd, temporary, to, strategy);
    if (!second.ok() && !move(directoryFd, temporary, from, strategy).ok()) {
        FsFailure stranded = second.failure();
        stranded.reason += "; the file is left as " + temporary;
        return stranded;
    }
    return second;
}

} // namespace kavora::platform::internal
