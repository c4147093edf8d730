#include "platform/internal/PathResolver.h"

#include "platform/DisplayText.h"
#include "platform/PathText.h"
#include "platform/internal/CaseFold.h"
#include "platform/internal/HostError.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform::internal {

namespace {

std::string withoutTrailingDotsAndSpaces(std::string_view component)
{
    std::size_t end = component.size();
    while (end > 0 && (component[end - 1] == '.' || component[end - 1] == ' '))
        --end;
    return std::string(component.substr(0, end));
}

std::string currentHostDirectory()
{
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return "/";
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

// Splits rest at both separators onto components, applying "." and "..";
// ".." never climbs above the first `floor` components.
void appendComponents(std::string_view rest, std::vector<std::string>& components, std::size_t floor)
{
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end]))
            ++end;
        const std::string_view raw = rest.substr(start, end - start);
        if (raw == "..") {
            if (components.size() > floor)
                components.pop_back();
        } else if (raw != "." && !raw.empty()) {
            // A pattern keeps its dots: "*." means something to a wildcard.
            std::string name = hasWildcard(raw) ? std::string(raw) : withoutTrailingDotsAndSpaces(raw);
            if (!name.empty())
                components.push_back(std::move(name));
        }
        start = end + 1;
    }
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::string joinHost(const std::string& directory, const std::string& name)
{
    if (!directory.empty() && directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}

std::string hostNameForNew(const std::string& name)
{
    return isValidUtf8(name) ? name : windows1252ToUtf8(name);
}

FsResult<ParsedPath> PathResolver::parse(std::string_view path) const
{
    if (path.empty())
        return makeFailure(FsError::InvalidPath, "empty path");
    if (path.find('\0') != std::string_view::npos)
        return makeFailure(FsError::InvalidPath, "invalid path");

    ParsedPath parsed;
    if (!drivePart(path).empty()) {
        const Drive* drive = m_drives.find(path[0]);
        if (drive == nullptr)
            return makeFailure(FsError::NotFound, "no such drive");
        parsed.root = drive->hostRoot;
        std::string_view rest = path.substr(2);
        if (rest.empty() || !isSeparator(rest.front())) {
            // "C:Music" is relative to the drive's own current directory.
            const std::string current = m_drives.currentDirectory(drive->letter);
            if (current.size() >= 3 && isSeparator(current[2]))
                appendComponents(std::string_view(current).substr(2), parsed.components, 0);
        }
        appendComponents(rest, parsed.components, 0);
        return parsed;
    }
    parsed.root = "/";
    if (!isSeparator(path.front())) {
        // The current directory exists as written, so each of its components
        // is an exact hit; ".." in the path may climb out of it up to "/".
        appendComponents(currentHostDirectory(), parsed.components, 0);
    }
    appendComponents(path, parsed.components, 0);
    return parsed;
}

FsResult<std::string> PathResolver::lookup(const std::string& hostDirectory, const std::string& name) const
{
    if (m_cache == nullptr)
        return lookupOnHost(hostDirectory, name);
    const FsResult<const DirectoryListing*> listing = m_cache->listing(hostDirectory);
    if (listing)
        return lookupInListing(*listing.value(), name);
    // A directory that may be searched but not read still finds exact names.
    if (listing.failure().code == FsError::PermissionDenied)
        return lookupOnHost(hostDirectory, name);
    return listing.failure();
}

FsResult<FoundEntry> PathResolver::find(const std::string& hostDirectory, const std::string& name) const
{
    if (m_cache != nullptr) {
        const FsResult<const DirectoryListing*> listing = m_cache->listing(hostDirectory);
        if (listing) {
            FsResult<std::string> found = lookupInListing(*listing.value(), name);
            if (!found)
                return found.failure();
            const EntryKind kind = *listing.value()->find(found.value());
            return FoundEntry{std::move(found).value(), kind};
        }
        if (listing.failure().code != FsError::PermissionDenied)
            return listing.failure();
    }
    FsResult<std::string> found = lookupOnHost(hostDirectory, name);
    if (!found)
        return found.failure();
    const std::optional<EntryKind> kind = kindOfPath(joinHost(hostDirectory, found.value()));
    if (!kind)
        return makeFailure(FsError::NotFound, "file not found");
    return FoundEntry{std::move(found).value(), *kind};
}

// The same rules as lookupOnHost, answered from a listing read earlier.
FsResult<std::string> PathResolver::lookupInListing(const DirectoryListing& listing,
                                                    const std::string& name) const
{
    if (listing.find(name) != nullptr)
        return name;
    // What the host would say of a name no directory can hold.
    if (name.size() > NAME_MAX)
        return makeFailure(FsError::NameTooLong, "name too long");
    const bool legacy = !isValidUtf8(name);
    const std::string translated = legacy ? windows1252ToUtf8(name) : std::string();
    if (legacy && listing.find(translated) != nullptr)
        return translated;

    const std::vector<std::string>& matches = listing.namesFoldingAs(name);
    if (matches.size() == 1)
        return matches.front();
    if (matches.empty() && legacy) {
        const std::vector<std::string>& translatedMatches = listing.namesFoldingAs(translated);
        if (translatedMatches.size() == 1)
            return translatedMatches.front();
        if (translatedMatches.size() > 1)
            return makeFailure(FsError::Ambiguous, "several files match in letter case only");
    }
    if (matches.size() > 1)
        return makeFailure(FsError::Ambiguous, "several files match in letter case only");
    return makeFailure(FsError::NotFound, "file not found");
}

FsResult<std::string> PathResolver::lookupOnHost(const std::string& hostDirectory,
                                                 const std::string& name) const
{
    struct stat info {};
    if (::lstat(joinHost(hostDirectory, name).c_str(), &info) == 0)
        return name;
    const int exactError = errno;
    if (exactError != ENOENT)
        return failureFromErrno(exactError);

    const bool legacy = !isValidUtf8(name);
    const std::string translated = legacy ? windows1252ToUtf8(name) : std::string();
    if (legacy && ::lstat(joinHost(hostDirectory, translated).c_str(), &info) == 0)
        return translated;

    const std::unique_ptr<DIR, DirCloser> dir(::opendir(hostDirectory.c_str()));
    if (!dir)
        return failureFromErrno(errno);
    const std::u32string wanted = foldedName(name);
    const std::u32string wantedTranslated = legacy ? foldedName(translated) : std::u32string();
    std::string match;
    std::string translatedMatch;
    int matches = 0;
    int translatedMatches = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view entryName(entry->d_name);
        if (entryName == "." || entryName == "..")
            continue;
        const std::u32string folded = foldedName(entryName);
        if (folded == wanted) {
            ++matches;
            match = entryName;
        } else if (legacy && folded == wantedTranslated) {
            ++translatedMatches;
            translatedMatch = entryName;
        }
    }
    if (matches == 1)
        return match;
    if (matches == 0 && translatedMatches == 1)
        return translatedMatch;
    if (matches > 1 || translatedMatches > 1)
        return makeFailure(FsError::Ambiguous, "several files match in letter case only");
    return makeFailure(FsError::NotFound, "file not found");
}

FsResult<LocatedPath> PathResolver::locate(std::string_view path) const
{
    // In a snapshot the folder part of a path is found once: the entries of a
    // playlist mostly share a few folders. The name is taken as parse() would.
    const std::string_view directoryText = directoryPart(path);
    const std::string_view nameText = fileNamePart(path);
    bool remembered = false;
    if (m_cache != nullptr && !directoryText.empty() && nameText.find('\0') == std::string_view::npos) {
        std::string name =
            hasWildcard(nameText) ? std::string(nameText) : withoutTrailingDotsAndSpaces(nameText);
        remembered = !name.empty();
        const std::string* known = remembered ? m_cache->locatedDirectory(directoryText) : nullptr;
        if (known != nullptr)
            return LocatedPath{*known, std::move(name)};
    }

    FsResult<ParsedPath> parsed = parse(path);
    if (!parsed)
        return parsed.failure();
    auto& components = parsed.value().components;
    LocatedPath located;
    located.hostDirectory = std::move(parsed.value().root);
    if (components.empty())
        return located;
    located.name = std::move(components.back());
    components.pop_back();
    for (const std::string& component : components) {
        FsResult<std::string> found = lookup(located.hostDirectory, component);
        if (!found)
            return found.failure();
        located.hostDirectory = joinHost(located.hostDirectory, found.value());
    }
    if (remembered)
        m_cache->rememberLocated(directoryText, located.hostDirectory);
    return located;
}

FsResult<std::string> PathResolver::resolveExisting(std::string_view path) const
{
    FsResult<LocatedPath> located = locate(path);
    if (!located)
        return located.failure();
    if (located.value().name.empty())
        return std::move(located.value().hostDirectory);
    FsResult<std::string> found = lookup(located.value().hostDirectory, located.value().name);
    if (!found)
        return found.failure();
    return joinHost(located.value().hostDirectory, found.value());
}

FsResult<std::string> PathResolver::resolveForCreate(std::string_view path) const
{
    FsResult<LocatedPath> located = locate(path);
    if (!located)
        return located.failure();
    const LocatedPath& where = located.value();
    if (where.name.empty())
        return where.hostDirectory;
    FsResult<std::string> found = lookup(where.hostDirectory, where.name);
    if (found)
        return joinHost(where.hostDirectory, found.value());
    if (found.failure().code != FsError::NotFound)
        return found.failure();
    return joinHost(where.hostDirectory, hostNameForNew(where.name));
}

} // namespace kavora::platform::internal
