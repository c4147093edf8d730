#include "processing/copy/CopyJob.h"

#include "platform/PathText.h"
#include "processing/AppState.h"
#include "processing/JobWindow.h"
#include "processing/ReportText.h"
#include "processing/copy/CopyPreview.h"
#include "processing/copy/CopyReport.h"

#include <algorithm>

namespace kavora::copy {

namespace {

void appendLine(JobWindow& window, const std::string& line)
{
    std::string addition(kavora::report::kCrlf);
    addition += line;
    window.appendToReport(addition);
}

// The entry lines of a plan that is not carried out: what a real run would
// report, line for line, where the plan foresees it.
void reportPlannedEntries(const CopyPlan& plan, JobWindow& window)
{
    for (const std::string& line : plannedEntryLines(plan))
        appendLine(window, line);
}

} // namespace

bool startCopyJob(const CopyPlan& plan, JobWindow& window)
{
    showJobStarted(window);
    window.replaceReport(kavora::report::header(plan.playlistPath));
    if (!plan.canStart()) {
        appendLine(window, plan.refusal);
        return false;
    }
    appendLine(window, report::planLine(plan.copies.size(), plan.totalBytes, plan.targetFolder,
                                        !plan.targetExists, plan.freeBytes));
    if (plan.dryRun) {
        reportPlannedEntries(plan, window);
        return false;
    }
    return true;
}

void copyProgressShown(const CopyProgress& progress, JobWindow& window)
{
    for (const std::string& line : progress.reportLines)
        appendLine(window, line);
    const std::uint64_t total = std::max<std::uint64_t>(progress.bytesTotal, 1);
    window.setProgressValue(static_cast<int>(std::min<std::uint64_t>(progress.bytesDone * 100 / total, 100)));
    window.setStatusText(report::progressText(std::min(progress.filesDone + 1, progress.filesTotal),
                                              progress.filesTotal, progress.bytesDone, progress.bytesTotal));
}

JobResult finishCopyJob(AppState& state, const CopyPlan& plan, const CopyOutcome* outcome, JobWindow& window)
{
    window.setProgressVisible(false);
    window.setStatusText("Operation complete");
    window.refresh();

    const std::uint64_t copiedCount = outcome ? outcome->copiedCount : plan.dryRun ? plan.copies.size() : 0;
    if (plan.canStart()) {
        if (copiedCount < plan.entryCount)
            window.appendToReport(kavora::report::errorCount(plan.entryCount - copiedCount));
        const std::string playlistPath =
            outcome ? outcome->playlistPath : platform::joinPath(plan.targetFolder, plan.playlistName);
        window.appendToReport(report::summary(copiedCount, plan.entryCount, plan.targetFolder, playlistPath,
                                              plan.dryRun, outcome && outcome->onDevice));
    } else {
        window.appendToReport(kavora::report::kCrlf);
    }

    showJobDone(window);

    state.MissingFileDirectory.clear();
    return JobResult{plan.canStart(), plan.entryCount, copiedCount, plan.refusal};
}

JobResult runCopyJob(AppState& state, JobWindow& window, MissingFileDialog& dialog, MessageBoxes& messages,
                     JobOptions options, const std::atomic<bool>& stopRequested)
{
    const CopyPlan plan = makeCopyPlan(state, window, dialog, messages, options);
    if (!startCopyJob(plan, window))
        return finishCopyJob(state, plan, nullptr, window);
    const CopyOutcome outcome = executeCopyPlan(plan, stopRequested, [&window](const CopyProgress& progress) {
        copyProgressShown(progress, window);
        window.refresh();
    });
    return finishCopyJob(state, plan, &outcome, window);
}

} // namespace kavora::copy
