#include "platform/internal/OpenFolder.h"

#include "platform/internal/HostError.h"
#include "platform/internal/HostFileSystem.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform::internal {

namespace {

bool within(std::string_view path, std::string_view folder)
{
    return path == folder ||
           (path.starts_with(folder) && (folder.ends_with('/') || path[folder.size()] == '/'));
}

// Where a descriptor really leads, links resolved by the kernel.
std::string realPathOf(int fd, const std::string& fallback)
{
    std::array<char, PATH_MAX> target{};
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size() - 1);
    if (length > 0 && target[0] == '/')
        return std::string(target.data(), static_cast<std::size_t>(length));
    // Without /proc: the path as the C library resolves it.
    if (char* resolved = ::realpath(fallback.c_str(), nullptr)) {
        std::string path(resolved);
        std::free(resolved);
        return path;
    }
    return fallback;
}

// What refuses a real location: a hidden place, a virtual file system, a
// system folder.
std::optional<FsFailure> locationRefusal(const std::string& realPath, bool virtualFiles)
{
    if (isUnderDotName(realPath))
        return makeFailure(FsError::Hidden, "hidden file or folder");
    if (virtualFiles)
        return makeFailure(FsError::VirtualFiles, "file on a virtual file system");
    if (isSystemLocation(realPath, runningUser().home))
        return makeFailure(FsError::SystemFolder, "system folder");
    return std::nullopt;
}

// A folder on the way that the kernel makes up (/proc in "/proc/self/root/...")
// leads anywhere; what lies behind it is not the user's music.
bool passesVirtualFiles(const std::string& hostDirectory)
{
    for (std::size_t slash = hostDirectory.find('/', 1); slash != std::string::npos;
         slash = hostDirectory.find('/', slash + 1)) {
        if (isVirtualFileSystem(hostDirectory.substr(0, slash)))
            return true;
    }
    return false;
}

RunningUser findRunningUser()
{
    RunningUser user{static_cast<unsigned>(::getuid()), {}};
    const char* sudoUser = ::geteuid() == 0 ? std::getenv("SUDO_USER") : nullptr;
    const passwd* entry = sudoUser != nullptr ? ::getpwnam(sudoUser) : nullptr;
    if (entry == nullptr)
        entry = ::getpwuid(user.uid);
    if (entry != nullptr) {
        user.uid = entry->pw_uid;
        user.home = entry->pw_dir;
    }
    return user;
}

} // namespace

bool isUnderDotName(std::string_view hostPath)
{
    return hostPath.starts_with('.') || hostPath.find("/.") != std::string_view::npos;
}

const RunningUser& runningUser()
{
    static const RunningUser user = findRunningUser();
    return user;
}

bool isSystemLocation(std::string_view realPath, std::string_view userHome)
{
    if (!userHome.empty() && userHome != "/" && within(realPath, userHome))
        return false;
    if (within(realPath, "/run/media"))
        return false;
    static constexpr std::array<std::string_view, 10> kSystem = {"/etc",  "/usr", "/boot", "/var",  "/bin",
                                                                 "/sbin", "/opt", "/srv",  "/root", "/run"};
    for (const std::string_view folder : kSystem) {
        if (within(realPath, folder))
            return true;
    }
    return realPath.starts_with("/lib"); // /lib, /lib32, /lib64, /libx32
}

FsResult<std::shared_ptr<const OpenFolder>> OpenFolder::open(const std::string& hostDirectory)
{
    FsResult<FileDescriptor> opened = openHostFile(hostDirectory, O_PATH | O_DIRECTORY);
    if (!opened)
        return opened.failure();
    std::shared_ptr<OpenFolder> folder(new OpenFolder(hostDirectory, std::move(opened).value()));
    struct stat info {};
    if (::fstat(folder->fd(), &info) != 0)
        return failureFromErrno(errno);
    folder->m_identity = FileIdentity{info.st_dev, info.st_ino};
    folder->m_refusal =
        locationRefusal(realPathOf(folder->fd(), hostDirectory),
                        isVirtualFileSystem(folder->fd()) || passesVirtualFiles(hostDirectory));
    return std::shared_ptr<const OpenFolder>(std::move(folder));
}

FsStatus OpenFolder::stillAtItsPath() const
{
    struct stat info {};
    if (::stat(m_hostDirectory.c_str(), &info) != 0 || FileIdentity{info.st_dev, info.st_ino} != m_identity)
        return makeFailure(FsError::NotFound, "folder was moved or replaced during the job");
    return {};
}

std::optional<FsFailure> fileRefusal(const OpenFolder& folder, const std::string& name, unsigned ownerUid,
                                     bool isLink)
{
    if (isLink) {
        const std::string link = "/proc/self/fd/" + std::to_string(folder.fd()) + "/" + name;
        char* resolved = ::realpath(link.c_str(), nullptr);
        if (resolved == nullptr)
            return failureFromErrno(errno);
        const std::string target(resolved);
        std::free(resolved);
        const std::string targetFolder = target.substr(0, target.rfind('/') + 1);
        if (std::optional<FsFailure> refused = locationRefusal(target, isVirtualFileSystem(targetFolder)))
            return refused;
    }
    if (ownerUid != runningUser().uid)
        return makeFailure(FsError::ForeignOwner, "owned by another user");
    return std::nullopt;
}

} // namespace kavora::platform::internal
