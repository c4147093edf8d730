#include "ShellTestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

namespace kavora::shell {
namespace {

// Starts the built program with its own HOME and runtime directory and with
// the start-up log switched on, and collects what it writes to stderr.
class ProgramProcess final {
public:
    explicit ProgramProcess(const QString& home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        environment.insert("XDG_RUNTIME_DIR", QDir(home).filePath("run"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QT_LOGGING_RULES", "kavora.startup.debug=true");
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
    }

    ~ProgramProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    void start() { m_process.start(QStringLiteral(KAVORA_PROGRAM), {"--ignored-argument"}); }

    // Waits until stderr holds the text; false on timeout or when the process ended.
    bool waitForLog(const QString& text, int timeoutMs = 15000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!log().contains(text)) {
            if (timer.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return log().contains(text);
            m_process.waitForReadyRead(100);
        }
        return true;
    }

    QString log()
    {
        m_stderr += m_process.readAllStandardError();
        return QString::fromLocal8Bit(m_stderr);
    }

    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_stderr;
};

using TwoProcessTest = test::ShellGuiTest;

TEST_F(TwoProcessTest, SecondStartEndsAtOnceAndTheFirstComesForward)
{
    ProgramProcess first(homeDirectory());
    first.start();
    ASSERT_TRUE(first.waitForLog("main window shown")) << first.log().toStdString();

    ProgramProcess second(homeDirectory());
    second.start();
    ASSERT_TRUE(second.process().waitForFinished(15000));
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0);
    const QString secondLog = second.log();
    EXPECT_TRUE(secondLog.contains("running copy brought forward")) << secondLog.toStdString();
    EXPECT_FALSE(secondLog.contains("main window shown")) << secondLog.toStdString();

    EXPECT_TRUE(first.waitForLog("restore and foreground requested; minimized: false"))
        << first.log().toStdString();
    EXPECT_EQ(first.process().state(), QProcess::Running);
}

TEST_F(TwoProcessTest, CopyThatCrashedDoesNotBlockTheNextStart)
{
    ProgramProcess crashed(homeDirectory());
    crashed.start();
    ASSERT_TRUE(crashed.waitForLog("main window shown")) << crashed.log().toStdString();
    crashed.process().kill(); // SIGKILL: the socket file stays behind
    ASSERT_TRUE(crashed.process().waitForFinished(5000));
    ASSERT_FALSE(QDir(runtimeDirectory()).entryList({"kavora-*"}, QDir::System).isEmpty())
        << "the killed copy should have left its socket";

    ProgramProcess next(homeDirectory());
    next.start();
    EXPECT_TRUE(next.waitForLog("main window shown")) << next.log().toStdString();
    EXPECT_EQ(next.process().state(), QProcess::Running);

    // And the new copy is the one a further start finds.
    ProgramProcess further(homeDirectory());
    further.start();
    ASSERT_TRUE(further.process().waitForFinished(15000));
    EXPECT_EQ(further.process().exitCode(), 0);
    EXPECT_TRUE(next.waitForLog("restore and foreground requested")) << next.log().toStdString();
}

} // namespace
} // namespace kavora::shell
