#pragma once

#include "platform/DriveMap.h"
#include "platform/FsStatus.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavora::platform {

// Windows file-attribute bits, with their published values.
enum FileAttribute : std::uint32_t {
    ReadOnly = 1,
    Hidden = 2,
    System = 4,
    Directory = 16,
    Archive = 32,
};

// The file operations of the program, on Windows path texts ("C:\Music\Song.mp3").
// Every path is a byte string exactly as a playlist or the user wrote it; it is
// mapped onto the host through the DriveMap (drive letters, both separators,
// trailing dots and spaces dropped, case-insensitive names that match uniquely,
// Windows-1252 names retried as UTF-8). Relative paths are taken against the
// process's current directory.
class FileSystem final {
public:
    // Drives from the environment: C: is HOME, Z: is "/", mounted volumes follow.
    FileSystem();
    explicit FileSystem(DriveMap drives);

    const DriveMap& drives() const { return m_drives; }

    // True only when a file (not a directory) exists at the path.
    bool fileExists(std::string_view path) const;

    // The name of the first normal file (not hidden, not system, not a directory)
    // that matches the path or wildcard pattern in its last component, or empty.
    std::string firstMatch(std::string_view pathOrPattern) const;

    // The attribute word of whatever the path names; fails when it names nothing.
    FsResult<std::uint32_t> attributes(std::string_view path) const;

    // Renames the file at `from` to `to`, which names the same directory. Never
    // replaces an existing file: an existing target fails with TargetExists.
    FsStatus renameNoReplace(std::string_view from, std::string_view to) const;

    // True when both paths name one existing file (same device and inode), so
    // "MIX.KVR" and "mix.kvr" are recognised as one file.
    bool sameFile(std::string_view first, std::string_view second) const;

    // The host path that a Windows path maps onto; for a path whose last
    // component does not exist yet, the host path it would be created at.
    FsResult<std::string> hostPath(std::string_view path) const;

    // Listings for the selection window, sorted case-insensitively. Names only.
    FsResult<std::vector<std::string>> subdirectories(std::string_view directory) const;
    FsResult<std::vector<std::string>> matchingFiles(std::string_view directory,
                                                     std::string_view pattern) const;

private:
    DriveMap m_drives;
};

// Windows wildcard match of one name against one pattern: "*" and "?",
// case-insensitive, "*.*" matches every name (also one without a dot).
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace kavora::platform
