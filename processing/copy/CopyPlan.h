#pragma once

#include "platform/FileSystem.h"
#include "processing/ProcessPlaylist.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kavora {
struct AppState;
class JobWindow;
class MessageBoxes;
class MissingFileDialog;
} // namespace kavora

namespace kavora::copy {

// One file to copy; the plan holds them in playlist order.
struct PlannedCopy {
    std::string source;       // the entry as the report names it
    platform::FoundFile file; // the source as found and judged, in its opened folder
    std::string name;         // its name in the target folder: "012 Song.mp3"
    std::string title;        // the entry's title where the playlist gives one, as read
    bool nameMended = false;  // the device rules changed "012 " + the source's own name
};

// An entry that will not be copied: its report line, which stands before
// the line of copy `beforeCopy` (or at the end when that is copies.size()).
struct PlannedFailure {
    std::size_t beforeCopy = 0;
    std::string line;
};

// Everything a copy will do, found out before the first byte is written.
struct CopyPlan {
    bool dryRun = false;
    // The playlist and the target folder as the report names them.
    std::string playlistPath;
    std::string targetFolder;
    std::string targetHost;
    bool targetExists = false; // false: the copy makes the folder
    std::string targetType;    // the target's file system as the mount table names it
    std::string playlistName;  // the playlist of the copies in the target: "<playlist name>.m3u"
    std::vector<PlannedCopy> copies;
    std::vector<PlannedFailure> failures;
    std::uint64_t entryCount = 0;  // entries read, counted as Create counts them
    std::uint64_t totalBytes = 0;  // the sizes of the copies
    std::uint64_t neededBytes = 0; // what they and their playlist take on the target, in whole blocks
    std::optional<std::uint64_t> freeBytes; // nothing where the target gives no figures
    // The report line of why the copy cannot start; empty when it can. A
    // plan that cannot start writes nothing anywhere.
    std::string refusal;

    bool canStart() const { return refusal.empty(); }
    std::uint64_t mendedNames() const;
};

// Reads the playlist of the state exactly as Create reads it (the same
// entries, lookup, missing-file dialog and refusals) and looks at the target
// folder `state.TargetFolder`. Changes nothing on disk and nothing in the
// window but the dialog it may show, so it runs on the user-interface thread.
CopyPlan makeCopyPlan(AppState& state, JobWindow& window, MissingFileDialog& dialog, MessageBoxes& messages,
                      JobOptions options);

} // namespace kavora::copy
