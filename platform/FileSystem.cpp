#include "platform/FileSystem.h"

#include "platform/PathText.h"
#include "platform/internal/CaseFold.h"
#include "platform/internal/DirectoryCache.h"
#include "platform/internal/HostError.h"
#include "platform/internal/HostFileSystem.h"
#include "platform/internal/HostRename.h"
#include "platform/internal/OpenFolder.h"
#include "platform/internal/PathResolver.h"
#include "platform/internal/Wildcard.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform {

using internal::EntryKind;
using internal::failureFromErrno;
using internal::FoldedKey;
using internal::isUnderDotName;
using internal::makeFailure;
using internal::PathResolver;

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isHiddenName(std::string_view name)
{
    return !name.empty() && name.front() == '.';
}

// A folder on the way that is a file means, as a missing one does, that
// nothing is at the path.
FsFailure nothingThereAs(const FsFailure& failure)
{
    if (failure.code == FsError::NotADirectory)
        return makeFailure(FsError::NotFound, "file not found");
    return failure;
}

std::string baseName(const std::string& hostPath)
{
    const auto slash = hostPath.rfind('/');
    return slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
}

// Calls visit(name, kindOf) for every entry but "." and ".."; kindOf is lazy so
// that entries rejected by name cost no stat.
template <typename Visit> FsStatus forEachEntry(const std::string& hostDirectory, Visit visit)
{
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(hostDirectory.c_str()));
    if (!dir)
        return failureFromErrno(errno);
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        visit(name, [&dir, entry]() {
            return internal::kindOfEntry(::dirfd(dir.get()), entry->d_name, entry->d_type);
        });
    }
    return {};
}

std::vector<std::string> sortedNames(std::vector<FoldedKey> keys)
{
    std::sort(keys.begin(), keys.end());
    std::vector<std::string> names;
    names.reserve(keys.size());
    for (FoldedKey& key : keys)
        names.push_back(std::move(key.name));
    return names;
}

FsResult<std::string> existingDirectory(const PathResolver& resolver, std::string_view directory)
{
    FsResult<std::string> host = resolver.resolveExisting(directory);
    if (!host)
        return host.failure();
    struct stat info {};
    if (::stat(host.value().c_str(), &info) != 0)
        return failureFromErrno(errno);
    if (!S_ISDIR(info.st_mode))
        return makeFailure(FsError::NotADirectory, "not a directory");
    return host;
}

} // namespace

FileSystem::FileSystem() : FileSystem(DriveMap::fromEnvironment()) {}

FileSystem::FileSystem(DriveMap drives) : FileSystem(std::move(drives), View::Live) {}

FileSystem::FileSystem(View view) : FileSystem(DriveMap::fromEnvironment(), view) {}

FileSystem::FileSystem(DriveMap drives, View view) : m_drives(std::move(drives)), m_view(view)
{
    if (view != View::Live)
        m_cache = std::make_shared<internal::DirectoryCache>();
}

bool FileSystem::fileExists(std::string_view path) const
{
    const PathResolver resolver(m_drives, m_cache.get());
    const FsResult<internal::LocatedPath> located = resolver.locate(path);
    if (!located || located.value().name.empty())
        return false;
    const FsResult<internal::FoundEntry> found =
        resolver.find(located.value().hostDirectory, located.value().name);
    // Devices and fifos count as files, as any name that is not a directory does.
    return found && (found.value().kind == EntryKind::Regular || found.value().kind == EntryKind::Other);
}

std::string FileSystem::firstMatch(std::string_view pathOrPattern) const
{
    const PathResolver resolver(m_drives, m_cache.get());
    const FsResult<internal::LocatedPath> located = resolver.locate(pathOrPattern);
    if (!located || located.value().name.empty())
        return {};
    const std::string& directory = located.value().hostDirectory;
    const std::string& name = located.value().name;

    if (!hasWildcard(name)) {
        const FsResult<internal::FoundEntry> found = resolver.find(directory, name);
        if (!found || isHiddenName(found.value().name) || found.value().kind != EntryKind::Regular)
            return {};
        return found.value().name;
    }

    // The smallest name in listing order, found in one pass without sorting.
    const internal::WildcardPattern pattern(name);
    std::optional<FoldedKey> best;
    const auto consider = [&](const std::u32string& folded, std::string_view entryName, auto kind) {
        if (isHiddenName(entryName) || !pattern.matchesFolded(folded))
            return;
        const bool earlier =
            !best || folded < best->folded || (folded == best->folded && entryName < best->name);
        if (earlier && kind() == EntryKind::Regular)
            best = FoldedKey{folded, std::string(entryName)};
    };
    if (m_cache) {
        const FsResult<const internal::DirectoryListing*> listing = m_cache->listing(directory);
        if (listing) {
            listing.value()->forEach(
                [&](const std::u32string& folded, const std::string& entryName, EntryKind kind) {
                    consider(folded, entryName, [kind]() { return kind; });
                });
            return best ? best->name : std::string();
        }
        if (listing.failure().code != FsError::PermissionDenied)
            return {};
    }
    (void)forEachEntry(directory, [&](std::string_view entryName, auto kind) {
        if (!isHiddenName(entryName))
            consider(internal::foldedName(entryName), entryName, kind);
    });
    return best ? best->name : std::string();
}

FsResult<std::uint32_t> FileSystem::attributes(std::string_view path) const
{
    const FsResult<std::string> host = PathResolver(m_drives, m_cache.get()).resolveExisting(path);
    if (!host)
        return host.failure();
    const std::string& hostPath = host.value();
    struct stat info {};
    if (::stat(hostPath.c_str(), &info) != 0) {
        // A dangling symbolic link exists as a name but is neither file nor directory.
        if (::lstat(hostPath.c_str(), &info) != 0)
            return failureFromErrno(errno);
        info.st_mode = S_IFLNK;
    }
    std::uint32_t word = 0;
    if (S_ISDIR(info.st_mode))
        word |= Directory;
    else if (S_ISREG(info.st_mode))
        word |= Archive;
    else
        word |= System;
    if (isHiddenName(baseName(hostPath)))
        word |= Hidden;
    if (::access(hostPath.c_str(), W_OK) != 0)
        word |= ReadOnly;
    return word;
}

FsResult<FoundFile> FileSystem::findFile(std::string_view path) const
{
    const PathResolver resolver(m_drives, m_cache.get());
    const FsResult<internal::LocatedPath> located = resolver.locate(path);
    if (!located)
        return nothingThereAs(located.failure());
    const std::string& directory = located.value().hostDirectory;
    if (located.value().name.empty())
        return makeFailure(FsError::IsDirectory, "is a folder");
    const FsResult<internal::FoundEntry> found = resolver.find(directory, located.value().name);
    if (!found)
        return nothingThereAs(found.failure());
    if (isUnderDotName(directory) || found.value().name.starts_with('.'))
        return makeFailure(FsError::Hidden, "hidden file or folder");
    switch (found.value().kind) {
    case EntryKind::Regular:
        break;
    case EntryKind::Directory:
        return makeFailure(FsError::IsDirectory, "is a folder");
    case EntryKind::Broken:
        return makeFailure(FsError::NotFound, "file not found");
    case EntryKind::Other:
        return makeFailure(FsError::NotRegular, "not a regular file");
    }
    FsResult<std::shared_ptr<const internal::OpenFolder>> folder =
        m_cache ? m_cache->folder(directory) : internal::OpenFolder::open(directory);
    if (!folder)
        return nothingThereAs(folder.failure());
    if (const std::optional<FsFailure>& refused = folder.value()->refusal())
        return *refused;
    // A dry run's renames exist in the snapshot only; the file is still
    // under its old name on the host.
    const std::string pretendedName = m_cache && m_cache->pretendsRenames()
                                          ? baseName(m_cache->hostPathOf(directory, found.value().name))
                                          : std::string();
    const std::string& hostName = pretendedName.empty() ? found.value().name : pretendedName;
    const int fd = folder.value()->fd();
    struct stat info {};
    if (::fstatat(fd, hostName.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        if (m_cache)
            m_cache->refresh(directory, found.value().name);
        return nothingThereAs(failureFromErrno(error));
    }
    const bool isLink = S_ISLNK(info.st_mode);
    if (isLink && ::fstatat(fd, hostName.c_str(), &info, 0) != 0)
        return failureFromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return makeFailure(FsError::NotRegular, "not a regular file");
    if (std::optional<FsFailure> refused =
            internal::fileRefusal(*folder.value(), hostName, info.st_uid, isLink))
        return *refused;
    return FoundFile{found.value().name, FileIdentity{info.st_dev, info.st_ino}, std::move(folder).value(),
                     static_cast<std::uint64_t>(info.st_size)};
}

FsStatus FileSystem::folderStillThere(const FoundFile& file) const
{
    // A dry run renames in its snapshot, where nothing moves.
    if (m_view == View::DryRun || !file.folder)
        return {};
    return file.folder->stillAtItsPath();
}

FsStatus FileSystem::renameInFolder(const FoundFile& file, std::string_view newName, Recheck recheck) const
{
    // A separator would make the name a path; a backslash is one to our paths.
    if (newName.empty() || newName == "." || newName == ".." ||
        newName.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos || !file.folder)
        return makeFailure(FsError::InvalidPath, "not a file name");
    const std::string& directory = file.folder->hostDirectory();
    const std::string targetName(newName);

    if (m_view == View::DryRun) {
        // What the host would say: a name taken in the snapshot fails as
        // renameat2 would, an over-long one as the file system would.
        if (m_cache->holds(directory, targetName))
            return makeFailure(FsError::TargetExists, "target exists");
        if (targetName.size() > internal::longestName(directory))
            return makeFailure(FsError::NameTooLong, "name too long");
        m_cache->recordPretendedRename(directory, file.name, targetName);
        return {};
    }

    // The folder judged is the one the playlist's path leads to still, and
    // the file in it the one found.
    if (recheck == Recheck::FolderAndFile) {
        if (FsStatus there = file.folder->stillAtItsPath(); !there)
            return there;
    }
    struct stat info {};
    if (recheck != Recheck::Nothing && (::fstatat(file.folder->fd(), file.name.c_str(), &info, 0) != 0 ||
                                        FileIdentity{info.st_dev, info.st_ino} != file.identity))
        return makeFailure(FsError::NotFound, "file was moved or replaced during the job");
    FsStatus renamed = internal::renameNoReplaceIn(file.folder->fd(), file.name, targetName);
    if (m_cache) {
        if (renamed) {
            m_cache->recordRenamed(directory, file.name, targetName);
        } else {
            // The host knows better than the snapshot: the source may be gone,
            // the target may have appeared since the directory was read.
            m_cache->refresh(directory, file.name);
            m_cache->refresh(directory, targetName);
        }
    }
    return renamed;
}

FsStatus FileSystem::renameInFolder(std::string_view path, std::string_view newName) const
{
    const FsResult<FoundFile> found = findFile(path);
    if (!found)
        return found.failure();
    return renameInFolder(found.value(), newName);
}

bool FileSystem::sameFile(std::string_view first, std::string_view second) const
{
    const PathResolver resolver(m_drives, m_cache.get());
    const FsResult<std::string> firstHost = resolver.resolveExisting(first);
    const FsResult<std::string> secondHost = resolver.resolveExisting(second);
    if (!firstHost || !secondHost)
        return false;
    struct stat firstInfo {};
    struct stat secondInfo {};
    return ::stat(firstHost.value().c_str(), &firstInfo) == 0 &&
           ::stat(secondHost.value().c_str(), &secondInfo) == 0 && firstInfo.st_dev == secondInfo.st_dev &&
           firstInfo.st_ino == secondInfo.st_ino;
}

FsResult<std::string> FileSystem::hostPath(std::string_view path) const
{
    return PathResolver(m_drives, m_cache.get()).resolveForCreate(path);
}

std::string FileSystem::shownHostPath(std::string_view path) const
{
    const PathResolver resolver(m_drives, m_cache.get());
    if (FsResult<std::string> host = resolver.resolveForCreate(path))
        return std::move(host).value();
    const FsResult<internal::ParsedPath> parsed = resolver.parse(path);
    if (!parsed)
        return std::string(path);
    std::string host = parsed.value().root;
    for (const std::string& component : parsed.value().components)
        host = internal::joinHost(host, component);
    return host;
}

void FileSystem::noteCreated(std::string_view path) const
{
    if (!m_cache)
        return;
    const PathResolver resolver(m_drives, m_cache.get());
    const FsResult<internal::LocatedPath> located = resolver.locate(path);
    if (!located || located.value().name.empty())
        return;
    // An existing file that was emptied is in the snapshot already.
    const FsResult<std::string> existing =
        resolver.lookup(located.value().hostDirectory, located.value().name);
    if (!existing)
        m_cache->recordCreated(located.value().hostDirectory, internal::hostNameForNew(located.value().name));
}

FsResult<std::vector<std::string>> FileSystem::subdirectories(std::string_view directory) const
{
    const FsResult<std::string> host = existingDirectory(PathResolver(m_drives, m_cache.get()), directory);
    if (!host)
        return host.failure();
    std::vector<FoldedKey> keys;
    const FsStatus status = forEachEntry(host.value(), [&keys](std::string_view name, auto kind) {
        // Dot-folders too: players keep their playlists in ~/.config and ~/.local.
        if (kind() == EntryKind::Directory)
            keys.push_back(FoldedKey{internal::foldedName(name), std::string(name)});
    });
    if (!status)
        return status.failure();
    return sortedNames(std::move(keys));
}

FsResult<std::vector<std::string>> FileSystem::matchingFiles(std::string_view directory,
                                                             std::span<const std::string_view> patterns) const
{
    const FsResult<std::string> host = existingDirectory(PathResolver(m_drives, m_cache.get()), directory);
    if (!host)
        return host.failure();
    const std::vector<internal::WildcardPattern> compiled(patterns.begin(), patterns.end());
    const auto matchesAny = [&compiled](std::u32string_view folded) {
        return std::any_of(
            compiled.begin(), compiled.end(),
            [folded](const internal::WildcardPattern& pattern) { return pattern.matchesFolded(folded); });
    };
    std::vector<FoldedKey> keys;
    const FsStatus status = forEachEntry(host.value(), [&](std::string_view name, auto kind) {
        if (isHiddenName(name))
            return;
        std::u32string folded = internal::foldedName(name);
        if (matchesAny(folded) && kind() == EntryKind::Regular)
            keys.push_back(FoldedKey{std::move(folded), std::string(name)});
    });
    if (!status)
        return status.failure();
    return sortedNames(std::move(keys));
}

} // namespace kavora::platform
