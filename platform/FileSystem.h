#pragma once

#include "platform/DriveMap.h"
#include "platform/FileIdentity.h"
#include "platform/FsStatus.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kavora::platform {

namespace internal {
class DirectoryCache;
class OpenFolder;
} // namespace internal

// Windows file-attribute bits, with their published values.
enum FileAttribute : std::uint32_t {
    ReadOnly = 1,
    Hidden = 2,
    System = 4,
    Directory = 16,
    Archive = 32,
};

// A normal file that a path names, as it is on disk.
struct FoundFile {
    std::string name; // the file's own name, its exact bytes
    FileIdentity identity;
    // The folder it was found in, opened and judged; a rename happens there.
    std::shared_ptr<const internal::OpenFolder> folder;
    std::uint64_t size = 0; // in bytes, when it was found
};

// The file operations of the program, on Windows path texts ("C:\Music\Song.mp3").
// Every path is a byte string exactly as a playlist or the user wrote it; it is
// mapped onto the host through the DriveMap (drive letters, both separators,
// trailing dots and spaces dropped, case-insensitive names that match uniquely,
// Windows-1252 names retried as UTF-8). Relative paths are taken against the
// process's current directory.
//
// A Snapshot object is a snapshot of the directories it has read, kept current
// by its own changes: each directory is read once, on first use, and every
// later lookup in it (exact, case-insensitive, ambiguous or missing) is
// answered from memory. Its own renames and the files created through it
// (LineWriter::create) are entered into the snapshot; files that anyone else
// creates, renames or deletes afterwards are not seen until a fresh object is
// made. A rename still asks the host never to replace, so a stale snapshot can
// make a rename fail but never overwrite a file. Use one Snapshot object per
// job; a Live object reads the host on every call, for holders that live long.
// A DryRun object is a snapshot that changes nothing on the host: its renames
// and created files exist in the snapshot only, after the same checks a real
// one makes. Copies share one snapshot. Not thread-safe.
class FileSystem final {
public:
    enum class View { Live, Snapshot, DryRun };

    // Drives from the environment: C: is HOME, Z: is "/", mounted volumes follow.
    FileSystem();
    explicit FileSystem(DriveMap drives);
    explicit FileSystem(View view);
    FileSystem(DriveMap drives, View view);

    View view() const { return m_view; }
    bool changesNothing() const { return m_view == View::DryRun; }

    const DriveMap& drives() const { return m_drives; }

    // True only when a file (not a directory) exists at the path.
    bool fileExists(std::string_view path) const;

    // The name of the first normal file (not hidden, not system, not a directory)
    // that matches the path or wildcard pattern in its last component, or empty.
    std::string firstMatch(std::string_view pathOrPattern) const;

    // The attribute word of whatever the path names; fails when it names nothing.
    FsResult<std::uint32_t> attributes(std::string_view path) const;

    // The normal file that the path names, its last component taken as a name,
    // never as a pattern, judged by where it really is (links followed).
    // Fails with NotFound when nothing is there (a missing folder or drive on
    // the way included), and otherwise says what is there instead: Ambiguous,
    // NameTooLong, Hidden (the file or a folder on its way is a dot-name),
    // IsDirectory, NotRegular, VirtualFiles, SystemFolder, ForeignOwner (not
    // the user's own file; under sudo, the user who called it).
    FsResult<FoundFile> findFile(std::string_view path) const;

    // Renames a found file to `newName` in the folder it was found in, by the
    // folder's descriptor: a folder moved or exchanged since it was found
    // fails the rename, which never touches a file elsewhere. The new name is
    // taken as exact bytes. Never replaces an existing file: an existing
    // target fails with TargetExists.
    // Before the rename, the folder's path and the file's identity in it are
    // looked at again. A caller that looks at the folder's path itself, with
    // folderStillThere(), once for a group of renames, asks for the file only;
    // one that found the file right before, for nothing.
    enum class Recheck { FolderAndFile, FileOnly, Nothing };
    FsStatus renameInFolder(const FoundFile& file, std::string_view newName,
                            Recheck recheck = Recheck::FolderAndFile) const;
    // The same for the file a path names, found first.
    FsStatus renameInFolder(std::string_view path, std::string_view newName) const;
    // Fails when the path the file was found by no longer leads to its folder.
    FsStatus folderStillThere(const FoundFile& file) const;

    // True when both paths name one existing file (same device and inode), so
    // "MIX.KVR" and "mix.kvr" are recognised as one file.
    bool sameFile(std::string_view first, std::string_view second) const;

    // The host path that a Windows path maps onto; for a path whose last
    // component does not exist yet, the host path it would be created at.
    FsResult<std::string> hostPath(std::string_view path) const;
    // The host path to show for a path: where it lies on the host, or, when a
    // folder on its way is missing, where its text maps to; the path itself
    // when it maps to nothing (a drive that is not there).
    std::string shownHostPath(std::string_view path) const;

    // Listings for the selection window, sorted case-insensitively. Names only;
    // every subfolder, hidden ones included, but only files that are not.
    // The listed directory itself is read afresh on every call, also by a
    // Snapshot object. A file list takes the names that match any of its
    // patterns, each name once.
    FsResult<std::vector<std::string>> subdirectories(std::string_view directory) const;
    FsResult<std::vector<std::string>> matchingFiles(std::string_view directory,
                                                     std::span<const std::string_view> patterns) const;
    FsResult<std::vector<std::string>> matchingFiles(std::string_view directory,
                                                     std::string_view pattern) const
    {
        return matchingFiles(directory, std::span(&pattern, 1));
    }

private:
    friend class LineWriter;
    // Enters a file just created at `path` into the snapshot.
    void noteCreated(std::string_view path) const;

    DriveMap m_drives;
    View m_view;
    // Null for a Live object. Lookups through a const object fill it.
    std::shared_ptr<internal::DirectoryCache> m_cache;
};

// Windows wildcard match of one name against one pattern: "*" and "?",
// case-insensitive, "*.*" matches every name (also one without a dot).
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace kavora::platform
