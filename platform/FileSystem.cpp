#include "platform/FileSystem.h"

#include "platform/internal/CaseFold.h"
#include "platform/internal/HostError.h"
#include "platform/internal/HostRename.h"
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

using internal::failureFromErrno;
using internal::FoldedKey;
using internal::makeFailure;
using internal::PathResolver;

namespace {

enum class EntryKind { Regular, Directory, Other };

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isHiddenName(std::string_view name)
{
    return !name.empty() && name.front() == '.';
}

std::string baseName(const std::string& hostPath)
{
    const auto slash = hostPath.rfind('/');
    return slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
}

// d_type answers for most entries without a stat; symbolic links and file
// systems that do not fill d_type need one.
EntryKind kindOf(DIR* dir, const dirent* entry)
{
    switch (entry->d_type) {
    case DT_REG:
        return EntryKind::Regular;
    case DT_DIR:
        return EntryKind::Directory;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0)
            return EntryKind::Other;
        if (S_ISREG(info.st_mode))
            return EntryKind::Regular;
        return S_ISDIR(info.st_mode) ? EntryKind::Directory : EntryKind::Other;
    }
    default:
        return EntryKind::Other;
    }
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
        visit(name, [&dir, entry]() { return kindOf(dir.get(), entry); });
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

FileSystem::FileSystem(DriveMap drives) : m_drives(std::move(drives)) {}

bool FileSystem::fileExists(std::string_view path) const
{
    const FsResult<std::string> host = PathResolver(m_drives).resolveExisting(path);
    struct stat info {};
    return host && ::stat(host.value().c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string FileSystem::firstMatch(std::string_view pathOrPattern) const
{
    const PathResolver resolver(m_drives);
    const FsResult<internal::LocatedPath> located = resolver.locate(pathOrPattern);
    if (!located || located.value().name.empty())
        return {};
    const std::string& directory = located.value().hostDirectory;
    const std::string& name = located.value().name;

    if (!internal::hasWildcard(name)) {
        const FsResult<std::string> found = resolver.lookup(directory, name);
        if (!found || isHiddenName(found.value()))
            return {};
        struct stat info {};
        const std::string host = internal::joinHost(directory, found.value());
        if (::stat(host.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            return {};
        return found.value();
    }

    // The smallest name in listing order, found in one pass without sorting.
    const internal::WildcardPattern pattern(name);
    std::optional<FoldedKey> best;
    (void)forEachEntry(directory, [&](std::string_view entryName, auto kind) {
        if (isHiddenName(entryName))
            return;
        FoldedKey key{internal::foldedName(entryName), std::string(entryName)};
        if (pattern.matchesFolded(key.folded) && (!best || key < *best) && kind() == EntryKind::Regular)
            best = std::move(key);
    });
    return best ? best->name : std::string();
}

FsResult<std::uint32_t> FileSystem::attributes(std::string_view path) const
{
    const FsResult<std::string> host = PathResolver(m_drives).resolveExisting(path);
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

FsStatus FileSystem::renameNoReplace(std::string_view from, std::string_view to) const
{
    const PathResolver resolver(m_drives);
    const FsResult<internal::LocatedPath> source = resolver.locate(from);
    if (!source)
        return source.failure();
    if (source.value().name.empty())
        return makeFailure(FsError::InvalidPath, "not a file name");
    const FsResult<std::string> sourceName =
        resolver.lookup(source.value().hostDirectory, source.value().name);
    if (!sourceName)
        return sourceName.failure();

    const FsResult<internal::LocatedPath> target = resolver.locate(to);
    if (!target)
        return target.failure();
    if (target.value().name.empty() || internal::hasWildcard(target.value().name))
        return makeFailure(FsError::InvalidPath, "not a file name");

    // The caller renames within one directory; a target elsewhere is a fault
    // of the caller, not something to carry out.
    struct stat sourceDirectory {};
    struct stat targetDirectory {};
    if (::stat(source.value().hostDirectory.c_str(), &sourceDirectory) != 0)
        return failureFromErrno(errno);
    if (::stat(target.value().hostDirectory.c_str(), &targetDirectory) != 0)
        return failureFromErrno(errno);
    if (sourceDirectory.st_dev != targetDirectory.st_dev || sourceDirectory.st_ino != targetDirectory.st_ino)
        return makeFailure(FsError::InvalidPath, "target is in another directory");

    const std::string& directory = source.value().hostDirectory;
    return internal::renameNoReplaceOnHost(
        internal::joinHost(directory, sourceName.value()),
        internal::joinHost(directory, internal::hostNameForNew(target.value().name)));
}

bool FileSystem::sameFile(std::string_view first, std::string_view second) const
{
    const PathResolver resolver(m_drives);
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
    return PathResolver(m_drives).resolveForCreate(path);
}

FsResult<std::vector<std::string>> FileSystem::subdirectories(std::string_view directory) const
{
    const FsResult<std::string> host = existingDirectory(PathResolver(m_drives), directory);
    if (!host)
        return host.failure();
    std::vector<FoldedKey> keys;
    const FsStatus status = forEachEntry(host.value(), [&keys](std::string_view name, auto kind) {
        if (!isHiddenName(name) && kind() == EntryKind::Directory)
            keys.push_back(FoldedKey{internal::foldedName(name), std::string(name)});
    });
    if (!status)
        return status.failure();
    return sortedNames(std::move(keys));
}

FsResult<std::vector<std::string>> FileSystem::matchingFiles(std::string_view directory,
                                                             std::string_view pattern) const
{
    const FsResult<std::string> host = existingDirectory(PathResolver(m_drives), directory);
    if (!host)
        return host.failure();
    const internal::WildcardPattern compiled(pattern);
    std::vector<FoldedKey> keys;
    const FsStatus status = forEachEntry(host.value(), [&](std::string_view name, auto kind) {
        if (isHiddenName(name))
            return;
        std::u32string folded = internal::foldedName(name);
        if (compiled.matchesFolded(folded) && kind() == EntryKind::Regular)
            keys.push_back(FoldedKey{std::move(folded), std::string(name)});
    });
    if (!status)
        return status.failure();
    return sortedNames(std::move(keys));
}

} // namespace kavora::platform
