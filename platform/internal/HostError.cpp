#include "platform/internal/HostError.h"

#include <cerrno>
#include <cstring>

namespace kavora::platform::internal {

FsFailure failureFromErrno(int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return makeFailure(FsError::TargetExists, "target exists");
    case ENOENT:
        return makeFailure(FsError::NotFound, "file not found");
    case EACCES:
    case EPERM:
        return makeFailure(FsError::PermissionDenied, "permission denied");
    case EROFS:
        return makeFailure(FsError::ReadOnlyMedium, "read-only medium");
    case ENOSPC:
    case EDQUOT:
        return makeFailure(FsError::NoSpace, "disk full");
    case EISDIR:
        return makeFailure(FsError::IsDirectory, "is a directory");
    case ENOTDIR:
        return makeFailure(FsError::NotADirectory, "not a directory");
    case ENAMETOOLONG:
        return makeFailure(FsError::NameTooLong, "name too long");
    case ELOOP:
        return makeFailure(FsError::NotRegular, "is a symbolic link");
    case ENXIO:
        return makeFailure(FsError::NotRegular, "not a regular file");
    case EBUSY:
    case ETXTBSY:
        return makeFailure(FsError::Other, "file in use");
    default:
        return makeFailure(FsError::Other, std::strerror(error));
    }
}

} // namespace kavora::platform::internal
