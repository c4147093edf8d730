// The entry into the window module: what the program runs when it opens its
// window, loaded only then.
#include "processing/AppState.h"
#include "shell/Startup.h"
#include "shell/WindowLauncher.h"

#include <QApplication>

#include <type_traits>

extern "C" __attribute__((visibility("default"))) int kavora_window_main(int argc, char* argv[],
                                                                         const char* playlist)
{
    QApplication application(argc, argv);
    kavora::AppState state;
    const auto session = kavora::shell::RunStartup(state, playlist);
    if (session == nullptr)
        return 0;
    return QApplication::exec();
}

// The launcher calls the entry by name; the type must stay the one it expects.
static_assert(std::is_same_v<decltype(&kavora_window_main), kavora::shell::WindowMain>);
