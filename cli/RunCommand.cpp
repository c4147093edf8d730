#include "cli/RunCommand.h"

#include "cli/CommandLine.h"
#include "cli/ConsoleWindow.h"
#include "cli/UnattendedUser.h"
#include "platform/Console.h"
#include "platform/DisplayText.h"
#include "platform/FileSystem.h"
#include "platform/ProcessPaths.h"
#include "processing/AppState.h"
#include "processing/ProcessPlaylist.h"
#include "processing/copy/CopyJob.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace kavora::cli {

namespace {

constexpr const char* kUsage =
    "Usage: kavora [PLAYLIST]\n"
    "  or:  kavora --create PLAYLIST [--missing-dir DIR] [--dry-run]\n"
    "  or:  kavora --remove PLAYLIST [--dry-run]\n"
    "  or:  kavora --copy PLAYLIST --to FOLDER [--missing-dir DIR] [--dry-run]\n"
    "Number the music files of a playlist in playlist order (Song.mp3 becomes\n"
    "012 Song.mp3) and list them in a new .kvr playlist, or take the numbers off,\n"
    "or copy them numbered into a folder and leave the originals as they are.\n"
    "\n"
    "Without an option the window opens, with PLAYLIST chosen when one is given.\n"
    "\n"
    "      --create PLAYLIST  number the files PLAYLIST names and write the new\n"
    "                           playlist beside it, with the extension .kvr\n"
    "      --remove PLAYLIST  take the numbers off the files a .kvr playlist names\n"
    "      --copy PLAYLIST    copy the files PLAYLIST names, numbered and in order,\n"
    "                           into FOLDER with names any USB stick takes, and\n"
    "                           list the copies in FOLDER/PLAYLIST.m3u\n"
    "      --to FOLDER        the folder --copy fills: a new one, made, or an empty one\n"
    "      --missing-dir DIR  look for missing files in DIR, as if DIR were given\n"
    "                           for every missing file; without it they are reported\n"
    "      --dry-run          change nothing; report what would be done\n"
    "  -h, --help             display this help and exit\n"
    "      --version          output version information and exit\n"
    "\n"
    "The report goes to standard output; no question is ever asked.\n"
    "\n"
    "Example: kavora --copy ~/Music/car.m3u --to /media/$USER/STICK/Car\n"
    "\n"
    "Exit status:\n"
    " 0  if every entry was renamed (or copied),\n"
    " 1  if some entries were not,\n"
    " 2  if the job could not run (bad arguments, a playlist that cannot be read,\n"
    "    a new playlist that may not be written, a target folder that is not\n"
    "    empty or has too little room).\n";

// "kavora: " and the text, one line on standard error.
void sayOnStandardError(std::string_view text)
{
    std::string shown = platform::displayText(text);
    if (platform::standardErrorKind() == platform::StreamKind::Terminal)
        shown = platform::withControlsEscaped(shown);
    std::fprintf(stderr, "kavora: %s\n", shown.c_str());
}

int refuse(const std::string& problem)
{
    sayOnStandardError(problem);
    std::fputs("Try 'kavora --help' for more information.\n", stderr);
    return kCouldNotRun;
}

// What standard output did not take fails a command that went well: the
// script did not get what it asked for.
int withOutputWritten(int status, const std::optional<std::string>& writeFailure)
{
    if (!writeFailure)
        return status;
    sayOnStandardError("standard output: " + *writeFailure);
    return status == kEveryEntryRenamed ? kSomeEntriesFailed : status;
}

std::optional<std::string> flushFailure()
{
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return std::nullopt;
    return std::strerror(errno);
}

int statusOf(const JobResult& result)
{
    if (!result.problem.empty())
        sayOnStandardError(result.problem);
    if (!result.ran)
        return kCouldNotRun;
    // Cut short by a read or write error: a failure of some entries once
    // some were done, else of the whole job.
    if (!result.problem.empty())
        return result.entryCount > 0 ? kSomeEntriesFailed : kCouldNotRun;
    return result.renamedCount == result.entryCount ? kEveryEntryRenamed : kSomeEntriesFailed;
}

JobResult runCopy(AppState& state, const Command& command, UnattendedUser& user, ConsoleWindow& window)
{
    state.TargetFolder = command.targetFolder.value_or("");
    const copy::CopyPlan plan = copy::makeCopyPlan(state, window, user, user, JobOptions{command.dryRun});
    if (!copy::startCopyJob(plan, window))
        return copy::finishCopyJob(state, plan, nullptr, window);
    // Nothing stops a copy from the command line but a signal, which ends
    // the process; what a kill leaves is as sound as what a stop leaves.
    const std::atomic<bool> neverStopped{false};
    const copy::CopyOutcome outcome =
        copy::executeCopyPlan(plan, neverStopped, [&window](const copy::CopyProgress& progress) {
            for (const std::string& line : progress.reportLines)
                if (line.starts_with("Error - "))
                    sayOnStandardError(line);
            copy::copyProgressShown(progress, window);
        });
    return copy::finishCopyJob(state, plan, &outcome, window);
}

int runJob(const Command& command)
{
    AppState state;
    if (command.missingDirectory) {
        const auto attributes = platform::FileSystem().attributes(*command.missingDirectory);
        if (!attributes || (attributes.value() & platform::Directory) == 0)
            return refuse("'" + *command.missingDirectory + "' is not a folder");
        // What ticking "use for all" with this folder does in the window, for
        // every missing entry of the job. Typed where the user stands, while
        // the job would take a relative folder beside the playlist.
        state.MissingFileDirectory = platform::absolutePath(*command.missingDirectory);
        state.UseDirectoryForAll = kTrue16;
    }
    // Nobody is there to answer the dialog: it is never shown, and a miss
    // costs one lookup.
    state.IgnoreErrors = true;
    state.OperationMode = command.action == Command::Action::Create   ? "Create"
                          : command.action == Command::Action::Remove ? "Remove"
                                                                      : "Copy";
    // Taken where the user stands, once: every path of the job is then
    // anchored at a full path.
    state.InputPlaylistPath = platform::absolutePath(command.playlist);
    UnattendedUser user;
    ConsoleWindow window;
    const JobResult result = command.action == Command::Action::Copy
                                 ? runCopy(state, command, user, window)
                                 : runPlaylistJob(state, window, user, user, JobOptions{command.dryRun});
    const std::optional<std::string> writeFailure = window.finishReport();
    return withOutputWritten(statusOf(result), writeFailure);
}

} // namespace

int runCommand(const Command& command)
{
    platform::ignoreBrokenPipe();
    switch (command.action) {
    case Command::Action::Help:
        std::fputs(kUsage, stdout);
        return withOutputWritten(0, flushFailure());
    case Command::Action::Version:
        std::printf("kavora (Kavora) %s\nCopyright (C) %s Kavora developers.\n", KAVORA_VERSION,
                    KAVORA_COPYRIGHT_YEAR);
        return withOutputWritten(0, flushFailure());
    case Command::Action::Invalid:
        return refuse(command.problem);
    case Command::Action::Create:
    case Command::Action::Remove:
    case Command::Action::Copy:
        return runJob(command);
    case Command::Action::OpenWindow:
        break;
    }
    sayOnStandardError("no display to open the window on; run a job with --create or --remove (see --help)");
    return kCouldNotRun;
}

} // namespace kavora::cli
