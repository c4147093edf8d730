#include "platform/qt/PrivateFolder.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform {

namespace {

FsStatus failure(FsError code, std::string reason)
{
    return FsFailure{code, std::move(reason)};
}

} // namespace

FsStatus checkPrivateFolder(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return failure(errno == ENOENT ? FsError::NotFound : FsError::Other, std::strerror(errno));
    if (S_ISLNK(info.st_mode))
        return failure(FsError::NotRegular, "a link, not a folder");
    if (!S_ISDIR(info.st_mode))
        return failure(FsError::NotADirectory, "not a folder");
    if (info.st_uid != ::getuid())
        return failure(FsError::PermissionDenied, "owned by another user");
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return failure(FsError::PermissionDenied, "open to other users");
    return {};
}

FsStatus makePrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), S_IRWXU) != 0 && errno != EEXIST)
        return failure(FsError::Other, std::strerror(errno));
    return checkPrivateFolder(path);
}

} // namespace kavora::platform
