#include "WizardFixture.h"
#include "platform/qt/LocalSocket.h"
#include "platform/qt/SingleInstance.h"
#include "shell/HelpFile.h"
#include "shell/HelpMenu.h"
#include "shell/KVRFrmAbout.h"
#include "shell/Startup.h"

#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextBrowser>

#include <stdexcept>

namespace kavora::shell {
namespace {

using namespace std::string_literals;

// A window the code should have made; a missing one fails the test
// (GoogleTest reports the throw).
template <typename T> T& made(T* object, const char* name)
{
    if (object == nullptr)
        throw std::runtime_error("missing: "s + name);
    return *object;
}

// What this process logged; when it is the running copy, its start-up lines
// say what it did with each request. Logging is switched on before main, for
// the programs started too.
const bool kLogsStartup = qputenv("QT_LOGGING_RULES", "kavora.startup.debug=true");
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

// The window fixture over the program's own start-up, with a private runtime
// directory, so that no test sees another's single-instance socket or help
// file.
class ShellTest : public WizardFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(hostPath("run"))));
        QFile::setPermissions(QString::fromStdString(hostPath("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(hostPath("run")));
        programLog.clear();
    }
    void TearDown() override
    {
        m_session.reset();
        WizardFixture::TearDown();
        qDeleteAll(QApplication::topLevelWidgets());
    }
    KVRFrmStart& window() override
    {
        return made(m_session.get(), "the first start's window (it found a running copy)").mainWindow();
    }
    KVRFrmStart& startProgram(const std::string& playlist = {})
    {
        m_session = RunStartup(state(), playlist);
        return window();
    }
    // A real second start, standing below HOME when `below` is given: it must
    // end by itself with status 0, without a window. Blocking, so that this
    // process reads no request meanwhile.
    void secondStart(const QStringList& arguments, const char* below = nullptr) const
    {
        QProcess second;
        if (below != nullptr)
            second.setWorkingDirectory(QString::fromStdString(hostPath(below)));
        second.start(QStringLiteral(KAVORA_PROGRAM), arguments);
        const bool ended = second.waitForFinished(15000);
        const QByteArray log = second.readAllStandardError();
        EXPECT_TRUE(ended && second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0 &&
                    log.contains("running copy brought forward") && !log.contains("main window shown"))
            << log.constData();
    }

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
    HelpMenu menu(windowsProgramDirectory(hostPath("")));
    const std::pair<void (HelpMenu::*)(), const char*> items[] = {{&HelpMenu::mnuContentsClick, "contents"},
                                                                  {&HelpMenu::mnuLicenseClick, "context-2"},
                                                                  {&HelpMenu::mnuSupportClick, "context-3"}};
    std::string html; // topics longer than the viewer, so that each one can stand at its top
    for (const auto& [click, topic] : items) {
        (menu.*click)();
        const QString message = made(menu.commonDialog().viewer(), "viewer").browser()->toPlainText();
        EXPECT_TRUE(message.contains("cannot be read") &&
                    message.contains(QString::fromStdString(hostPath("KVR.HLP"))))
            << message.toStdString();
        html += "<a name=\""s + topic + "\"></a><h1>" + topic + "</h1>" +
                QByteArray("<p>-</p>").repeated(120).toStdString();
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
    EXPECT_EQ(mainState(), kIdle);
    EXPECT_FALSE(control<QAction>(&window, "mnuPrint")->isEnabled());
    for (const char* item : {"mnuExit", "mnuCreate", "mnuRemove", "mnuContents", "mnuLicense", "mnuAbout"})
        EXPECT_TRUE(control<QAction>(&window, item)->isEnabled()) << item;
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
        trigger(item);
        EXPECT_EQ(std::pair(dialog.HelpCommand, dialog.HelpContext), std::pair(kHelpContext, context))
            << item;
    }
    trigger("mnuContents");
    EXPECT_EQ(dialog.HelpCommand, kHelpFinder);
    KVRHelpViewer& viewer = made(dialog.viewer(), "viewer");

    const QRegularExpression lines("^Kavora v1\\.0\nVersion 1\\.0\nBuilt \\d{4}-\\d{2}-\\d{2}\n"
                                   "Copyright \u00a9 2026 Kavora developers$");
    QString firstLines;
    for (const bool byCloseBox : {false, true, false, true}) {
        SCOPED_TRACE(byCloseBox ? "close box" : "OK");
        trigger("mnuAbout");
        KVRFrmAbout& box = made(m_session->aboutBox(), "about box");
        const QPointer<KVRFrmAbout> watch(&box);
        EXPECT_FALSE(window.isEnabled());
        EXPECT_FALSE(closeBox(&window)) << "the close box of the disabled main window";
        EXPECT_TRUE(window.isVisible());
        m_session->openPlaylist(hostPath("Lists/mix.m3u"));
        EXPECT_EQ(state().InputPlaylistPath, "");
        EXPECT_EQ(window.statusText(), "The playlist was not opened because the about box is open.");
        EXPECT_TRUE(box.isVisible() && box.isEnabled() && viewer.isVisible() && viewer.isEnabled());
        EXPECT_FALSE(control<QLabel>(&box, "Picture1")->pixmap().isNull());
        EXPECT_EQ(unnamedControls(&box) + unnamedControls(&viewer), "");
        const QString shownLines =
            control<QLabel>(&box, "Label1")->text() + u'\n' + control<QLabel>(&box, "Label2")->text();
        EXPECT_EQ(shownLines, firstLines.isEmpty() ? (firstLines = shownLines) : firstLines);
        if (byCloseBox)
            box.close();
        else
            QTest::mouseClick(control<QPushButton>(&box, "BtnOK"), Qt::LeftButton);
        EXPECT_TRUE(window.isEnabled());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(watch.isNull()) << "the box is unloaded when left";
    }
    EXPECT_TRUE(lines.match(firstLines).hasMatch()) << firstLines.toStdString();
    viewer.close();
    EXPECT_TRUE(closeBox(&window));
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
        startProgram(playlist);
        EXPECT_TRUE(logged(shownLine)) << programLog.constData();
        EXPECT_EQ(mainState(), kPreview);
        m_session.reset(); // the next start is a first one again
    }

    ModalAnswerer answers;
    answers.then([this](QWidget* message) {
        m_session->openPlaylist(hostPath("Lists/mix.m3u"));
        EXPECT_EQ(window().statusText(), "The playlist was not opened because a dialog is open.");
        press("OK")(message);
    });
    startProgram(hostPath("Lists/gone.m3u"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.seen.size() == 1; }, 5000));
    EXPECT_TRUE(answers.seen[0].starts_with("KVR|The playlist C:\\Lists\\gone.m3u cannot be shown"))
        << answers.seen[0];
    // The status bar still names the last refusal.
    EXPECT_TRUE(mainState().starts_with("Label1 RichTextBox1 BtnOK BtnCancel |")) << mainState();
    click(&window(), "BtnCancel");
    EXPECT_EQ(mainState(), kChoosingAfterBack);
    m_session->openPlaylist(hostPath("Lists/mix.m3u"));
    EXPECT_EQ(window().statusText(), "The playlist was not opened because the selection window is open.");
    click(picker(), "BtnCancel");
    EXPECT_TRUE(mainState().starts_with("mnuActions |")) << mainState();
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
    secondStart({"old.kvr"}, "Lists");
    EXPECT_TRUE(logged("playlist shown: Remove C:\\Lists\\old.kvr in C:\\Lists")) << programLog.constData();
    EXPECT_EQ(programLog.count("restore and foreground requested"), 2) << programLog.constData();
    EXPECT_EQ(programLog.count("opening playlist"), 1) << programLog.constData();
    secondStart({"C:\\Lists\\mix.m3u"});
    EXPECT_TRUE(logged("playlist shown: Create C:\\Lists\\mix.m3u in C:\\Lists")) << programLog.constData();

    const QStringList other{"Lists/other.m3u"};
    ModalAnswerer answers;
    answers
        .then([&](QWidget* dialog) {
            secondStart(other, "");
            EXPECT_TRUE(QTest::qWaitFor([&] { return window.statusText() == kJobRunning; }, 5000));
            press("&Skip File")(dialog);
        })
        .then([&](QWidget* dialog) {
            press("&Ignore Errors")(dialog);
            secondStart(other, "");
        });
    click(&window, "BtnOK");
    EXPECT_EQ(answers.seen.size(), 2u);
    QTest::qWait(200); // a request that slipped past would act now
    EXPECT_EQ(mainState(), "Label1 RichTextBox1 BtnDone | " + kJobRunning);
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Lists\\mix.m3u");
    EXPECT_NE(window.reportText().find("Error - File not found - AlsoGone.mp3"), std::string::npos)
        << window.reportText();

    secondStart(other, "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return state().InputPlaylistPath == "C:\\Lists\\other.m3u"; }, 5000));
    EXPECT_EQ(mainState(), kPreview);
    EXPECT_EQ(window.reportText(), "Other.mp3");
    EXPECT_EQ(programLog.count("restore and foreground requested"), 6) << programLog.constData();
}

} // namespace
} // namespace kavora::shell
