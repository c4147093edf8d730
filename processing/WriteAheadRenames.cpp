#include "processing/WriteAheadRenames.h"

#include "platform/PathText.h"
#include "processing/FolderCheck.h"
#include "processing/NumberPrefix.h"
#include "processing/ReportText.h"

#include <limits>
#include <utility>

namespace kavora {

using platform::FsStatus;

namespace {

constexpr std::size_t kNoSlot = std::numeric_limits<std::size_t>::max();

} // namespace

FsStatus WriteAheadRenames::copy(std::string_view line)
{
    if (!m_queued.empty())
        m_steps.push_back(Step{Step::Kind::Copy, std::string(line)});
    return m_newPlaylist.copy(line);
}

FsStatus WriteAheadRenames::leaveOut()
{
    if (!m_queued.empty())
        m_steps.push_back(Step{Step::Kind::LeaveOut, {}});
    return m_newPlaylist.leaveOut();
}

FsStatus WriteAheadRenames::list(const Job::Located& located, const std::string& entry,
                                 const std::string& titleLine)
{
    if (m_queued.empty()) {
        m_groupStart = std::chrono::steady_clock::now();
        m_job.holdReport();
    }
    Queued queued{located, entry, m_job.lookupPath(located.form.path()), titleLine, m_job.isNested(), {}, {},
                  kNoSlot, 0};
    if (FsStatus listed = listQueued(queued); !listed)
        return listed;
    m_job.noteRenamed(located.file.value().identity);
    return {};
}

FsStatus WriteAheadRenames::listQueued(Queued& queued)
{
    const std::string prefix = numberPrefix(numbersUsed() + 1);
    const std::string& name = queued.located.file.value().name;
    queued.numberedName = prefix + name;
    // A named playlist's entry is listed by its full path: its own form
    // starts from another folder.
    platform::FsResult<NewPlaylist::Listed> listed = m_newPlaylist.list(
        queued.nested ? std::string(platform::directoryPart(queued.oldPath)) + queued.numberedName
                      : queued.located.form.withNumberedName(prefix, name),
        queued.titleLine);
    if (!listed)
        return listed.failure();
    queued.listed = std::move(listed).value();
    if (queued.reportSlot == kNoSlot)
        queued.reportSlot = m_job.reserveReportLine();
    queued.step = m_steps.size();
    m_steps.push_back(Step{Step::Kind::List, {}});
    m_queued.push_back(std::move(queued));
    return {};
}

bool WriteAheadRenames::due() const
{
    return !m_queued.empty() &&
           (m_queued.size() >= kGroupFiles || std::chrono::steady_clock::now() - m_groupStart >= kGroupTime);
}

FsStatus WriteAheadRenames::flush()
{
    while (!m_queued.empty()) {
        if (FsStatus synced = m_newPlaylist.sync(); !synced) {
            leaveUnrenamed(m_queued, 0, m_queued.size(), synced.failure());
            m_queued.clear();
            m_steps.clear();
            m_job.releaseReport();
            return synced;
        }
        FolderCheck folders;
        std::size_t index = 0;
        for (; index < m_queued.size(); ++index) {
            const Queued& queued = m_queued[index];
            const platform::FoundFile& file = queued.located.file.value();
            const platform::FileSystem& fileSystem = m_job.fileSystem();
            FsStatus renamed = folders.beforeRename(fileSystem, file);
            if (renamed) {
                renamed = fileSystem.renameInFolder(file, queued.numberedName,
                                                    platform::FileSystem::Recheck::FileOnly);
            }
            if (!renamed) {
                leaveUnrenamed(m_queued, index, index + 1, renamed.failure());
                break;
            }
            ++m_job.RenamedCount;
            m_job.fillReportLine(queued.reportSlot, m_job.renamedLine(queued.located.form.path(),
                                                                      queued.oldPath, queued.numberedName));
        }
        if (index == m_queued.size()) {
            m_queued.clear();
            m_steps.clear();
        } else if (FsStatus takenOut = takeOutFailed(index); !takenOut) {
            m_job.releaseReport();
            return takenOut;
        }
    }
    m_job.releaseReport();
    return {};
}

// The renames before `failed` are done, its own failed and those after it
// are not tried yet: from its line on, the new playlist is written again.
FsStatus WriteAheadRenames::takeOutFailed(std::size_t failed)
{
    std::vector<Queued> queued = std::move(m_queued);
    const std::vector<Step> steps = std::move(m_steps);
    m_queued.clear();
    m_steps.clear();
    std::size_t next = failed + 1; // the next queued entry to list again
    FsStatus done = m_newPlaylist.takeBack(queued[failed].listed);
    for (std::size_t step = queued[failed].step + 1; done && step < steps.size(); ++step) {
        if (steps[step].kind == Step::Kind::List) {
            done = listQueued(queued[next]);
            if (done)
                ++next;
        } else {
            done = steps[step].kind == Step::Kind::Copy ? copy(steps[step].line) : leaveOut();
        }
    }
    if (!done) {
        // Nothing more is renamed: the job stops.
        leaveUnrenamed(m_queued, 0, m_queued.size(), done.failure());
        leaveUnrenamed(queued, next, queued.size(), done.failure());
        m_queued.clear();
        m_steps.clear();
    }
    return done;
}

// Reports the queued files from `from` up to `to` as left under their names.
void WriteAheadRenames::leaveUnrenamed(const std::vector<Queued>& queued, std::size_t from, std::size_t to,
                                       const platform::FsFailure& failure)
{
    for (std::size_t index = from; index < to; ++index) {
        m_job.ErrorSeen = true;
        m_job.fillReportLine(queued[index].reportSlot,
                             report::cannotRename(failure, queued[index].numberedName, queued[index].entry));
        m_job.forgetRenamed(queued[index].located.file.value().identity);
    }
}

} // namespace kavora
