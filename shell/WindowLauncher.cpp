#include "shell/WindowLauncher.h"

#include "platform/Module.h"

#include <cstdio>
#include <string>

namespace kavora::shell {

int openWindow(int argc, char* argv[], const std::string& playlist)
{
    // Beside the program in the build tree, in its library folder installed.
    const std::string directory = platform::programDirectory();
    platform::FsResult<void*> windowMain =
        platform::loadModuleFunction(directory + "/" KAVORA_WINDOW_MODULE, kWindowMainName);
    if (!windowMain)
        windowMain = platform::loadModuleFunction(
            directory + "/" KAVORA_WINDOW_MODULE_FROM_BINDIR "/" KAVORA_WINDOW_MODULE, kWindowMainName);
    if (!windowMain) {
        std::fprintf(stderr, "kavora: the window cannot be opened: %s\n", windowMain.failure().reason.c_str());
        return 1;
    }
    return reinterpret_cast<WindowMain>(windowMain.value())(argc, argv, playlist.c_str());
}

} // namespace kavora::shell
