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

using namespace std::string_literals;

// A window or control the code should have made; a missing one fails the test
// (GoogleTest reports the throw).
template <typename T> T& made(T* object, const char* name)
{
    if (object == nullptr)
        throw std::runtime_error("missing: "s + name);
    return *object;
}
template <typename T> T& child(QObject& parent, const char* name)
{
    return made(parent.findChild<T*>(QLatin1String(name)), name);
}
bool shown(QObject& parent, const char* name)
{
    const auto* widget = parent.findChild<QWidget*>(QLatin1String(name));
    return widget != nullptr && widget->isVisible();
}
// A preview: "&Next" and "&Back" shown, the Actions menu disabled.
bool inPreview(KVRFrmStart& window)
{
    return shown(window, "BtnOK") && shown(window, "BtnCancel") &&
           !child<QMenu>(window, "mnuActions").menuAction()->isEnabled();
}

// What this process logged; when it is the running copy, its start-up lines
// say what it did with each request.
QByteArray programLog;
const QtMessageHandler printMessage =
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        programLog += message.toUtf8() + '\n';
        printMessage(type, context, message);
    });
bool logged(const char* text)
{
    return QTest::qWaitFor([&] { return programLog.contains(text); }, 5000);
}

// A real second start: it must end by itself with status 0, without a window.
// Blocking, so that this process reads no request meanwhile.
void secondStart(const QStringList& arguments, const QString& workingDirectory = {})
{
    QProcess second;
    second.setWorkingDirectory(workingDirectory);
    second.start(QStringLiteral(KAVORA_PROGRAM), arguments);
    const bool ended = second.waitForFinished(15000);
    const QByteArray log = second.readAllStandardError();
    EXPECT_TRUE(ended && second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0 &&
                log.contains("running copy brought forward") && !log.contains("main window shown"))
        << log.constData();
}

// A fresh HOME and runtime directory per test, so that no test sees another's
// single-instance socket or help file; no window may be left open.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(m_home.filePath("run")) && QDir().mkpath(m_home.filePath("Lists")));
        QFile::setPermissions(m_home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_home.filePath("run")));
        programLog.clear();
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
        return made(m_session.get(), "the first start's window (it found a running copy)").mainWindow();
    }
    std::string hostPath(const char* relative) const { return m_home.filePath(relative).toStdString(); }
    void writeFile(const char* relative, const QByteArray& bytes) const
    {
        QFile file(m_home.filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
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
    HelpMenu menu(windowsProgramDirectory(QFile::encodeName(m_home.path()).toStdString()));
    const std::pair<void (HelpMenu::*)(), const char*> items[] = {{&HelpMenu::mnuContentsClick, "contents"},
                                                                  {&HelpMenu::mnuLicenseClick, "context-2"},
                                                                  {&HelpMenu::mnuSupportClick, "context-3"}};
    QByteArray html; // topics longer than the viewer, so that each one can stand at its top
    for (const auto& [click, topic] : items) {
        (menu.*click)();
        const QString message = made(menu.commonDialog().viewer(), "viewer").browser()->toPlainText();
        EXPECT_TRUE(message.contains("cannot be read") && message.contains(m_home.filePath("KVR.HLP")))
            << message.toStdString();
        html += QByteArray("<a name=\"") + topic + "\"></a><h1>" + topic + "</h1>" +
                QByteArray("<p>-</p>").repeated(120);
    }
    writeFile("KVR.HLP", html);
    int step = 0;
    for (const int item : {1, 0, 2, 0, 1, 1, 2, 2, 0, 1}) {
        const auto& [click, topic] = items[item];
        SCOPED_TRACE(testing::Message() << topic << " at step " << ++step);
        (menu.*click)();
        KVRHelpViewer& viewer = made(menu.commonDialog().viewer(), "viewer");
        EXPECT_TRUE(viewer.isVisible());
        EXPECT_EQ(viewer.browser()->cursorForPosition(QPoint(4, 4)).block().text(), topic);
        EXPECT_EQ(QApplication::topLevelWidgets().size(), 1) << "one viewer, reused";
        if (step % 2 == 0)
            viewer.close(); // a closed viewer comes back at the next request
    }
}

// The program starts idle with Print greyed; F1 and the Help menu open their
// topics in a viewer that stays usable beside the about box. The about box,
// left by "&OK" or by its close box, shows the same lines at every opening;
// the main window is disabled exactly while it is open, refusing close
// requests and playlists handed over meanwhile.
TEST_F(ShellTest, TheIdleWindowItsHelpAndItsAboutBox)
{
    writeFile("Lists/mix.m3u", "A.mp3\n");
    KVRFrmStart& window = startProgram();
    EXPECT_TRUE(window.isVisible() && window.isEnabled());
    EXPECT_EQ(window.statusText(), "Ready");
    EXPECT_FALSE(child<QAction>(window, "mnuPrint").isEnabled());
    for (const char* item : {"mnuExit", "mnuCreate", "mnuRemove", "mnuContents", "mnuLicense", "mnuAbout"})
        EXPECT_TRUE(child<QAction>(window, item).isEnabled()) << item;
    for (const char* control : {"RichTextBox1", "Label1", "BtnOK", "BtnCancel", "BtnDone", "ProgressBar1"})
        EXPECT_FALSE(shown(window, control)) << control;
    // The title is claimed for this user only.
    const QFileInfo socket(platform::instanceSocketPath(kMainWindowCaption));
    EXPECT_TRUE(socket.exists());
    EXPECT_FALSE(socket.permissions() &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
    EXPECT_NE(platform::instanceSocketPath(kMainWindowCaption, "/run", 7),
              platform::instanceSocketPath(kMainWindowCaption, "/run", 8));

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
    KVRHelpViewer& viewer = made(dialog.viewer(), "viewer");

    const QRegularExpression lines("^Kavora v1\\.0\nVersion 1\\.0\nBuilt \\d{4}-\\d{2}-\\d{2}\n"
                                   "Copyright \u00a9 2026 Kavora developers$");
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
        EXPECT_EQ(window.statusText(), "The playlist was not opened because the about box is open.");
        EXPECT_TRUE(box.isVisible() && box.isEnabled() && viewer.isVisible() && viewer.isEnabled());
        EXPECT_FALSE(child<QLabel>(box, "Picture1").pixmap().isNull());
        EXPECT_EQ(unnamedControls(&box) + unnamedControls(&viewer), "");
        const QString shownLines =
            child<QLabel>(box, "Label1").text() + u'\n' + child<QLabel>(box, "Label2").text();
        EXPECT_EQ(shownLines, firstLines.isEmpty() ? (firstLines = shownLines) : firstLines);
        if (byCloseBox)
            box.close();
        else
            QTest::mouseClick(&child<QPushButton>(box, "BtnOK"), Qt::LeftButton);
        EXPECT_TRUE(window.isEnabled());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(watch.isNull()) << "the box is unloaded when left";
    }
    EXPECT_TRUE(lines.match(firstLines).hasMatch()) << firstLines.toStdString();
    viewer.close();
    EXPECT_TRUE(window.windowHandle()->close());
    EXPECT_FALSE(window.isVisible());
}

// "kavora PLAYLIST": the window starts in the preview of that playlist, in
// Create or Remove as its type says; one that cannot be read is the
// preview's message, and the window goes on from there. Playlists handed
// over meanwhile are refused, the status bar says why.
TEST_F(ShellTest, AFirstStartWithAPlaylistShowsItsPreview)
{
    writeFile("Lists/mix.m3u", "../Music/A.mp3\n");
    writeFile("Lists/MIX.KVR", "C:\\Music\\001 A.mp3\r\n");
    const std::pair<std::string, const char*> starts[] = {
        {hostPath("Lists/mix.m3u"), "playlist shown: Create C:\\Lists\\mix.m3u in C:\\Lists"},
        {"C:\\Lists\\MIX.KVR", "playlist shown: Remove C:\\Lists\\MIX.KVR in C:\\Lists"},
    };
    for (const auto& [playlist, shownLine] : starts) {
        SCOPED_TRACE(playlist);
        KVRFrmStart& window = startProgram(playlist);
        EXPECT_TRUE(logged(shownLine) && inPreview(window)) << programLog.constData();
        m_session.reset(); // the next start is a first one again
    }

    ModalAnswerer answers;
    answers.then([this](QWidget* message) {
        m_session->openPlaylist(hostPath("Lists/mix.m3u"));
        EXPECT_EQ(m_session->mainWindow().statusText(),
                  "The playlist was not opened because a dialog is open.");
        press("OK")(message);
    });
    KVRFrmStart& window = startProgram(hostPath("Lists/gone.m3u"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.seen.size() == 1; }, 5000));
    EXPECT_TRUE(answers.seen[0].starts_with("KVR|The playlist C:\\Lists\\gone.m3u cannot be shown"))
        << answers.seen[0];
    EXPECT_TRUE(inPreview(window));
    QTest::mouseClick(&child<QPushButton>(window, "BtnCancel"), Qt::LeftButton);
    KVRFrmGetFilename& picker = made(window.playlistPicker(), "selection window");
    EXPECT_TRUE(picker.isVisible());
    m_session->openPlaylist(hostPath("Lists/mix.m3u"));
    EXPECT_EQ(window.statusText(), "The playlist was not opened because the selection window is open.");
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
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(second.findRunningCopy({}, 200));
    EXPECT_GE(timer.elapsed(), 200) << "the second lookup did not wait for the first claim";
    ASSERT_TRUE(first.claim());
    // Promptly: a claim that kept the lock would hold the lookup to its timeout.
    timer.restart();
    EXPECT_TRUE(second.findRunningCopy({}, 2000));
    EXPECT_LT(timer.elapsed(), 500) << "the first copy still held the lock after claiming";

    platform::InstanceLock lock(QFile::encodeName(path + ".dead").toStdString());
    const pid_t holder = ::fork();
    if (holder == 0) { // holds the lock until killed
        if (lock.tryLock(5000))
            ::pause();
        ::_exit(0);
    }
    const auto heldElsewhere = [&] {
        const bool taken = lock.tryLock(0);
        lock.unlock();
        return !taken;
    };
    EXPECT_TRUE(QTest::qWaitFor(heldElsewhere, 5000));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(lock.tryLock(0));
}

// This process is the running copy, started over the socket of a copy that
// was killed; the second starts are real ones. The first comes forward;
// malformed requests on the socket change nothing; a playlist, relative to
// where the second start stands or a Windows path, is shown from the idle
// state and from the preview. During a job it is refused (the window only
// comes forward), in the processing-error dialog and, waiting unread, at the
// job's end; the report stays until "&Done", and the done state takes the next.
TEST_F(ShellTest, SecondStartsBringTheFirstForwardAndHandOverTheirPlaylists)
{
    const std::string kJobRunning = "The playlist was not opened because a job is in progress.";
    writeFile("Lists/mix.m3u", "Gone.mp3\nAlsoGone.mp3\n");
    writeFile("Lists/old.kvr", "001 A.mp3\r\n");
    writeFile("Lists/other.m3u", "Other.mp3\n");
    const QString socket = platform::instanceSocketPath(kMainWindowCaption);
    {
        QProcess crashed; // killed (SIGKILL) when it goes out of scope
        crashed.start(QStringLiteral(KAVORA_PROGRAM));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 15000));
    }
    KVRFrmStart& window = startProgram();
    window.showMinimized();
    secondStart({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isMinimized(); }, 5000));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window, 5000));

    for (const std::string& malformed :
         {"\x07\0\0\0\0"s, "restore-and-foreground\n"s, "\x02\0\0\x9c\x40"s + std::string(40000, 'a')})
        EXPECT_TRUE(platform::sendToLocalListener(QFile::encodeName(socket).toStdString(), malformed, 2000));
    // Taken in the order sent: once this playlist is shown, the others were read.
    secondStart({"old.kvr"}, m_home.filePath("Lists"));
    EXPECT_TRUE(logged("playlist shown: Remove C:\\Lists\\old.kvr in C:\\Lists")) << programLog.constData();
    EXPECT_EQ(programLog.count("restore and foreground requested"), 2) << programLog.constData();
    EXPECT_EQ(programLog.count("opening playlist"), 1) << programLog.constData();
    secondStart({"C:\\Lists\\mix.m3u"});
    EXPECT_TRUE(logged("playlist shown: Create C:\\Lists\\mix.m3u in C:\\Lists")) << programLog.constData();

    const QStringList other{"Lists/other.m3u"};
    ModalAnswerer answers;
    answers
        .then([&](QWidget* dialog) {
            secondStart(other, m_home.path());
            EXPECT_TRUE(QTest::qWaitFor([&] { return window.statusText() == kJobRunning; }, 5000));
            press("&Skip File")(dialog);
        })
        .then([&](QWidget* dialog) {
            press("&Ignore Errors")(dialog);
            secondStart(other, m_home.path());
        });
    QTest::mouseClick(&child<QPushButton>(window, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(answers.seen.size(), 2u);
    QTest::qWait(200); // a request that slipped past would act now
    EXPECT_TRUE(shown(window, "BtnDone") && !shown(window, "BtnOK"));
    EXPECT_EQ(window.statusText(), kJobRunning);
    EXPECT_EQ(m_state.InputPlaylistPath, "C:\\Lists\\mix.m3u");
    EXPECT_NE(window.reportText().find("Error - File not found - AlsoGone.mp3"), std::string::npos)
        << window.reportText();

    secondStart(other, m_home.path());
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_state.InputPlaylistPath == "C:\\Lists\\other.m3u"; }, 5000));
    EXPECT_TRUE(inPreview(window));
    EXPECT_EQ(window.reportText(), "Other.mp3");
    EXPECT_EQ(window.statusText(), "Ready");
    EXPECT_EQ(programLog.count("restore and foreground requested"), 6) << programLog.constData();
}

} // namespace
} // namespace kavora::shell

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_LOGGING_RULES", "kavora.startup.debug=true"); // also for the programs started
    // Test discovery at build time lists the tests without any display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
