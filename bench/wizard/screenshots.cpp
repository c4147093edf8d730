// Walks the wizard over a small sample library in a temporary HOME and saves
// a picture of each window state: idle, selection, preview, running (with the
// processing-error dialog open), done, and the dialog itself; then of the
// copy's target step, its plan and its run.
#include "processing/AppState.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"
#include "wizard/Wizard.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <filesystem>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool save(QWidget* window, const QString& folder, const char* name)
{
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    const bool saved = window->grab().save(path);
    std::printf("%s: %s\n", name, saved ? qPrintable(path) : "not saved");
    return saved;
}

void click(QWidget* window, const char* name)
{
    QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots/out");
    QDir().mkpath(folder);

    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString playlists = home.path() + QStringLiteral("/My Documents/My Music/My Playlists/");
    QByteArray playlist;
    for (const char* song : {"Intro", "Blue Train", "Moment's Notice", "Locomotion", "I'm Old Fashioned"}) {
        writeFile(home.path() + QStringLiteral("/Music/Jazz/") + QLatin1String(song) + QStringLiteral(".mp3"),
                  "x");
        playlist += QByteArray("C:\\Music\\Jazz\\") + song + ".mp3\r\n";
    }
    playlist += "Lazy Bird.mp3\r\n";
    writeFile(home.path() + QStringLiteral("/Other/Lazy Bird.mp3"), "x");
    writeFile(playlists + QStringLiteral("Blue Train.m3u"), playlist);
    // Large enough for the copy to be caught running; holes, so they take no room.
    QByteArray roadTrip;
    for (const char* song : {"Highway Star", "Born to Be Wild", "Where Is My Mind?", "Roadrunner"}) {
        const QString path =
            home.path() + QStringLiteral("/Music/Rock/") + QLatin1String(song) + QStringLiteral(".mp3");
        writeFile(path, "x");
        std::filesystem::resize_file(QFile::encodeName(path).toStdString(), std::uintmax_t{1} << 30);
        roadTrip += QByteArray("C:\\Music\\Rock\\") + song + ".mp3\r\n";
    }
    writeFile(playlists + QStringLiteral("Road Trip.m3u"), roadTrip);
    writeFile(playlists + QStringLiteral("Sunday.m3u"), "C:\\Music\\b.mp3\r\n");

    kavora::AppState state;
    KVRFrmStart window(state);
    connectWizard(window);
    window.setPrintEnabled(false);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    bool ok = save(&window, folder, "idle");

    window.findChild<QAction*>(QStringLiteral("mnuCreate"))->trigger();
    KVRFrmGetFilename* picker = window.playlistPicker();
    if (!QTest::qWaitForWindowExposed(picker))
        return 1;
    auto* files = picker->findChild<QListWidget*>(QStringLiteral("File1"));
    const auto items = files->findItems(QStringLiteral("Blue Train.m3u"), Qt::MatchExactly);
    if (items.isEmpty())
        return 1;
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(items.front()).center());
    ok = save(picker, folder, "selection") && ok;

    click(picker, "BtnOK");
    ok = save(&window, folder, "preview") && ok;

    // The dialog opens during the job: the main window then shows the
    // running state with its progress bar. Polled, as it runs its own loop.
    bool answered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || answered)
            return;
        answered = true;
        ok = save(&window, folder, "running") && ok;
        QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("Text1")),
                         QStringLiteral("C:\\Other\\"));
        ok = save(dialog, folder, "processing_error") && ok;
        click(dialog, "Command1");
    });
    poll.start(20);
    click(&window, "BtnOK");
    ok = save(&window, folder, "done") && ok;
    // "&Done" takes no click within a double click's time of appearing.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    click(&window, "BtnDone");

    window.findChild<QAction*>(QStringLiteral("mnuCopy"))->trigger();
    picker = window.playlistPicker();
    if (!QTest::qWaitForWindowExposed(picker))
        return 1;
    files = picker->findChild<QListWidget*>(QStringLiteral("File1"));
    const auto roadTripItems = files->findItems(QStringLiteral("Road Trip.m3u"), Qt::MatchExactly);
    if (roadTripItems.isEmpty())
        return 1;
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(roadTripItems.front()).center());
    click(picker, "BtnOK");
    ok = save(&window, folder, "copy_target") && ok;
    // Into the home drive even where a stick is listed first.
    window.findChild<QLineEdit*>(QStringLiteral("tbTargetFolder"))->setText(QStringLiteral("C:\\Road Trip"));
    click(&window, "BtnOK");
    ok = save(&window, folder, "copy_plan") && ok;
    click(&window, "BtnOK");
    const bool copying = QTest::qWaitFor([&] { return window.progressValue() >= 3; }, 20000);
    if (!copying)
        return 1;
    ok = save(&window, folder, "copy_running") && ok;
    click(&window, "BtnStop");
    const bool stopped = QTest::qWaitFor(
        [&] { return window.findChild<QPushButton*>(QStringLiteral("BtnDone"))->isVisible(); }, 5000);
    return ok && answered && stopped ? 0 : 1;
}
