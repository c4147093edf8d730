#include "shell/Startup.h"

#include "ShellTestSupport.h"
#include "platform/qt/SingleInstance.h"
#include "processing/AppState.h"
#include "shell/HelpFile.h"
#include "shell/HelpMenu.h"
#include "shell/HelpViewer.h"
#include "shell/KVRFrmAbout.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>

#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kavora::shell {
namespace {

using test::flushDeferredDeletes;
using test::ShellGuiTest;

// A named control; a missing one fails the test (GoogleTest reports the throw).
template <typename T> T& child(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (found == nullptr)
        throw std::runtime_error(std::string("no control named ") + name);
    return *found;
}

QString instanceSocket()
{
    return platform::instanceSocketPath(QString::fromLatin1(kMainWindowCaption));
}

// What a copy that crashed leaves behind: a socket file nobody listens on.
void leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    ASSERT_LT(static_cast<std::size_t>(encoded.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));
}

using StartupTest = ShellGuiTest;

TEST_F(StartupTest, MainWindowStartsIdleWithPrintGreyed)
{
    AppState state;
    const auto session = RunStartup(state);
    ASSERT_NE(session, nullptr);
    KVRFrmStart& window = session->mainWindow();

    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(window.windowTitle(), "Kavora 1.0");
    EXPECT_EQ(window.statusText(), "Ready");
    EXPECT_FALSE(child<QAction>(window, "mnuPrint").isEnabled());
    for (const char* item : {"mnuExit", "mnuActions", "mnuCreate", "mnuRemove", "mnuHelp", "mnuContents",
                             "mnuLicense", "mnuSupport", "mnuAbout"}) {
        EXPECT_TRUE(child<QAction>(window, item).isEnabled()) << item;
    }
    for (const char* control : {"RichTextBox1", "Label1", "BtnOK", "BtnCancel", "BtnDone", "ProgressBar1"}) {
        EXPECT_FALSE(child<QWidget>(window, control).isVisible()) << control;
    }
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_TRUE(QFileInfo::exists(instanceSocket()));
}

TEST_F(StartupTest, SecondStartEndsAndBringsTheFirstForward)
{
    AppState firstState;
    const auto first = RunStartup(firstState);
    ASSERT_NE(first, nullptr);
    KVRFrmStart& window = first->mainWindow();
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());

    AppState secondState;
    const int windowsBefore = test::visibleTopLevelWindows();
    EXPECT_EQ(RunStartup(secondState), nullptr);
    EXPECT_EQ(test::visibleTopLevelWindows(), windowsBefore) << "the second start showed a window";

    // The request is served when the running copy's event loop runs.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isMinimized(); }, 5000));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window, 5000));
}

TEST_F(StartupTest, ActivatePriorInstanceFindsOnlyARunningCopy)
{
    EXPECT_EQ(ActivatePriorInstance(), 0);
    AppState state;
    const auto session = RunStartup(state);
    ASSERT_NE(session, nullptr);
    // A copy whose main window is disabled (about box open) is still found.
    session->mainWindow().setEnabled(false);
    EXPECT_EQ(ActivatePriorInstance(), 1);
    session->mainWindow().setEnabled(true);
}

TEST_F(StartupTest, StaleSocketDoesNotBlockAStart)
{
    leaveStaleSocket(instanceSocket());
    EXPECT_EQ(ActivatePriorInstance(), 0);
    AppState state;
    const auto session = RunStartup(state);
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(session->mainWindow().isVisible());
    // The socket is live again: the next start finds this copy.
    EXPECT_EQ(ActivatePriorInstance(), 1);
}

TEST_F(StartupTest, SocketIsRemovedWhenTheProgramEnds)
{
    {
        AppState state;
        const auto session = RunStartup(state);
        ASSERT_NE(session, nullptr);
    }
    EXPECT_FALSE(QFileInfo::exists(instanceSocket()));
    EXPECT_EQ(ActivatePriorInstance(), 0);
}

TEST_F(StartupTest, OtherRequestsOnTheSocketAreIgnored)
{
    AppState state;
    const auto session = RunStartup(state);
    ASSERT_NE(session, nullptr);
    KVRFrmStart& window = session->mainWindow();
    window.showMinimized();

    const std::string stranger = std::string(1000, 'x') + "\nrestore\n";
    ASSERT_TRUE(platform::sendToLocalListener(QFile::encodeName(instanceSocket()).toStdString(), stranger, 2000));
    QTest::qWait(200);
    EXPECT_TRUE(window.isMinimized());
    window.showNormal();
}

TEST_F(StartupTest, HelpMenuAndF1OpenTheViewer)
{
    AppState state;
    const auto session = RunStartup(state);
    ASSERT_NE(session, nullptr);
    KVRFrmStart& window = session->mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 5000));

    QTest::keyClick(&window, Qt::Key_F1);
    CommonDialog& dialog = session->helpMenu().commonDialog();
    ASSERT_NE(dialog.viewer(), nullptr) << "F1 opened no help";
    EXPECT_EQ(dialog.HelpCommand, kHelpFinder);
    EXPECT_TRUE(dialog.HelpFile.ends_with("\\KVR.HLP"));

    child<QAction>(window, "mnuLicense").trigger();
    EXPECT_EQ(dialog.HelpCommand, kHelpContext);
    EXPECT_EQ(dialog.HelpContext, kLicenseAgreementContext);
    child<QAction>(window, "mnuSupport").trigger();
    EXPECT_EQ(dialog.HelpContext, kTechnicalSupportContext);
    child<QAction>(window, "mnuContents").trigger();
    EXPECT_EQ(dialog.HelpCommand, kHelpFinder);
    KVRHelpViewer* viewer = dialog.viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    // The viewer stays usable while the about box disables the main window.
    child<QAction>(window, "mnuAbout").trigger();
    EXPECT_FALSE(window.isEnabled());
    EXPECT_TRUE(viewer->isEnabled());
    // The test binary's directory holds no help file, so the viewer says so.
    EXPECT_TRUE(child<QTextBrowser>(*viewer, "HelpText").toPlainText().contains("cannot be read"));
}

class AboutBoxTest : public ShellGuiTest {
protected:
    // mnuAbout, as the user chooses it; the box it opened.
    KVRFrmAbout& openFromMenu(ProgramSession& session)
    {
        child<QAction>(session.mainWindow(), "mnuAbout").trigger();
        KVRFrmAbout* box = session.aboutBox();
        if (box == nullptr)
            throw std::runtime_error("mnuAbout opened no about box");
        return *box;
    }
};

TEST_F(AboutBoxTest, ShowsNameVersionDateAndCopyright)
{
    AppState state;
    const auto session = RunStartup(state);
    ASSERT_NE(session, nullptr);
    KVRFrmAbout& box = openFromMenu(*session);

    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(box.windowTitle(), "About KVR");
    EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "the box has a fixed size";
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);

    const QLabel& label1 = child<QLabel>(box, "Label1");
    EXPECT_EQ(label1.text(), "Kavora v1.0");
    EXPECT_TRUE(label1.font().bold());
    EXPECT_DOUBLE_EQ(label1.font().pointSizeF(), 9.75);
    const QStringList lines = child<QLabel>(box, "Label2").text().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "Version 1.0");
    EXPECT_TRUE(QRegularExpression("^Built \\d{4}-\\d{2}-\\d{2}$").match(lines[1]).hasMatch())
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], QString::fromUtf8("Copyright \u00a9 2026 Kavora developers"));
    EXPECT_FALSE(child<QLabel>(box, "Picture1").pixmap().isNull());
    EXPECT_EQ(child<QPushButton>(box, "BtnOK").text(), "&OK");

    // Centred on the screen.
    const QScreen* screen = box.screen();
    ASSERT_NE(screen, nullptr);
    const QPoint offset = box.frameGeometry().center() - screen->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 4);
    child<QPushButton>(box, "BtnOK").click();
}

TEST_F(AboutBoxTest, MainWindowIsDisabledExactlyWhileTheBoxIsOpen)
{
    AppState state;
    const auto session = RunStartup(state);
    ASSERT_NE(session, nullptr);
    KVRFrmStart& window = session->mainWindow();
    QStringList linesOfEachOpening;

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        EXPECT_TRUE(window.isEnabled());
        KVRFrmAbout& box = openFromMenu(*session);
        const QPointer<KVRFrmAbout> watch(&box);
        EXPECT_FALSE(window.isEnabled());
        EXPECT_TRUE(box.isEnabled()) << "the box itself takes input";
        linesOfEachOpening << child<QLabel>(box, "Label2").text();

        QTest::mouseClick(&child<QPushButton>(box, "BtnOK"), Qt::LeftButton);
        EXPECT_TRUE(window.isEnabled());
        ASSERT_FALSE(watch.isNull()) << "deleted at once, not unloaded after the handler";
        EXPECT_FALSE(box.isVisible());
        flushDeferredDeletes();
        EXPECT_TRUE(watch.isNull()) << "the box is unloaded after OK";
        EXPECT_EQ(session->aboutBox(), nullptr);
    }
    EXPECT_EQ(linesOfEachOpening[0], linesOfEachOpening[1]);
}

TEST_F(AboutBoxTest, CloseBoxLeavesLikeOK)
{
    AppState state;
    const auto session = RunStartup(state);
    ASSERT_NE(session, nullptr);
    KVRFrmStart& window = session->mainWindow();

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        KVRFrmAbout& box = openFromMenu(*session);
        const QPointer<KVRFrmAbout> watch(&box);
        ASSERT_FALSE(window.isEnabled());
        box.close();
        EXPECT_TRUE(window.isEnabled());
        flushDeferredDeletes();
        EXPECT_TRUE(watch.isNull());
    }
}

} // namespace
} // namespace kavora::shell
