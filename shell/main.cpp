#include "processing/AppState.h"
#include "shell/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    kavora::AppState state;
    const auto session = kavora::shell::RunStartup(state);
    if (session == nullptr)
        return 0;
    return QApplication::exec();
}
