#pragma once

#include "platform/FileSystem.h"
#include "platform/FsStatus.h"
#include "processing/Job.h"
#include "processing/playlist/NewPlaylist.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavora {

// The renames of a Create job, made durable in groups: the lines of up to 64
// files (or of 200 ms) are written and synced before those files are renamed,
// so that after a power cut every numbered file is listed, and a sync costs
// little per file. The new playlist is written through this object only.
class WriteAheadRenames final {
public:
    WriteAheadRenames(Job& job, NewPlaylist& newPlaylist) : m_job(job), m_newPlaylist(newPlaylist) {}

    // As NewPlaylist's.
    platform::FsStatus copy(std::string_view line);
    platform::FsStatus leaveOut();
    // Lists a found file under the next number, after its title line where
    // it has one, and queues its rename.
    platform::FsStatus list(const Job::Located& located, const std::string& entry,
                            const std::string& titleLine = {});

    // Numbers handed out: files renamed and files queued.
    std::uint64_t numbersUsed() const { return m_job.RenamedCount + m_queued.size(); }
    bool empty() const { return m_queued.empty(); }
    // A group is full or old enough to be synced.
    bool due() const;
    // Syncs the lines listed, then renames their files. A rename that fails
    // takes its line out, and the entries after it are listed again under the
    // numbers that follow, so that the numbers have no gap; their renames
    // follow the next sync. Fails only when the new playlist cannot be written.
    platform::FsStatus flush();

private:
    struct Queued {
        Job::Located located;
        std::string entry;   // as the report names it
        std::string oldPath; // where the job looked for it
        std::string titleLine;
        bool nested = false; // an entry of a playlist the input names
        std::string numberedName;
        NewPlaylist::Listed listed;
        std::size_t reportSlot = 0;
        std::size_t step = 0; // its place among the steps
    };
    // What was done to the new playlist since the group began, to do again
    // after a line is taken out.
    struct Step {
        enum class Kind { Copy, LeaveOut, List } kind;
        std::string line; // of a Copy
    };

    platform::FsStatus listQueued(Queued& queued);
    platform::FsStatus takeOutFailed(std::size_t failed);
    void leaveUnrenamed(const std::vector<Queued>& queued, std::size_t from, std::size_t to,
                        const platform::FsFailure& failure);

    Job& m_job;
    NewPlaylist& m_newPlaylist;
    std::vector<Queued> m_queued;
    std::vector<Step> m_steps;
    std::chrono::steady_clock::time_point m_groupStart;
};

} // namespace kavora
