// Start-up time of the program, from process start to its main window shown
// (offscreen), against a minimal Qt program showing an empty window. Both are
// started alternately in the same run; the medians are compared.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRepetitions = 21;
constexpr int kTimeoutMs = 30000;

// Milliseconds until the program reports its window shown, or -1.
double timeToWindowShown(const QString& program, const QStringList& arguments = {})
{
    // A fresh runtime directory each time: no copy of the program is running
    // and no socket is left from the previous repetition.
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("run"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kavora.startup.debug=true"));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setReadChannel(QProcess::StandardError);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    QByteArray log;
    double elapsed = -1;
    while (timer.elapsed() < kTimeoutMs && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(10);
        log += process.readAllStandardError();
        if (log.contains("main window shown")) {
            elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            break;
        }
    }
    process.kill();
    process.waitForFinished(kTimeoutMs);
    return elapsed;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QString program = QStringLiteral(KAVORA_PROGRAM);
    const QString minimal = QStringLiteral(MINIMAL_WINDOW_PROGRAM);

    // One start of each first, so that neither pays for a cold disk cache.
    timeToWindowShown(minimal);
    timeToWindowShown(program);

    std::vector<double> minimalTimes;
    std::vector<double> textTimes;
    std::vector<double> programTimes;
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
        const double minimalTime = timeToWindowShown(minimal);
        const double textTime = timeToWindowShown(minimal, {QStringLiteral("--text")});
        const double programTime = timeToWindowShown(program);
        if (minimalTime < 0 || textTime < 0 || programTime < 0) {
            std::fprintf(stderr, "a program did not show its window within %d ms\n", kTimeoutMs);
            return 1;
        }
        minimalTimes.push_back(minimalTime);
        textTimes.push_back(textTime);
        programTimes.push_back(programTime);
    }
    const double minimalMedian = median(minimalTimes);
    const double textMedian = median(textTimes);
    const double programMedian = median(programTimes);
    std::printf("minimal_window_ms: %.1f\n", minimalMedian);
    std::printf("minimal_text_window_ms: %.1f\n", textMedian);
    std::printf("startup_ms: %.1f\n", programMedian);
    std::printf("startup_vs_minimal: %.2f\n", programMedian / minimalMedian);
    std::printf("startup_vs_minimal_text: %.2f\n", programMedian / textMedian);
    return 0;
}
