// Prints "name: value" lines: the time for the report area to take 100,000
// report lines and for the selection window to open on a folder of 50,000
// playlists, each with the ratio of twice the work to the work; and the time
// from the preview's start to the report area painted for a 20 MB playlist
// and for a playlist of one line of 1 MB; and for a copy of 100 files of 1 MB
// run from the window, the longest the event loop stood still and the time
// from "&Cancel" to the done state (KAVORA_BENCH_COPY_TO names the folder the
// copies go into, a stick's for instance; by default a temporary one).
#include "processing/AppState.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"
#include "wizard/PreviewPlaylist.h"
#include "wizard/ShowPlaylistPicker.h"
#include "wizard/Wizard.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

double secondsFor(const auto& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double reportSeconds(int lines)
{
    kavora::AppState state;
    KVRFrmStart window(state);
    connectWizard(window);
    window.show();
    window.setReportVisible(true);
    window.replaceReport("\r\nProcessing input file... C:\\Lists\\mix.m3u\r\n");
    QApplication::processEvents();
    return secondsFor([&] {
        char line[96];
        for (int i = 1; i <= lines; ++i) {
            std::snprintf(line, sizeof line, "\r\nRenamed C:\\Music\\Jazz\\%03d Track %d.mp3", i % 1000, i);
            window.appendToReport(line);
        }
        window.refresh();
    });
}

// A folder of `files` playlists as the first default folder of the window.
double listSeconds(int files)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString folder = home.path() + QStringLiteral("/My Documents/My Music/My Playlists/");
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i) {
        QFile file(folder + QStringLiteral("list %1.m3u").arg(i));
        if (!file.open(QIODevice::WriteOnly))
            return -1;
    }
    kavora::AppState state;
    KVRFrmStart window(state);
    connectWizard(window);
    // The best of five openings, each of a new window: the first also
    // warms the file system's caches.
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const double seconds = secondsFor([&] {
            ShowPlaylistPicker(window);
            QApplication::processEvents();
        });
        KVRFrmGetFilename* picker = window.playlistPicker();
        if (picker == nullptr || picker->listedFiles().size() != static_cast<std::size_t>(files))
            return -1;
        delete picker;
        best = std::min(best, seconds);
    }
    return best;
}

// Notes when the report area's text has been painted.
class ReportPaintWatch final : public QObject {
    Q_DISABLE_COPY_MOVE(ReportPaintWatch)

public:
    ReportPaintWatch() { QCoreApplication::instance()->installEventFilter(this); }
    ~ReportPaintWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The text is painted on the viewport, a child of the report area.
        if (event->type() == QEvent::Paint && watched->parent() != nullptr &&
            watched->parent()->objectName() == QLatin1String("RichTextBox1"))
            painted = true;
        return false;
    }
};

// From PreviewPlaylist to the report area painted, for a playlist of these
// bytes in a window that shows no preview yet; -1 when it never paints.
double previewSeconds(const QByteArray& playlist)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QFile file(home.filePath(QStringLiteral("mix.m3u")));
    if (!file.open(QIODevice::WriteOnly) || file.write(playlist) != playlist.size())
        return -1;
    file.close();
    kavora::AppState state;
    state.OperationMode = "Create";
    state.InputPlaylistPath = "C:\\mix.m3u";
    KVRFrmStart window(state);
    connectWizard(window);
    window.show();
    QApplication::processEvents();
    ReportPaintWatch watch;
    QElapsedTimer timer;
    timer.start();
    PreviewPlaylist(window, "C:\\");
    // Each turn that sees the paint also finishes it.
    while (!watch.painted && timer.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    return watch.painted ? seconds : -1;
}

QByteArray ordinaryLines(qsizetype bytes)
{
    QByteArray lines;
    lines.reserve(bytes + 100);
    for (int i = 1; lines.size() < bytes; ++i)
        lines += QStringLiteral("C:\\Music\\Jazz\\Artist %1 - Track %2.mp3\r\n").arg(i % 500).arg(i).toUtf8();
    return lines;
}

struct CopyFigures {
    double longestStallMs = -1;
    double mbPerSecond = -1;
    double cancelMs = -1;
};

// Copies into `into`/copy-1, then once more into copy-2 with "&Cancel" after
// a quarter of a second.
CopyFigures copyFigures(const QString& into)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QByteArray playlist;
    constexpr int kFiles = 100;
    for (int i = 0; i < kFiles; ++i) {
        const QString path = home.filePath(QStringLiteral("Music/%1.mp3").arg(i));
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(1 << 20))
            return {};
        playlist += QStringLiteral("C:\\Music\\%1.mp3\r\n").arg(i).toUtf8();
    }
    QFile list(home.filePath(QStringLiteral("mix.m3u")));
    if (!list.open(QIODevice::WriteOnly) || list.write(playlist) != playlist.size())
        return {};
    list.close();

    kavora::AppState state;
    KVRFrmStart window(state);
    connectWizard(window);
    window.show();
    const auto click = [&window](const char* name) {
        auto* button = window.findChild<QPushButton*>(QLatin1String(name));
        if (button != nullptr && button->isVisible() && button->isEnabled())
            button->click();
        return button != nullptr;
    };
    const auto done = [&window] {
        return window.findChild<QPushButton*>(QStringLiteral("BtnDone"))->isVisible();
    };
    CopyFigures figures;
    for (const int run : {1, 2}) {
        state.OperationMode = "Copy";
        state.InputPlaylistPath = "C:\\mix.m3u";
        emit window.playlistPicked("C:\\");
        const QString target = (into.isEmpty() ? home.path() : into) + QStringLiteral("/copy-%1").arg(run);
        window.findChild<QLineEdit*>(QStringLiteral("tbTargetFolder"))->setText(target);
        click("BtnOK");
        QElapsedTimer sinceTurn, copying, sinceCancel;
        qint64 longest = 0;
        QTimer turns;
        QObject::connect(&turns, &QTimer::timeout, [&] { longest = std::max(longest, sinceTurn.restart()); });
        turns.start(5);
        sinceTurn.start();
        copying.start();
        click("BtnOK");
        while (!done()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            if (run == 2 && !sinceCancel.isValid() && copying.elapsed() >= 250) {
                sinceCancel.start();
                click("BtnStop");
            }
        }
        if (run == 1) {
            figures.longestStallMs = static_cast<double>(longest);
            figures.mbPerSecond = kFiles * 1.048576 / (static_cast<double>(copying.elapsed()) / 1000);
        } else if (sinceCancel.isValid()) {
            figures.cancelMs = static_cast<double>(sinceCancel.elapsed());
            figures.longestStallMs = std::max(figures.longestStallMs, static_cast<double>(longest));
        }
        click("BtnDone");
        if (into.isEmpty())
            continue;
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(target).toStdString(), ignored);
    }
    return figures;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    // An argument "report", "list", "preview" or "copy" runs only that part.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto runs = [&only](const char* part) { return only.isEmpty() || only == QLatin1String(part); };
    double report = 1, list = 1, listTwice = 1, previewLines = 1, previewLongLine = 1;
    if (runs("report")) {
        reportSeconds(1000); // warm-up: fonts and styles
        report = reportSeconds(100000);
        const double reportTwice = reportSeconds(200000);
        std::printf("report_100k_s: %.3f\n", report);
        std::printf("report_200k_s: %.3f\n", reportTwice);
        std::printf("report_scaling_2x: %.2f\n", reportTwice / report);
    }
    if (runs("list")) {
        list = listSeconds(50000);
        listTwice = listSeconds(100000);
        std::printf("list_50k_s: %.3f\n", list);
        std::printf("list_100k_s: %.3f\n", listTwice);
        std::printf("list_scaling_2x: %.2f\n", listTwice / list);
    }
    if (runs("preview")) {
        previewSeconds("C:\\Music\\A.mp3\r\n"); // warm-up: fonts and styles
        previewLines = previewSeconds(ordinaryLines(20 * 1024 * 1024));
        previewLongLine = previewSeconds(QByteArray(1024 * 1024, 'a') + ".mp3\r\n");
        std::printf("preview_20mb_s: %.3f\n", previewLines);
        std::printf("preview_1mb_line_s: %.3f\n", previewLongLine);
    }
    CopyFigures copy{0, 0, 0};
    if (runs("copy")) {
        copy = copyFigures(qEnvironmentVariable("KAVORA_BENCH_COPY_TO"));
        std::printf("copy_longest_stall_ms: %.0f\n", copy.longestStallMs);
        std::printf("copy_mb_per_s: %.1f\n", copy.mbPerSecond);
        std::printf("copy_cancel_ms: %.0f\n", copy.cancelMs);
    }
    return report > 0 && list > 0 && listTwice > 0 && previewLines > 0 && previewLongLine > 0 &&
                   copy.longestStallMs >= 0 && copy.cancelMs >= 0
               ? 0
               : 1;
}
