#pragma once

#include "platform/DriveMap.h"
#include "platform/FsStatus.h"
#include "platform/internal/DirectoryCache.h"

#include <string>
#include <string_view>
#include <vector>

namespace kavora::platform::internal {

// A Windows path taken apart: the host directory it starts from and its
// components, already normalised ("." dropped, ".." applied, trailing dots and
// spaces removed, empty components from doubled separators skipped).
struct ParsedPath {
    std::string root;                    // an existing host directory, taken as it stands
    std::vector<std::string> components; // names to look up below root, in order
};

// A path whose directory part has been found on the host.
struct LocatedPath {
    std::string hostDirectory; // the host directory the last component lies in
    std::string name;          // the last component as written (empty when the path is a root)
};

// A name found in a host directory, with what it names.
struct FoundEntry {
    std::string name;
    EntryKind kind = EntryKind::Other;
};

// Maps Windows path texts onto the host: drive letters through the DriveMap,
// "/..." as a host path, anything else against the process's current directory.
// Without a cache every lookup costs one stat per component on exact names and
// one directory read per component that needs the case-insensitive search.
// With a cache each directory is read once and every lookup in it after that
// is answered from memory.
class PathResolver final {
public:
    explicit PathResolver(const DriveMap& drives, DirectoryCache* cache = nullptr)
        : m_drives(drives), m_cache(cache)
    {
    }

    FsResult<ParsedPath> parse(std::string_view path) const;

    // Finds one name in a host directory: the exact bytes, then (for a name
    // that is not UTF-8) its Windows-1252 reading in UTF-8, then the unique
    // case-insensitive match of either. Several matches fail as Ambiguous.
    FsResult<std::string> lookup(const std::string& hostDirectory, const std::string& name) const;
    // As lookup, and what the name found stands for.
    FsResult<FoundEntry> find(const std::string& hostDirectory, const std::string& name) const;

    // Resolves every component but the last, which is handed back as written.
    FsResult<LocatedPath> locate(std::string_view path) const;
    // Resolves every component; the path must name something that exists.
    FsResult<std::string> resolveExisting(std::string_view path) const;
    // As resolveExisting, but a missing last component gives the host path it
    // would be created at (in UTF-8 when written in Windows-1252).
    FsResult<std::string> resolveForCreate(std::string_view path) const;

private:
    FsResult<std::string> lookupOnHost(const std::string& hostDirectory, const std::string& name) const;
    FsResult<std::string> lookupInListing(const DirectoryListing& listing, const std::string& name) const;

    const DriveMap& m_drives;
    DirectoryCache* m_cache;
};

std::string joinHost(const std::string& directory, const std::string& name);
// The name a new file gets on the host for a component as written.
std::string hostNameForNew(const std::string& name);

} // namespace kavora::platform::internal
