#include "processing/copy/CopyExecutor.h"

#include "platform/CopyTarget.h"
#include "platform/PathText.h"
#include "processing/copy/CopiesPlaylist.h"
#include "processing/copy/CopyPlan.h"
#include "processing/copy/CopyReport.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace kavora::copy {

namespace {

using platform::FsError;
using platform::FsStatus;

// Hands the progress on and starts the next batch of report lines.
class Progress final {
public:
    Progress(const CopyPlan& plan, const ProgressCallback& callback) : m_plan(plan), m_callback(callback)
    {
        state.filesTotal = plan.copies.size();
        state.bytesTotal = plan.totalBytes;
    }

    // The plan's report lines of the entries before copy `copyIndex`.
    void leftOutBefore(std::size_t copyIndex)
    {
        while (m_nextFailure < m_plan.failures.size() &&
               m_plan.failures[m_nextFailure].beforeCopy <= copyIndex)
            add(m_plan.failures[m_nextFailure++].line);
    }
    // A copy's line is known once it is moved in; the lines after it wait
    // for it, so that the report keeps playlist order.
    void add(std::string line) { (m_holding ? m_held : state.reportLines).push_back(std::move(line)); }
    std::size_t reserveLine()
    {
        m_holding = true;
        m_held.emplace_back();
        return m_held.size() - 1;
    }
    void fillLine(std::size_t slot, std::string line) { m_held[slot] = std::move(line); }
    // A reserved line whose copy was dropped: it is left out at the release.
    void dropLine(std::size_t slot) { m_held[slot].clear(); }
    void releaseLines()
    {
        for (std::string& line : m_held)
            if (!line.empty())
                state.reportLines.push_back(std::move(line));
        m_held.clear();
        m_holding = false;
    }
    void tell()
    {
        if (m_callback)
            m_callback(state);
        state.reportLines.clear();
    }

    CopyProgress state;

private:
    const CopyPlan& m_plan;
    const ProgressCallback& m_callback;
    std::size_t m_nextFailure = 0;
    std::vector<std::string> m_held;
    bool m_holding = false;
};

bool endsTheCopy(const platform::FsFailure& failure, const platform::CopyTarget& target)
{
    return failure.code == FsError::NoSpace || failure.code == FsError::ReadOnlyMedium || !target.reachable();
}

} // namespace

// Staged copies are synced and moved in together once this much waits.
constexpr std::uint64_t kCommitBytes = std::uint64_t{64} << 20;
constexpr std::size_t kCommitFiles = 64;

CopyOutcome executeCopyPlan(const CopyPlan& plan, const std::atomic<bool>& stopRequested,
                            const ProgressCallback& callback)
{
    CopyOutcome outcome;
    Progress progress(plan, callback);
    constexpr std::size_t kAtTheEnd = std::numeric_limits<std::size_t>::max();

    platform::FsResult<platform::CopyTarget> opened = platform::CopyTarget::open(plan.targetHost);
    if (!opened) {
        progress.leftOutBefore(kAtTheEnd);
        progress.state.reportLines.push_back(report::targetUnusable(opened.failure(), plan.targetFolder));
        progress.tell();
        return outcome;
    }
    platform::CopyTarget& target = opened.value();

    std::vector<const PlannedCopy*> copied;
    copied.reserve(plan.copies.size());
    // The staged copies, each with the place of its line in the report lines
    // held back until they are moved in.
    std::vector<std::pair<const PlannedCopy*, std::size_t>> staged;
    const auto commit = [&] {
        const std::vector<FsStatus> results = target.commit();
        for (std::size_t index = 0; index < results.size(); ++index) {
            const auto& [copy, line] = staged[index];
            if (results[index]) {
                copied.push_back(copy);
                progress.fillLine(line, report::copied(copy->source, copy->name));
            } else {
                progress.fillLine(line, report::cannotCopy(results[index].failure(), copy->source));
            }
        }
        staged.clear();
        progress.releaseLines();
        progress.tell();
    };

    std::size_t next = 0;
    for (; next < plan.copies.size(); ++next) {
        const PlannedCopy& copy = plan.copies[next];
        progress.leftOutBefore(next);
        if (stopRequested.load()) {
            outcome.stopped = true;
            break;
        }
        progress.state.currentName = copy.name;
        progress.tell();
        const std::uint64_t before = progress.state.bytesDone;
        const FsStatus status = target.stage(copy.file, copy.name, stopRequested, [&](std::uint64_t soFar) {
            progress.state.bytesDone = before + std::min(soFar, copy.file.size);
            progress.tell();
        });
        if (!status && status.failure().code == FsError::Stopped) {
            progress.state.bytesDone = before;
            outcome.stopped = true;
            break;
        }
        progress.state.bytesDone = before + copy.file.size;
        ++progress.state.filesDone;
        progress.state.currentName.clear();
        if (status) {
            staged.emplace_back(&copy, progress.reserveLine());
            if (target.stagedBytes() >= kCommitBytes || target.stagedCount() >= kCommitFiles)
                commit();
            continue;
        }
        progress.add(report::cannotCopy(status.failure(), copy.source));
        if (endsTheCopy(status.failure(), target)) {
            ++next;
            break;
        }
    }
    // A stop is answered at once: the copies still waiting for their sync,
    // which on a slow stick can take seconds, are dropped and count as not
    // copied; the copies already moved in stay, listed.
    std::size_t notCopied = plan.copies.size() - next;
    if (outcome.stopped) {
        target.discardStaged();
        for (const auto& [copy, line] : staged)
            progress.dropLine(line);
        notCopied += staged.size();
        staged.clear();
        progress.releaseLines();
    } else {
        commit();
    }
    outcome.copiedCount = copied.size();
    if (notCopied > 0)
        progress.state.reportLines.push_back(report::notCopied(notCopied, outcome.stopped));
    progress.leftOutBefore(kAtTheEnd);

    const std::string playlistPath = platform::joinPath(plan.targetFolder, plan.playlistName);
    FsStatus listed = target.stage(plan.playlistName, copiesPlaylistText(copied));
    if (listed)
        listed = std::move(target.commit().front());
    if (listed)
        outcome.playlistPath = playlistPath;
    else
        progress.state.reportLines.push_back(report::cannotWritePlaylist(listed.failure(), playlistPath));
    const FsStatus synced = target.finish();
    if (!synced)
        progress.state.reportLines.push_back(report::cannotFlush(synced.failure(), plan.targetFolder));
    outcome.onDevice = listed && synced;
    progress.tell();
    return outcome;
}

} // namespace kavora::copy
