#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kavora::copy {

struct CopyPlan;

// Where a running copy stands.
struct CopyProgress {
    std::uint64_t filesDone = 0; // copies ended, copied or failed
    std::uint64_t filesTotal = 0;
    std::uint64_t bytesDone = 0; // of the planned bytes; a failed file counts in full
    std::uint64_t bytesTotal = 0;
    std::string currentName; // the copy being written; empty between files
    // The report lines due since the previous call, in playlist order: the
    // entries left out by the plan, and each copy once it has ended.
    std::vector<std::string> reportLines;
};
using ProgressCallback = std::function<void(const CopyProgress&)>;

struct CopyOutcome {
    std::uint64_t copiedCount = 0;
    bool stopped = false;     // the stop request ended it
    bool onDevice = false;    // every copy and their playlist are synced to the device
    std::string playlistPath; // the playlist of the copies; empty when it could not be written
};

// Carries out a plan that can start (CopyPlan::canStart, not a dry run):
// makes the folder if it is missing, copies the files one after another in
// playlist order, writes the playlist of the copies and syncs the folder.
// Runs on any thread: it uses the plan and the host, nothing else, and calls
// `progress` on its own thread when a file starts, after each piece of it
// (a few MB), and when it ends; the last call carries the last report lines.
// A stop request is taken within a piece: the file being written goes, the
// copies before it stay, and the playlist of the copies lists exactly them.
// A full or failing target ends the copy the same way; a source that
// cannot be read is reported and the copy goes on.
CopyOutcome executeCopyPlan(const CopyPlan& plan, const std::atomic<bool>& stopRequested,
                            const ProgressCallback& progress);

} // namespace kavora::copy
