#include "ModalAnswerer.h"
#include "platform/qt/InstanceLock.h"
#include "platform/qt/LocalSocket.h"
#include "platform/qt/SingleInstance.h"
#include "processing/AppState.h"
#include "shell/HelpFile.h"
#include "shell/HelpMenu.h"
#include "shell/KVRFrmAbout.h"
#include "shell/Startup.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
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
    KVRFrmStart& startProgram(const std::string& playlist = {})
    {
        m_session = RunStartup(m_state, playlist);
        if (m_session == nullptr)
            throw std::runtime_error("the first start found a running copy");
        return m_session->mainWindow();
    }
    std::string hostPath(const char* relative) const { return m_home.filePath(relative).toStdString(); }
    void writeFile(const char* relative, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(m_home.filePath(relative)).path());
        QFile file(m_home.filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    // Whether the window shows a preview: "&Next" and "&Back" shown, the
    // Actions menu disabled.
    static bool inPreview(KVRFrmStart& window)
    {
        const auto* next = window.findChild<QPushButton*>(QStringLiteral("BtnOK"));
        const auto* back = window.findChild<QPushButton*>(QStringLiteral("BtnCancel"));
        return next != nullptr && next->isVisible() && back != nullptr && back->isVisible() &&
               !child<QMenu>(window, "mnuActions").menuAction()->isEnabled();
    }
    static bool isDone(KVRFrmStart& window)
    {
        const auto* done = window.findChild<QPushButton*>(QStringLiteral("BtnDone"));
        return done != nullptr && done->isVisible() && !child<QPushButton>(window, "BtnOK").isVisible();
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
// exactly while the box is open, refusing to be closed meanwhile (and any
// playlist handed over), and every opening shows the same lines.
TEST_F(ShellTest, AboutBoxShowsTheSameLinesAtEveryOpeningAndDisablesTheMainWindowWhileOpen)
{
    writeFile("Lists/mix.m3u", "A.mp3\n");
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
        m_session->openPlaylist(hostPath("Lists/mix.m3u"));
        EXPECT_FALSE(inPreview(window));
        EXPECT_EQ(window.statusText(), kPlaylistNotOpened);
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

// "kavora PLAYLIST": the window starts in the preview of that playlist, in
// Create or Remove as its type says; one that cannot be read is the
// preview's message, and the window goes on from there.
TEST_F(ShellTest, AFirstStartWithAPlaylistShowsItsPreview)
{
    writeFile("Lists/mix.m3u", "../Music/A.mp3\n");
    writeFile("Lists/MIX.KVR", "C:\\Music\\001 A.mp3\r\n");
    const struct {
        std::string playlist, mode, input, report;
    } starts[] = {
        {hostPath("Lists/mix.m3u"), "Create", "C:\\Lists\\mix.m3u", "../Music/A.mp3"},
        {"C:\\Lists\\MIX.KVR", "Remove", "C:\\Lists\\MIX.KVR", "C:\\Music\\001 A.mp3"},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(start.playlist);
        KVRFrmStart& window = startProgram(start.playlist);
        EXPECT_TRUE(QTest::qWaitFor([&] { return inPreview(window); }, 5000));
        EXPECT_EQ(m_state.OperationMode, start.mode);
        EXPECT_EQ(m_state.InputPlaylistPath, start.input);
        EXPECT_EQ(m_state.PlaylistDirectory, "C:\\Lists");
        EXPECT_EQ(window.reportText(), start.report);
        EXPECT_EQ(window.statusText(), "Ready");
        m_session.reset(); // the next start is a first one again
    }

    ModalAnswerer answers;
    answers.then(press("OK"));
    KVRFrmStart& window = startProgram(hostPath("Lists/gone.m3u"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.seen.size() == 1; }, 5000));
    EXPECT_TRUE(answers.seen[0].starts_with("KVR|The playlist C:\\Lists\\gone.m3u cannot be shown"))
        << answers.seen[0];
    EXPECT_TRUE(inPreview(window));
    QTest::mouseClick(&child<QPushButton>(window, "BtnCancel"), Qt::LeftButton);
    KVRFrmGetFilename& picker = made(window.playlistPicker(), "selection window");
    EXPECT_TRUE(picker.isVisible());
    QTest::mouseClick(&child<QPushButton>(picker, "BtnCancel"), Qt::LeftButton);
    EXPECT_TRUE(child<QMenu>(window, "mnuActions").menuAction()->isEnabled());
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
    explicit Program(const QStringList& arguments = {}, const QString& workingDirectory = {})
    {
        process.setEnvironment(QProcess::systemEnvironment() << "QT_LOGGING_RULES=kavora.startup.debug=true");
        process.setWorkingDirectory(workingDirectory);
        process.start(QStringLiteral(KAVORA_PROGRAM), arguments);
    }
    // A second start: it must end by itself with status 0, without a window.
    bool endedAsSecondStart()
    {
        return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0 && logged("running copy brought forward") &&
               !log.contains("main window shown");
    }
    // Waits for the text in stderr, up to 15 s or until the process ends.
    bool logged(const QByteArray& text)
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

// This test's process is the running copy, the second start a real one. Sent
// while the processing-error dialog waits, a playlist is refused there; sent
// after the last answer, while the job still runs without an event loop, it
// waits unread and is refused when the job ends. Either way the report stays
// until "&Done"; the done state then takes the next one.
TEST_F(ShellTest, APlaylistHandedOverDuringAJobIsRefusedAndTheReportStays)
{
    writeFile("Lists/mix.m3u", "Gone.mp3\nAlsoGone.mp3\n");
    writeFile("Lists/other.m3u", "Other.mp3\n");
    KVRFrmStart& window = startProgram(hostPath("Lists/mix.m3u"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return inPreview(window); }, 5000));
    const QString home = m_home.path();
    ModalAnswerer answers;
    answers
        .then([&](QWidget* dialog) {
            Program second({"Lists/other.m3u"}, home);
            EXPECT_TRUE(second.endedAsSecondStart()) << second.log.constData();
            EXPECT_TRUE(QTest::qWaitFor([&] { return window.statusText() == kPlaylistNotOpened; }, 5000));
            press("&Skip File")(dialog);
        })
        .then([&](QWidget* dialog) {
            press("&Ignore Errors")(dialog);
            Program third({"Lists/other.m3u"}, home);
            EXPECT_TRUE(third.endedAsSecondStart()) << third.log.constData();
        });
    QTest::mouseClick(&child<QPushButton>(window, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(answers.seen.size(), 2u);
    QTest::qWait(200); // a request that slipped past would act now
    EXPECT_TRUE(isDone(window));
    EXPECT_EQ(window.statusText(), kPlaylistNotOpened);
    EXPECT_EQ(m_state.InputPlaylistPath, "C:\\Lists\\mix.m3u");
    EXPECT_NE(window.reportText().find("Error - File not found - AlsoGone.mp3"), std::string::npos)
        << window.reportText();

    Program fourth({"Lists/other.m3u"}, home);
    EXPECT_TRUE(fourth.endedAsSecondStart()) << fourth.log.constData();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_state.InputPlaylistPath == "C:\\Lists\\other.m3u"; }, 5000));
    EXPECT_TRUE(inPreview(window));
    EXPECT_EQ(window.reportText(), "Other.mp3");
    EXPECT_EQ(window.statusText(), "Ready");
}

// A second start with a playlist, relative to where it was started or a
// Windows path, hands it to the first, which shows its preview: from the idle
// state, then from the preview.
TEST_F(ShellTest, ASecondStartWithAPlaylistMakesTheFirstShowItsPreview)
{
    writeFile("Lists/mix.m3u", "A.mp3\n");
    writeFile("Lists/mix.kvr", "001 A.mp3\r\n");
    Program first;
    ASSERT_TRUE(first.logged("main window shown")) << first.log.constData();
    Program second({"mix.kvr"}, m_home.filePath("Lists"));
    EXPECT_TRUE(second.endedAsSecondStart()) << second.log.constData();
    EXPECT_TRUE(first.logged("playlist shown: Remove C:\\Lists\\mix.kvr in C:\\Lists"))
        << first.log.constData();
    Program third({"C:\\Lists\\mix.m3u"});
    EXPECT_TRUE(third.endedAsSecondStart()) << third.log.constData();
    EXPECT_TRUE(first.logged("playlist shown: Create C:\\Lists\\mix.m3u in C:\\Lists"))
        << first.log.constData();
    EXPECT_EQ(first.log.count("restore and foreground requested"), 2);
    EXPECT_EQ(first.process.state(), QProcess::Running);
}

// The first copy started with a playlist it cannot read: its message box
// waits. A second start only brings it forward; the playlist is not opened.
TEST_F(ShellTest, ASecondStartFindsTheFirstWithADialogOpenAndOnlyBringsItForward)
{
    writeFile("Lists/mix.m3u", "A.mp3\n");
    Program first({"Lists/gone.m3u"}, m_home.path());
    ASSERT_TRUE(first.logged("opening playlist: " + QFile::encodeName(m_home.filePath("Lists/gone.m3u"))))
        << first.log.constData();
    Program second({"Lists/mix.m3u"}, m_home.path());
    EXPECT_TRUE(second.endedAsSecondStart()) << second.log.constData();
    EXPECT_TRUE(first.logged("playlist not opened, the window is busy: " +
                             QFile::encodeName(m_home.filePath("Lists/mix.m3u"))))
        << first.log.constData();
    EXPECT_TRUE(first.logged("restore and foreground requested"));
    EXPECT_FALSE(first.log.contains("playlist shown")) << first.log.constData();
    EXPECT_EQ(first.process.state(), QProcess::Running);
}

// Whatever is not a well-formed request is dropped: the first copy neither
// comes forward nor opens anything, and still takes the requests that follow.
TEST_F(ShellTest, MalformedRequestsOnTheSocketChangeNothing)
{
    writeFile("Lists/mix.m3u", "A.mp3\n");
    Program first;
    ASSERT_TRUE(first.logged("main window shown")) << first.log.constData();
    const std::string path = hostPath("Lists/mix.m3u");
    const auto header = [](char kind, std::uint32_t length) {
        return std::string{kind, static_cast<char>(length >> 24), static_cast<char>(length >> 16),
                           static_cast<char>(length >> 8), static_cast<char>(length)};
    };
    const auto size = [](const std::string& bytes) { return static_cast<std::uint32_t>(bytes.size()); };
    const std::pair<const char*, std::string> malformed[] = {
        {"bad kind", header('\x07', size(path)) + path},
        {"bad length", header('\x01', 1) + "x"},
        {"length larger than the bytes", header('\x02', size(path) + 1) + path},
        {"NUL in the path", header('\x02', size(path) + 2) + path + std::string("\0x", 2)},
        {"oversized", header('\x02', 40000) + std::string(40000, 'a')},
        {"the old request line", "restore-and-foreground\n"},
    };
    const std::string socket =
        QFile::encodeName(platform::instanceSocketPath(kMainWindowCaption)).toStdString();
    for (const auto& [what, message] : malformed)
        EXPECT_TRUE(platform::sendToLocalListener(socket, message, 2000)) << what;
    // Taken in the order sent: when this one has acted, the others were read.
    EXPECT_TRUE(platform::sendToLocalListener(socket, platform::encodeRequest({}), 2000));
    EXPECT_TRUE(first.logged("restore and foreground requested")) << first.log.constData();
    EXPECT_EQ(first.log.count("restore and foreground requested"), 1) << first.log.constData();
    EXPECT_FALSE(first.log.contains("playlist")) << first.log.constData();

    EXPECT_TRUE(platform::sendToLocalListener(
        socket, platform::encodeRequest({platform::InstanceRequest::Kind::OpenPlaylist, path}), 2000));
    EXPECT_TRUE(first.logged("playlist shown: Create C:\\Lists\\mix.m3u in C:\\Lists"))
        << first.log.constData();
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
