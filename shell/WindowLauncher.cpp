#include "shell/WindowLauncher.h"

#include "platform/Module.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kavora::shell {

namespace {

bool isSet(const char* name)
{
    const char* const value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// One entry of QT_QPA_PLATFORM, its options (":...") cut off.
bool platformReachable(std::string_view platform)
{
    platform = platform.substr(0, platform.find(':'));
    if (platform == "xcb")
        return isSet("DISPLAY");
    if (platform.starts_with("wayland"))
        return isSet("WAYLAND_DISPLAY");
    // offscreen, minimal, eglfs, linuxfb, vnc...: no display server, or one
    // that Qt reports on itself.
    return true;
}

} // namespace

bool displayReachable()
{
    const char* const platforms = std::getenv("QT_QPA_PLATFORM");
    if (platforms == nullptr || platforms[0] == '\0')
        return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
    // A list is tried in its order: one that can open is enough.
    std::string_view rest = platforms;
    for (;;) {
        const std::size_t semicolon = rest.find(';');
        if (platformReachable(rest.substr(0, semicolon)))
            return true;
        if (semicolon == std::string_view::npos)
            return false;
        rest.remove_prefix(semicolon + 1);
    }
}

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
        std::fprintf(stderr, "kavora: the window cannot be opened: %s\n",
                     windowMain.failure().reason.c_str());
        return 1;
    }
    return reinterpret_cast<WindowMain>(windowMain.value())(argc, argv, playlist.c_str());
}

} // namespace kavora::shell
