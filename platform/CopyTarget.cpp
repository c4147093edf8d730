#include "platform/CopyTarget.h"

#include "platform/FileSystem.h"
#include "platform/internal/FileDescriptor.h"
#include "platform/internal/HostError.h"
#include "platform/internal/OpenFolder.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace kavora::platform {

using internal::failureFromErrno;
using internal::FileDescriptor;
using internal::makeFailure;

namespace {

// Inside the target, so that the move in never leaves the file system (the
// target may be the root of a stick); its one slot is freed only at the end.
constexpr const char* kStagingName = ".kavora-copy";
// Large enough to keep a device busy, small enough to take a stop request
// within a second on a slow stick.
constexpr std::size_t kPieceSize = std::size_t{4} << 20;

std::string parentOf(const std::string& path)
{
    const std::size_t end = path.find_last_not_of('/');
    const std::size_t slash = end == std::string::npos ? std::string::npos : path.rfind('/', end);
    if (slash == std::string::npos)
        return end == std::string::npos ? "/" : ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string firstNameIn(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return {};
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") {
            found = name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// "\040" and the like stand for the blanks of a mount point in the table.
std::string unescapedMountField(std::string_view field)
{
    std::string text;
    for (std::size_t at = 0; at < field.size(); ++at) {
        if (field[at] == '\\' && at + 3 < field.size()) {
            const std::string_view digits = field.substr(at + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                text += static_cast<char>(std::stoi(std::string(digits), nullptr, 8));
                at += 3;
                continue;
            }
        }
        text += field[at];
    }
    return text;
}

// The type of the mount that holds an existing host path most closely.
std::string mountTypeOf(const std::string& existingPath)
{
    char* resolved = ::realpath(existingPath.c_str(), nullptr);
    if (resolved == nullptr)
        return {};
    const std::string path(resolved);
    std::free(resolved);
    std::ifstream table("/proc/self/mounts");
    std::string device, mountPoint, type, rest, best, bestType;
    while (table >> device >> mountPoint >> type && std::getline(table, rest)) {
        const std::string point = unescapedMountField(mountPoint);
        const bool holds = point == "/" || path == point || path.starts_with(point + "/");
        if (holds && point.size() >= best.size()) {
            best = point;
            bestType = type;
        }
    }
    return bestType;
}

FsResult<FileDescriptor> openFolder(const std::string& path)
{
    return internal::openHostFile(path, O_RDONLY | O_DIRECTORY);
}

FsStatus syncDescriptor(int fd)
{
    if (::fsync(fd) != 0 && errno != EINVAL)
        return failureFromErrno(errno);
    return {};
}

FsResult<FileDescriptor> openSource(const FoundFile& source)
{
    // Reading must not touch the source's times; O_NOATIME is refused for
    // files of other owners, which are then read with the mount's own rule.
    const auto openIn = [&source](int flags) -> FsResult<FileDescriptor> {
        int fd = -1;
        do {
            fd =
                ::openat(source.folder->fd(), source.name.c_str(), flags | O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return failureFromErrno(errno);
        return FileDescriptor(fd);
    };
    FsResult<FileDescriptor> opened = openIn(O_NOATIME);
    if (!opened && opened.failure().code == FsError::PermissionDenied)
        opened = openIn(0);
    if (!opened)
        return opened;
    struct stat info {};
    if (::fstat(opened.value().get(), &info) != 0)
        return failureFromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return makeFailure(FsError::NotRegular, "not a regular file");
    if (FileIdentity{info.st_dev, info.st_ino} != source.identity)
        return makeFailure(FsError::NotFound, "another file stands under its name since the copy began");
    return opened;
}

FsStatus writeAll(int fd, const char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return failureFromErrno(errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

// Starts the device writing the piece just written, without waiting: the
// data streams out while the next piece is read, and the sync at the commit
// finds little left to do.
void streamOut(int fd, std::uint64_t pieceStart, std::uint64_t pieceSize)
{
    (void)::sync_file_range(fd, static_cast<off_t>(pieceStart), static_cast<off_t>(pieceSize),
                            SYNC_FILE_RANGE_WRITE);
}

// Moves a staged file into the target folder, never over a name there. Where
// the file system knows no RENAME_NOREPLACE (FUSE ones often), a look first:
// the folder is new or was empty, and only this copy writes into it.
FsStatus moveIn(int stagingFd, int folderFd, const std::string& name)
{
    if (::syscall(SYS_renameat2, stagingFd, name.c_str(), folderFd, name.c_str(),
                  1u /* RENAME_NOREPLACE */) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return failureFromErrno(errno);
    struct stat existing {};
    if (::fstatat(folderFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return makeFailure(FsError::TargetExists, "target exists");
    if (::renameat(stagingFd, name.c_str(), folderFd, name.c_str()) != 0)
        return failureFromErrno(errno);
    return {};
}

bool kernelCopyRefused(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

FsStatus copyContent(int source, int target, const std::atomic<bool>& stopRequested,
                     const CopyTarget::Advance& advanced)
{
    struct stat info {};
    const off_t fileSize = ::fstat(source, &info) == 0 ? info.st_size : 0;
    std::uint64_t done = 0;
    bool kernelCopy = true;
    std::vector<char> buffer;
    for (;;) {
        // A stop that comes with the last piece still lets the file end whole.
        if (done > 0 && stopRequested.load(std::memory_order_relaxed) &&
            ::lseek(source, 0, SEEK_CUR) < fileSize)
            return makeFailure(FsError::Stopped, "stopped");
        ssize_t count = 0;
        if (kernelCopy) {
            count = ::copy_file_range(source, nullptr, target, nullptr, kPieceSize, 0);
            if (count < 0 && done == 0 && kernelCopyRefused(errno)) {
                kernelCopy = false;
                continue;
            }
        } else {
            buffer.resize(kPieceSize);
            count = ::read(source, buffer.data(), buffer.size());
            if (count > 0) {
                if (FsStatus written = writeAll(target, buffer.data(), static_cast<std::size_t>(count));
                    !written)
                    return written;
            }
        }
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return failureFromErrno(errno);
        }
        if (count == 0)
            return {};
        streamOut(target, done, static_cast<std::uint64_t>(count));
        done += static_cast<std::uint64_t>(count);
        if (advanced)
            advanced(done);
    }
}

} // namespace

FsResult<TargetFolderInfo> inspectTargetFolder(const std::string& hostFolder)
{
    TargetFolderInfo info;
    std::string measured = hostFolder;
    struct stat status {};
    if (::stat(hostFolder.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode))
            return makeFailure(FsError::NotADirectory, "not a folder");
        info.exists = true;
        info.firstName = firstNameIn(hostFolder);
    } else if (errno == ENOENT) {
        measured = parentOf(hostFolder);
        if (::stat(measured.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return makeFailure(FsError::NotFound, "the folder above it does not exist");
    } else {
        return failureFromErrno(errno);
    }
    struct statvfs volume {};
    if (::statvfs(measured.c_str(), &volume) != 0)
        return failureFromErrno(errno);
    info.blockSize = volume.f_frsize > 0 ? volume.f_frsize : 1;
    if (volume.f_blocks > 0)
        info.freeBytes = static_cast<std::uint64_t>(volume.f_bavail) * info.blockSize;
    if (volume.f_namemax > 0)
        info.longestName = volume.f_namemax;
    info.typeName = mountTypeOf(measured);
    return info;
}

struct CopyTarget::Impl {
    struct Staged {
        std::string name;
        FileDescriptor file;
    };

    std::string folderPath;
    FileDescriptor folder;
    FileDescriptor staging;
    std::vector<Staged> staged;
    std::uint64_t stagedBytes = 0;
    bool madeFolder = false;
    bool finished = false;

    // Writes one file in the staging folder through `fill`; on any failure
    // the staged file goes.
    template <typename Fill> FsStatus stage(const std::string& name, Fill fill)
    {
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
            return makeFailure(FsError::InvalidPath, "not a file name");
        int fd = -1;
        do {
            fd = ::openat(staging.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return failureFromErrno(errno);
        FileDescriptor target(fd);
        const FsStatus written = fill(target.get());
        if (!written) {
            ::unlinkat(staging.get(), name.c_str(), 0);
            return written;
        }
        struct stat info {};
        if (::fstat(target.get(), &info) == 0)
            stagedBytes += static_cast<std::uint64_t>(info.st_size);
        staged.push_back(Staged{name, std::move(target)});
        return {};
    }

    void dropStaged()
    {
        for (const Staged& file : staged)
            ::unlinkat(staging.get(), file.name.c_str(), 0);
        staged.clear();
        stagedBytes = 0;
    }
};

CopyTarget::CopyTarget(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CopyTarget::CopyTarget(CopyTarget&& other) noexcept = default;

CopyTarget::~CopyTarget()
{
    if (m_impl && !m_impl->finished && m_impl->folder.isOpen()) {
        m_impl->dropStaged();
        ::unlinkat(m_impl->folder.get(), kStagingName, AT_REMOVEDIR);
    }
}

FsResult<CopyTarget> CopyTarget::open(const std::string& hostFolder)
{
    auto impl = std::make_unique<Impl>();
    impl->folderPath = hostFolder;
    if (::mkdir(hostFolder.c_str(), 0777) == 0)
        impl->madeFolder = true;
    else if (errno != EEXIST)
        return failureFromErrno(errno);
    FsResult<FileDescriptor> folder = openFolder(hostFolder);
    if (!folder)
        return folder.failure();
    impl->folder = std::move(folder).value();
    if (::mkdirat(impl->folder.get(), kStagingName, 0700) != 0)
        return failureFromErrno(errno);
    const int staging =
        ::openat(impl->folder.get(), kStagingName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (staging < 0) {
        const FsFailure failure = failureFromErrno(errno);
        ::unlinkat(impl->folder.get(), kStagingName, AT_REMOVEDIR);
        return failure;
    }
    impl->staging = FileDescriptor(staging);
    return CopyTarget(std::move(impl));
}

FsStatus CopyTarget::stage(const FoundFile& sourceFile, const std::string& name,
                           const std::atomic<bool>& stopRequested, const Advance& advanced)
{
    if (!sourceFile.folder)
        return makeFailure(FsError::NotFound, "file not found");
    FsResult<FileDescriptor> source = openSource(sourceFile);
    if (!source)
        return source.failure();
    return m_impl->stage(
        name, [&](int target) { return copyContent(source.value().get(), target, stopRequested, advanced); });
}

FsStatus CopyTarget::stage(const std::string& name, std::string_view bytes)
{
    return m_impl->stage(name, [bytes](int target) { return writeAll(target, bytes.data(), bytes.size()); });
}

std::size_t CopyTarget::stagedCount() const
{
    return m_impl->staged.size();
}

std::uint64_t CopyTarget::stagedBytes() const
{
    return m_impl->stagedBytes;
}

void CopyTarget::discardStaged()
{
    m_impl->dropStaged();
}

std::vector<FsStatus> CopyTarget::commit()
{
    // One sync of the file system for all of them: a sync per file costs a
    // journal commit each, which made the copy far slower than cp and sync.
    std::vector<FsStatus> results;
    results.reserve(m_impl->staged.size());
    const FsStatus synced = m_impl->staged.empty() || ::syncfs(m_impl->staging.get()) == 0
                                ? FsStatus()
                                : FsStatus(failureFromErrno(errno));
    for (Impl::Staged& file : m_impl->staged) {
        const bool closed = ::close(file.file.release()) == 0;
        results.push_back(!synced || closed ? synced : FsStatus(failureFromErrno(errno)));
    }
    for (std::size_t index = 0; index < results.size(); ++index) {
        const std::string& name = m_impl->staged[index].name;
        if (results[index])
            results[index] = moveIn(m_impl->staging.get(), m_impl->folder.get(), name);
        if (!results[index])
            ::unlinkat(m_impl->staging.get(), name.c_str(), 0);
    }
    m_impl->staged.clear();
    m_impl->stagedBytes = 0;
    return results;
}

bool CopyTarget::reachable() const
{
    struct stat info {};
    return ::fstatat(m_impl->folder.get(), kStagingName, &info, AT_SYMLINK_NOFOLLOW) == 0;
}

FsStatus CopyTarget::finish()
{
    m_impl->dropStaged();
    m_impl->finished = true;
    m_impl->staging = FileDescriptor();
    if (::unlinkat(m_impl->folder.get(), kStagingName, AT_REMOVEDIR) != 0)
        return failureFromErrno(errno);
    if (FsStatus synced = syncDescriptor(m_impl->folder.get()); !synced)
        return synced;
    if (m_impl->madeFolder) {
        // The new folder's own entry lives in its parent.
        FsResult<FileDescriptor> parent = openFolder(parentOf(m_impl->folderPath));
        if (!parent)
            return parent.failure();
        return syncDescriptor(parent.value().get());
    }
    return {};
}

} // namespace kavora::platform
