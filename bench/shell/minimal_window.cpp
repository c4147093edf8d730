// The yardstick for start-up time: the least a Qt program does to show a window.
// With --text the window holds one line of text, which is what makes a program
// load the font system at all.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty"));
    window.resize(615, 400);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        new QLabel(QStringLiteral("Ready"), &window);
    window.show();
    // Reported once the event loop runs, as the program under test does.
    QTimer::singleShot(0, [] { std::fputs("main window shown\n", stderr); });
    return QApplication::exec();
}
