// Prints "name: value" lines: the time for the report area to take 100,000
// report lines and for the selection window to open on a folder of 50,000
// playlists, each with the ratio of twice the work to the work.
#include "processing/AppState.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
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

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    // An argument "report" or "list" runs only that half.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    double report = 1, list = 1, listTwice = 1;
    if (only != QLatin1String("list")) {
        reportSeconds(1000); // warm-up: fonts and styles
        report = reportSeconds(100000);
        const double reportTwice = reportSeconds(200000);
        std::printf("report_100k_s: %.3f\n", report);
        std::printf("report_200k_s: %.3f\n", reportTwice);
        std::printf("report_scaling_2x: %.2f\n", reportTwice / report);
    }
    if (only != QLatin1String("report")) {

        list = listSeconds(50000);
        listTwice = listSeconds(100000);
        std::printf("list_50k_s: %.3f\n", list);
        std::printf("list_100k_s: %.3f\n", listTwice);
        std::printf("list_scaling_2x: %.2f\n", listTwice / list);
    }
    return report > 0 && list > 0 && listTwice > 0 ? 0 : 1;
}
