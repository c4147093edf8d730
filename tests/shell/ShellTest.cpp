#include "platform/qt/InstanceLock.h"
#include "platform/qt/SingleInstance.h"
#include "processing/AppState.h"
#include "shell/HelpFile.h"
#include "shell/HelpMenu.h"
#include "shell/KVRFrmAbout.h"
#include "shell/Startup.h"
#include "wizard/KVRFrmStart.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWindow>

#include <csignal>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace kavora::shell {
namespace {

// A window or control the code should have made; a missing one fails the test
// (GoogleTest reports the throw).
template <typename T> T& made(T* object, const char* name)
{
    if (object == nullptr)
        throw std::runtime_error(std::string("missing: ") + name);
    return *object;
}
template <typename T> T& child(QObject& parent, const char* name)
{
    return made(parent.findChild<T*>(QLatin1String(name)), name);
}

// A fresh HOME and runtime directory per test, so that no test sees another's
// single-instance socket or help file; no window may be left open.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(m_home.filePath("run")));
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_home.filePath("run")));
    }
    void TearDown() override
    {
        m_session.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->objectName().toStdString();
            delete widget;
        }
    }
    KVRFrmStart& startProgram()
    {
        m_session = RunStartup(m_state);
        if (m_session == nullptr)
            throw std::runtime_error("the first start found a running copy");
        return m_session->mainWindow();
    }

    QTemporaryDir m_home;
    AppState m_state;
    std::unique_ptr<ProgramSession> m_session;
};

// The name is plain concatenation, so at a drive root it carries two
// backslashes, and mapping it back to the host must still find the file.
TEST(HelpFileName, FormsTheWindowsNameAndMapsItBack)
{
    const struct {
        const char *host, *directory, *name, *hostFile;
    } cases[] = {
        {"/usr/bin/", "Z:\\usr\\bin", "Z:\\usr\\bin\\KVR.HLP", "/usr/bin/KVR.HLP"},
        {"/", "Z:\\", "Z:\\\\KVR.HLP", "/KVR.HLP"},
        {"/opt/My k\xe9", "Z:\\opt\\My k\xe9", "Z:\\opt\\My k\xe9\\KVR.HLP", "/opt/My k\xe9/KVR.HLP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(windowsProgramDirectory(c.host), c.directory);
        EXPECT_EQ(HelpFileName(c.directory), c.name);
        EXPECT_EQ(hostPathOf(c.name), c.hostFile);
    }
    for (const char* notOnTheHost : {"C:\\KVR.HLP", "KVR.HLP", ""})
        EXPECT_EQ(hostPathOf(notOnTheHost), "") << notOnTheHost;
}

// Each item opens its topic in one reused viewer, whatever came before; a
// missing file is the viewer's message until the file is there.
TEST_F(ShellTest, EachHelpItemOpensItsTopicAndAMissingFileIsAMessage)
{
    const QString helpFile = m_home.filePath("KVR.HLP");
    HelpMenu menu(windowsProgramDirectory(QFile::encodeName(m_home.path()).toStdString()));
    const struct {
        void (HelpMenu::*click)();
        const char* topic;
    } items[] = {{&HelpMenu::mnuContentsClick, "contents"},
                 {&HelpMenu::mnuLicenseClick, "context-2"},
                 {&HelpMenu::mnuSupportClick, "context-3"}};
    for (const auto& item : items) {
        (menu.*item.click)();
        const QString shown = made(menu.commonDialog().viewer(), "viewer").browser()->toPlainText();
        EXPECT_TRUE(shown.contains("cannot be read") && shown.contains(helpFile)) << shown.toStdString();
    }
    // Topics longer than the viewer, so that each one can stand at its top.
    QByteArray html;
    for (const auto& item : items)
        html += QByteArray("<a name=\"") + item.topic + "\"></a><h1>" + item.topic + "</h1>" +
                QByteArray("<p>-</p>").repeated(120);
    QFile file(helpFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(html) == html.size() && file.flush());
    int step = 0;
    for (const int item : {1, 0, 2, 0, 1, 1, 2, 2, 0, 1}) {
        SCOPED_TRACE(testing::Message() << items[item].topic << " at step " << ++step);
        (menu.*items[item].click)();
        KVRHelpViewer& viewer = made(menu.commonDialog().viewer(), "viewer");
        EXPECT_TRUE(viewer.isVisible());
        EXPECT_EQ(viewer.browser()->cursorForPosition(QPoint(4, 4)).block().text(), items[item].topic);
        EXPECT_EQ(QApplication::topLevelWidgets().size(), 1) << "one viewer, reused";
        if (step % 2 == 0)
            viewer.close(); // a closed viewer comes back at the next request
    }
}

TEST_F(ShellTest, StartsIdleWithPrintGreyedAndASecondStartOnlyRestoresTheFirst)
{
    KVRFrmStart& window = startProgram();
    EXPECT_TRUE(window.isVisible() && window.isEnabled());
    EXPECT_EQ(window.statusText(), "Ready");
    EXPECT_FALSE(child<QAction>(window, "mnuPrint").isEnabled());
    for (const char* item : {"mnuExit", "mnuCreate", "mnuRemove", "mnuContents", "mnuLicense", "mnuAbout"})
        EXPECT_TRUE(child<QAction>(window, item).isEnabled()) << item;
    for (const char* control : {"RichTextBox1", "Label1", "BtnOK", "BtnCancel", "BtnDone", "ProgressBar1"}) {
        const QWidget* shown = window.findChild<QWidget*>(QLatin1String(control));
        EXPECT_TRUE(shown == nullptr || !shown->isVisible()) << control;
    }

    // The title is claimed for this user only.
    const QFileInfo socket(platform::instanceSocketPath(kMainWindowCaption));
    EXPECT_TRUE(socket.exists());
    EXPECT_FALSE(socket.permissions() &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
    EXPECT_NE(platform::instanceSocketPath(kMainWindowCaption, "/run", 7),
              platform::instanceSocketPath(kMainWindowCaption, "/run", 8));

    // A second start ends without a window of its own and restores the first.
    window.showMinimized();
    AppState secondState;
    EXPECT_EQ(RunStartup(secondState), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isMinimized(); }, 5000));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window, 5000));
}

TEST_F(ShellTest, F1AndTheHelpMenuOpenTheirTopicsAndTheViewerOutlivesTheAboutBox)
{
    KVRFrmStart& window = startProgram();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 5000));
    const CommonDialog& dialog = m_session->helpMenu().commonDialog();
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_EQ(dialog.HelpCommand, kHelpFinder);
    for (const auto& [item, context] : {std::pair("mnuLicense", 2), std::pair("mnuSupport", 3)}) {
        child<QAction>(window, item).trigger();
        EXPECT_EQ(std::pair(dialog.HelpCommand, dialog.HelpContext), std::pair(kHelpContext, context))
            << item;
    }
    child<QAction>(window, "mnuContents").trigger();
    EXPECT_EQ(dialog.HelpCommand, kHelpFinder);
    child<QAction>(window, "mnuAbout").trigger();
    KVRHelpViewer& viewer = made(dialog.viewer(), "viewer");
    EXPECT_TRUE(viewer.isVisible() && viewer.isEnabled());
    made(m_session->aboutBox(), "about box").BtnOKClick();
    viewer.close();
}

// Left by "&OK" or by the close box, twice each: the main window is disabled
// exactly while the box is open, refusing to be closed meanwhile, and every
// opening shows the same lines.
TEST_F(ShellTest, AboutBoxShowsTheSameLinesAtEveryOpeningAndDisablesTheMainWindowWhileOpen)
{
    KVRFrmStart& window = startProgram();
    const QRegularExpression lines(
        "^Version 1\\.0\nBuilt \\d{4}-\\d{2}-\\d{2}\nCopyright \u00a9 2026 Kavora developers$");
    QString firstLines;
    for (const bool byCloseBox : {false, true, false, true}) {
        SCOPED_TRACE(byCloseBox ? "close box" : "OK");
        child<QAction>(window, "mnuAbout").trigger();
        KVRFrmAbout& box = made(m_session->aboutBox(), "about box");
        const QPointer<KVRFrmAbout> watch(&box);
        EXPECT_FALSE(window.isEnabled());
        EXPECT_FALSE(window.windowHandle()->close()) << "the close box of the disabled main window";
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(box.isVisible() && box.isEnabled());
        EXPECT_EQ(child<QLabel>(box, "Label1").text(), "Kavora v1.0");
        EXPECT_FALSE(child<QLabel>(box, "Picture1").pixmap().isNull());
        const QString shown = child<QLabel>(box, "Label2").text();
        EXPECT_TRUE(lines.match(shown).hasMatch()) << shown.toStdString();
        EXPECT_EQ(shown, firstLines.isEmpty() ? (firstLines = shown) : firstLines);
        if (byCloseBox)
            box.close();
        else
            QTest::mouseClick(&child<QPushButton>(box, "BtnOK"), Qt::LeftButton);
        EXPECT_TRUE(window.isEnabled());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(watch.isNull()) << "the box is unloaded when left";
    }
    EXPECT_TRUE(window.windowHandle()->close());
    EXPECT_FALSE(window.isVisible());
}

// Two copies started at the same moment: the second one's lookup is held back
// until the first has claimed the title, and then finds it promptly. A holder
// that dies (here between lookup and claim) frees the lock at once.
TEST_F(ShellTest, SimultaneousStartsAreSerializedAndADeadHolderBlocksNobody)
{
    const QString path = platform::instanceSocketPath(kMainWindowCaption);
    platform::SingleInstance first(path);
    platform::SingleInstance second(path);
    EXPECT_FALSE(first.findRunningCopy());
    QElapsedTimer held;
    held.start();
    EXPECT_FALSE(second.findRunningCopy({}, 200));
    EXPECT_GE(held.elapsed(), 200) << "the second lookup did not wait for the first claim";
    ASSERT_TRUE(first.claim());
    // Promptly: a claim that kept the lock would hold the lookup to its timeout.
    QElapsedTimer found;
    found.start();
    EXPECT_TRUE(second.findRunningCopy({}, 2000));
    EXPECT_LT(found.elapsed(), 500) << "the first copy still held the lock after claiming";

    const std::string lockPath = QFile::encodeName(path + ".dead").toStdString();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        platform::InstanceLock lock(lockPath);
        const char locked = lock.tryLock(0) ? 'y' : 'n';
        (void)::write(ready[1], &locked, 1);
        ::pause();
        ::_exit(0);
    }
    char locked = 0;
    ASSERT_EQ(::read(ready[0], &locked, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    platform::InstanceLock lock(lockPath);
    EXPECT_EQ(locked, 'y');
    EXPECT_FALSE(lock.tryLock(0));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(lock.tryLock(0));
}

// The built program with its start-up log on, in the test's HOME and runtime
// directory; QProcess kills it (SIGKILL) when it goes out of scope.
struct Program {
    QProcess process;
    QByteArray log;
    Program()
    {
        process.setEnvironment(QProcess::systemEnvironment() << "QT_LOGGING_RULES=kavora.startup.debug=true");
        process.start(QStringLiteral(KAVORA_PROGRAM), {});
    }
    // Waits for the text in stderr, up to 15 s or until the process ends.
    bool logged(const char* text)
    {
        QElapsedTimer timer;
        timer.start();
        while (!(log += process.readAllStandardError()).contains(text) && timer.elapsed() < 15000 &&
               process.state() != QProcess::NotRunning)
            process.waitForReadyRead(100);
        return (log += process.readAllStandardError()).contains(text);
    }
};

// A copy that was killed leaves its socket behind, which does not block the
// next start; a second start then ends at once with status 0, without a window,
// and brings the first forward.
TEST_F(ShellTest, TwoRealProcessesAndAStaleSocket)
{
    {
        Program crashed;
        ASSERT_TRUE(crashed.logged("main window shown")) << crashed.log.constData();
    }
    ASSERT_TRUE(QFileInfo::exists(platform::instanceSocketPath(kMainWindowCaption)));
    Program first;
    ASSERT_TRUE(first.logged("main window shown")) << first.log.constData();
    Program second;
    ASSERT_TRUE(second.process.waitForFinished(15000));
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_TRUE(second.logged("running copy brought forward")) << second.log.constData();
    EXPECT_FALSE(second.logged("main window shown"));
    EXPECT_TRUE(first.logged("restore and foreground requested")) << first.log.constData();
    EXPECT_EQ(first.process.state(), QProcess::Running);
}

} // namespace
} // namespace kavora::shell

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery at build time lists the tests without any display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
