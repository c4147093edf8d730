#include "cli/CommandLine.h"
#include "cli/RunCommand.h"
#include "platform/Console.h"
#include "platform/ProcessPaths.h"
#include "shell/WindowLauncher.h"

int main(int argc, char* argv[])
{
    // Before any file is opened: a closed standard output would otherwise be
    // the first file's number, and the report would be written into it.
    kavora::platform::openClosedStandardStreams();
    // Read before anything of the window system is loaded: a job run from the
    // command line needs no display and no Qt.
    const kavora::cli::Command command = kavora::cli::parseCommandLine({argv + 1, argv + argc});
    if (command.action != kavora::cli::Command::Action::OpenWindow || !kavora::shell::displayReachable())
        return kavora::cli::runCommand(command);
    // Relative to where the user stands, before it goes to a running copy
    // that stands elsewhere.
    const std::string playlist =
        command.playlist.empty() ? "" : kavora::platform::absolutePath(command.playlist);
    return kavora::shell::openWindow(argc, argv, playlist);
}
