#include "cli/RunCommand.h"

#include "cli/CommandLine.h"
#include "cli/ConsoleWindow.h"
#include "cli/UnattendedUser.h"
#include "platform/FileSystem.h"
#include "platform/ProcessPaths.h"
#include "processing/AppState.h"
#include "processing/ProcessPlaylist.h"

#include <cstdio>
#include <string>

namespace kavora::cli {

namespace {

constexpr const char* kUsage =
    "Usage: kavora [PLAYLIST]\n"
    "  or:  kavora --create PLAYLIST [--missing-dir DIR] [--dry-run]\n"
    "  or:  kavora --remove PLAYLIST [--dry-run]\n"
    "Number the music files of a playlist in playlist order (Song.mp3 becomes\n"
    "012 Song.mp3) and list them in a new .kvr playlist, or take the numbers off.\n"
    "\n"
    "Without an option the window opens, with PLAYLIST chosen when one is given.\n"
    "\n"
    "      --create PLAYLIST  number the files PLAYLIST names and write the new\n"
    "                           playlist beside it, with the extension .kvr\n"
    "      --remove PLAYLIST  take the numbers off the files a .kvr playlist names\n"
    "      --missing-dir DIR  look for missing files in DIR, as if DIR were given\n"
    "                           for every missing file; without it they are reported\n"
    "      --dry-run          change nothing; report what would be done\n"
    "  -h, --help             display this help and exit\n"
    "      --version          output version information and exit\n"
    "\n"
    "The report goes to standard output; no question is ever asked.\n"
    "\n"
    "Exit status:\n"
    " 0  if every entry was renamed,\n"
    " 1  if some entries were not,\n"
    " 2  if the job could not run (bad arguments, a playlist that cannot be read,\n"
    "    a new playlist that may not be written).\n";

int refuse(const std::string& problem)
{
    std::fprintf(stderr, "kavora: %s\nTry 'kavora --help' for more information.\n", problem.c_str());
    return kCouldNotRun;
}

int runJob(const Command& command)
{
    if (command.missingDirectory) {
        const auto attributes = platform::FileSystem().attributes(*command.missingDirectory);
        if (!attributes || (attributes.value() & platform::Directory) == 0)
            return refuse("'" + *command.missingDirectory + "' is not a folder");
    }
    AppState state;
    state.OperationMode = command.action == Command::Action::Create ? "Create" : "Remove";
    state.InputPlaylistPath = command.playlist;
    // Typed where the user stands; the job would take a relative folder
    // beside the playlist.
    UnattendedUser user(command.missingDirectory ? std::optional(platform::absolutePath(*command.missingDirectory))
                                                 : std::nullopt);
    JobResult result;
    {
        ConsoleWindow window;
        result = runPlaylistJob(state, window, user, user, JobOptions{command.dryRun});
    }
    if (!result.ran)
        return kCouldNotRun;
    return result.renamedCount == result.entryCount ? kEveryEntryRenamed : kSomeEntriesFailed;
}

} // namespace

int runCommand(const Command& command)
{
    switch (command.action) {
    case Command::Action::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case Command::Action::Version:
        std::printf("kavora (Kavora) %s\nCopyright (C) %s Kavora developers.\n", KAVORA_VERSION,
                    KAVORA_COPYRIGHT_YEAR);
        return 0;
    case Command::Action::Invalid:
        return refuse(command.problem);
    case Command::Action::Create:
    case Command::Action::Remove:
        return runJob(command);
    case Command::Action::OpenWindow:
        break;
    }
    return refuse("no job to run without a window");
}

} // namespace kavora::cli
