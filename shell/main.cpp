#include "cli/CommandLine.h"
#include "cli/RunCommand.h"
#include "processing/AppState.h"
#include "shell/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Read before anything of the window system is touched: a job run from
    // the command line needs no display.
    const kavora::cli::Command command = kavora::cli::parseCommandLine({argv + 1, argv + argc});
    if (command.action != kavora::cli::Command::Action::OpenWindow)
        return kavora::cli::runCommand(command);

    QApplication application(argc, argv);
    kavora::AppState state;
    const auto session = kavora::shell::RunStartup(state);
    if (session == nullptr)
        return 0;
    return QApplication::exec();
}
