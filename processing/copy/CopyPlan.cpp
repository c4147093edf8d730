#include "processing/copy/CopyPlan.h"

#include "platform/CopyTarget.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "processing/AppState.h"
#include "processing/Job.h"
#include "processing/ReportText.h"
#include "processing/copy/CopiesPlaylist.h"
#include "processing/copy/CopyReport.h"
#include "processing/copy/DeviceName.h"
#include "processing/playlist/PlaylistLine.h"
#include "processing/playlist/PlaylistReader.h"
#include "processing/playlist/PlaylistWalk.h"

#include <algorithm>
#include <memory>

namespace kavora::copy {

namespace {

using platform::FsError;
using playlist::PlaylistItem;

struct FoundSource {
    PlannedCopy copy;
    std::string ownName; // the file's own name, which its copy is numbered from
};

// Notes the file an item names, or the reason it is left out.
void planItem(Job& job, CopyPlan& plan, std::vector<FoundSource>& found, playlist::PlaylistWalk::Step& step)
{
    const auto leaveOut = [&](std::string line) {
        ++plan.entryCount;
        plan.failures.push_back(PlannedFailure{found.size(), std::move(line)});
    };
    PlaylistItem& item = step.item;
    if (step.refusal != playlist::Refusal::None)
        return leaveOut(job.refusalLine(step));
    switch (item.kind) {
    case PlaylistItem::Kind::Blank:
    case PlaylistItem::Kind::Directive:
        return;
    case PlaylistItem::Kind::Overlong:
        return leaveOut(kavora::report::lineTooLong(item.text));
    case PlaylistItem::Kind::Stream:
        return leaveOut(kavora::report::notLocalFile(item.text));
    case PlaylistItem::Kind::Entry:
        break;
    }
    job.state.CurrentEntry = job.shownEntry(*item.entry);
    Job::Located located = job.locate(*item.entry);
    if (Job::isMissing(located))
        job.findMissing(located);
    const std::string entry = job.reportedEntry();
    if (!located.file) {
        const platform::FsFailure& failure = located.file.failure();
        return leaveOut(failure.code == FsError::NotFound ? kavora::report::fileNotFound(entry)
                                                          : kavora::report::fileLeftAsItIs(failure, entry));
    }
    const platform::FoundFile& file = located.file.value();
    if (std::optional<std::string> refused = job.refusal(file))
        return leaveOut(std::move(*refused));
    ++plan.entryCount;
    found.push_back(FoundSource{PlannedCopy{entry, file, {}, std::move(item.title), false}, file.name});
}

// Reads the entries as Create does. Fails (a refusal line) when the playlist
// cannot be read to its end.
std::string readEntries(Job& job, CopyPlan& plan, std::vector<FoundSource>& found)
{
    AppState& state = job.state;
    while (std::optional<playlist::PlaylistWalk::Step> step = job.nextItem()) {
        planItem(job, plan, found, *step);
        if (state.UseDirectoryForAll == kFalse16)
            state.MissingFileDirectory.clear();
    }
    if (!job.input->status().ok())
        return kavora::report::cannotReadInput(job.input->status().failure(), plan.playlistPath);
    return {};
}

std::uint64_t inBlocks(std::uint64_t bytes, std::uint64_t blockSize)
{
    return (bytes + blockSize - 1) / blockSize * blockSize;
}

std::string playlistNameFor(std::string_view playlistPath, std::size_t byteLimit)
{
    std::string_view name = platform::fileNamePart(playlistPath);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return deviceFileName(std::string(name) + ".m3u", byteLimit);
}

// Names the copies, sums them up, and refuses a target that cannot take them.
void planTarget(CopyPlan& plan, std::vector<FoundSource>& found, const platform::TargetFolderInfo& target)
{
    const std::size_t byteLimit = std::min(target.longestName, std::size_t{1024});
    plan.targetExists = target.exists;
    plan.targetType = target.typeName;
    plan.freeBytes = target.freeBytes;
    plan.playlistName = playlistNameFor(plan.playlistPath, byteLimit);
    plan.copies.reserve(found.size());
    std::vector<const PlannedCopy*> listed;
    listed.reserve(found.size());
    // The folder made, and the staging folder inside it, take a block each.
    plan.neededBytes = 2 * target.blockSize;
    for (FoundSource& source : found) {
        PlannedCopy& copy = plan.copies.emplace_back(std::move(source.copy));
        const std::uint64_t number = plan.copies.size();
        copy.name = numberedCopyName(number, found.size(), source.ownName, byteLimit);
        copy.nameMended = copy.name != copyNumberPrefix(number, found.size()) + source.ownName;
        plan.totalBytes += copy.file.size;
        plan.neededBytes += inBlocks(copy.file.size, target.blockSize);
        listed.push_back(&copy);
    }
    plan.neededBytes += inBlocks(copiesPlaylistText(listed).size(), target.blockSize);
    if (!target.firstName.empty())
        plan.refusal = report::targetNotEmpty(plan.targetFolder, target.firstName);
    else if (plan.freeBytes && plan.neededBytes > *plan.freeBytes)
        plan.refusal = report::notEnoughSpace(plan.neededBytes, *plan.freeBytes, plan.targetFolder);
}

} // namespace

std::uint64_t CopyPlan::mendedNames() const
{
    return static_cast<std::uint64_t>(
        std::count_if(copies.begin(), copies.end(), [](const PlannedCopy& copy) { return copy.nameMended; }));
}

CopyPlan makeCopyPlan(AppState& state, JobWindow& window, MissingFileDialog& dialog, MessageBoxes& messages,
                      JobOptions options)
{
    // Only looks: a snapshot reads each directory once, so a long playlist
    // costs no system call per lookup.
    state.FileSystem = std::make_shared<const platform::FileSystem>(platform::FileSystem::View::Snapshot);
    CopyPlan plan;
    plan.dryRun = options.dryRun;
    Job job(state, window, dialog, messages);
    plan.playlistPath = job.reportedPath(state.InputPlaylistPath);
    plan.targetFolder = job.reportedPath(state.TargetFolder);

    auto opened = playlist::PlaylistReader::open(job.fileSystem(), state.InputPlaylistPath);
    if (!opened) {
        plan.refusal = kavora::report::cannotOpenInput(opened.failure(), plan.playlistPath);
        return plan;
    }
    job.input = std::move(opened).value();
    job.notePlaylist(job.input->identity());

    std::vector<FoundSource> found;
    plan.refusal = readEntries(job, plan, found);
    state.MissingFileDirectory.clear();
    state.IgnoreErrors = false;
    if (!plan.canStart())
        return plan;

    platform::FsResult<std::string> host =
        state.TargetFolder.empty()
            ? platform::FsResult<std::string>(platform::FsFailure{FsError::InvalidPath, "no folder given"})
            : job.fileSystem().hostPath(state.TargetFolder);
    if (!host) {
        plan.refusal = report::targetUnusable(host.failure(), plan.targetFolder);
        return plan;
    }
    plan.targetHost = std::move(host).value();
    platform::FsResult<platform::TargetFolderInfo> target = platform::inspectTargetFolder(plan.targetHost);
    if (!target) {
        plan.refusal = report::targetUnusable(target.failure(), plan.targetFolder);
        return plan;
    }
    planTarget(plan, found, target.value());
    return plan;
}

} // namespace kavora::copy
