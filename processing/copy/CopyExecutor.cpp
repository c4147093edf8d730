#include "processing/copy/CopyExecutor.h"

#include "platform/CopyTarget.h"
#include "platform/PathText.h"
#include "processing/copy/CopiesPlaylist.h"
#include "processing/copy/CopyPlan.h"
#include "processing/copy/CopyReport.h"

#include <algorithm>
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
        while (m_nextFailure < m_plan.failures.size() && m_plan.failures[m_nextFailure].beforeCopy <= copyIndex)
            state.reportLines.push_back(m_plan.failures[m_nextFailure++].line);
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
};

bool endsTheCopy(const platform::FsFailure& failure, const platform::CopyTarget& target)
{
    return failure.code == FsError::NoSpace || failure.code == FsError::ReadOnlyMedium || !target.reachable();
}

} // namespace

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
        const FsStatus status = target.copyIn(copy.file, copy.name, stopRequested, [&](std::uint64_t soFar) {
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
            copied.push_back(&copy);
            progress.state.reportLines.push_back(report::copied(copy.source, copy.name));
            continue;
        }
        progress.state.reportLines.push_back(report::cannotCopy(status.failure(), copy.source));
        if (endsTheCopy(status.failure(), target)) {
            ++next;
            break;
        }
    }
    outcome.copiedCount = copied.size();
    if (next < plan.copies.size())
        progress.state.reportLines.push_back(report::notCopied(plan.copies.size() - next, outcome.stopped));
    progress.leftOutBefore(kAtTheEnd);

    const std::string playlistPath = platform::joinPath(plan.targetFolder, plan.playlistName);
    const FsStatus listed = target.writeIn(plan.playlistName, copiesPlaylistText(copied));
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
