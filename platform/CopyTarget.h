#pragma once

#include "platform/FsStatus.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavora::platform {

struct FoundFile;

// A folder that copies are to go into, as it is before the first byte is written.
struct TargetFolderInfo {
    bool exists = false;   // false: it is to be made; its parent is a folder
    std::string firstName; // a name found in it; empty when it holds nothing
    // What an unprivileged writer may still fill; nothing where the file
    // system gives no figures (some FUSE file systems).
    std::optional<std::uint64_t> freeBytes;
    std::uint64_t blockSize = 1;   // the unit a file's size is taken up in
    std::size_t longestName = 255; // in bytes, as the host writes names
    std::string typeName;          // the mount table's name: "vfat", "exfat", "fuse.fusefat", ...
};

// Looks at a host folder (the folder itself when it exists, else its parent
// for the room). Fails when the path is no folder, or it is missing and its
// parent is no folder either: only the last level is ever made.
FsResult<TargetFolderInfo> inspectTargetFolder(const std::string& hostFolder);

// Copies files into a folder one after another. Each copy is written into a
// staging folder inside the target; commit() syncs the staged copies and
// moves them in under their final names, in the order they were staged: a
// copy that fails or is killed half-way leaves no part of itself under a
// final name. The target folder itself only ever gains entries, in that
// order, so that on FAT its directory order is the order of the copies (a
// file system fills a freed directory slot first, and a rename inside one
// folder frees one). Nothing is ever replaced. Not thread-safe; one thread at
// a time may use an object.
class CopyTarget final {
public:
    // Makes the folder when it is missing (one level), then the staging folder.
    static FsResult<CopyTarget> open(const std::string& hostFolder);
    CopyTarget(CopyTarget&& other) noexcept;
    CopyTarget& operator=(CopyTarget&&) = delete;
    CopyTarget(const CopyTarget&) = delete;
    CopyTarget& operator=(const CopyTarget&) = delete;
    // Takes the staging folder away if finish() did not run.
    ~CopyTarget();

    // Called after each piece written with the bytes of this file written so far.
    using Advance = std::function<void(std::uint64_t bytesSoFar)>;

    // Stages a copy of a found file, to go in under `name`. The source is
    // opened in the folder it was found and judged in, and must still be the
    // file found there; it is read without touching its times. A stop request
    // is taken between pieces and fails with Stopped.
    FsStatus stage(const FoundFile& source, const std::string& name, const std::atomic<bool>& stopRequested,
                   const Advance& advanced);
    // Stages a new file of the given bytes.
    FsStatus stage(const std::string& name, std::string_view bytes);
    std::size_t stagedCount() const;
    std::uint64_t stagedBytes() const;
    // Syncs the staged files and moves them in, in staging order; the status
    // of each, in that order. A file that fails here is taken away.
    std::vector<FsStatus> commit();
    // Takes the staged copies away unsynced, so that a stop is not held up
    // by flushing what would be kept.
    void discardStaged();
    // False once the target can no longer be reached (the stick was pulled).
    bool reachable() const;
    // Takes the staging folder away (with anything staged and not committed)
    // and syncs the folder: after it, every file moved in is on the device.
    FsStatus finish();

private:
    struct Impl;
    explicit CopyTarget(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace kavora::platform
