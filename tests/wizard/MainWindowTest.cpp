// The main window: its controls and menus, its own handlers, the preview and
// the report area.
#include "ModalAnswerer.h"
#include "WizardFixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTextBlock>

namespace {

using MainWindowTest = WizardFixture;

TEST_F(MainWindowTest, ControlsStandAtTheirPlacesInTabOrder)
{
    struct Place {
        const char* name;
        QRect rect; // in the client area, pixels at 15 twips each
    };
    const Place places[] = {
        {"RichTextBox1", {21, 48, 574, 259}}, {"BtnOK", {537, 321, 58, 25}},
        {"BtnCancel", {471, 321, 58, 25}},    {"Label1", {21, 12, 574, 31}},
        {"BtnDone", {537, 321, 58, 25}},
    };
    QWidget* client = mainWindow().centralWidget();
    EXPECT_EQ(client->size(), QSize(615, 354));
    for (const auto& place : places) {
        auto* widget = client->findChild<QWidget*>(QLatin1String(place.name));
        ASSERT_NE(widget, nullptr) << place.name;
        EXPECT_EQ(widget->geometry(), place.rect) << place.name;
    }
    EXPECT_EQ(mainWindow().windowTitle(), QStringLiteral("Kavora 1.0"));
    EXPECT_EQ(mainWindow().statusBar()->objectName(), QStringLiteral("StatusBar1"));
    EXPECT_EQ(mainWindow().statusBar()->height(), 22);
    EXPECT_EQ(mainWindow().size().width(), 615);
    EXPECT_EQ(mainWindow().minimumSize(), mainWindow().maximumSize());

    // The progress bar lies over the right part of the status bar.
    auto* progress = control<QProgressBar>(&mainWindow(), "ProgressBar1");
    EXPECT_EQ(progress->parentWidget(), mainWindow().statusBar());
    EXPECT_EQ(progress->geometry(), QRect(330, 3, 247, 19));
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 100);

    // The focus chain also holds the report area's inner widgets; only the
    // named controls count.
    const QStringList named = {"RichTextBox1", "BtnOK", "BtnCancel", "BtnDone"};
    QWidget* widget = control<QWidget>(&mainWindow(), "RichTextBox1");
    std::vector<QString> chain;
    for (int i = 0; i < 50 && chain.size() < 4; ++i, widget = widget->nextInFocusChain()) {
        if (named.contains(widget->objectName()))
            chain.push_back(widget->objectName());
    }
    EXPECT_EQ(chain, (std::vector<QString>{"RichTextBox1", "BtnOK", "BtnCancel", "BtnDone"}));
}

TEST_F(MainWindowTest, MenusCarryTheirCaptionsShortcutsAndSignals)
{
    struct Item {
        const char* menu;
        const char* name;
        const char* caption;
        QKeySequence shortcut;
    };
    const Item items[] = {
        {"mnuFile", "mnuPrint", "&Print...", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"mnuFile", "mnuExit", "&Exit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"mnuActions", "mnuCreate", "&Create numeric playlist from existing playlist", {}},
        {"mnuActions", "mnuRemove", "&Remove numeric prefixes from filenames", {}},
        {"mnuHelp", "mnuContents", "&Help Topics...", {}},
        {"mnuHelp", "mnuLicense", "&License Agreement...", {}},
        {"mnuHelp", "mnuSupport", "&Technical Support...", {}},
        {"mnuHelp", "mnuAbout", "&About KVR...", {}},
    };
    QStringList menuCaptions;
    for (QAction* action : mainWindow().menuBar()->actions())
        menuCaptions << action->text();
    EXPECT_EQ(menuCaptions, (QStringList{"&File", "&Actions", "&Help"}));
    for (const auto& item : items) {
        auto* menu = control<QMenu>(&mainWindow(), item.menu);
        auto* action = menu->findChild<QAction*>(QLatin1String(item.name));
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_TRUE(menu->actions().contains(action)) << item.name;
        EXPECT_EQ(action->text(), QLatin1String(item.caption));
        EXPECT_EQ(action->shortcut(), item.shortcut) << item.name;
        EXPECT_TRUE(action->isEnabled()) << item.name;
    }

    QSignalSpy topics(&mainWindow(), &KVRFrmStart::helpTopicsRequested);
    QSignalSpy license(&mainWindow(), &KVRFrmStart::licenseAgreementRequested);
    QSignalSpy support(&mainWindow(), &KVRFrmStart::technicalSupportRequested);
    QSignalSpy about(&mainWindow(), &KVRFrmStart::aboutRequested);
    trigger("mnuLicense");
    trigger("mnuAbout");
    trigger("mnuAbout");
    EXPECT_EQ(topics.count(), 0);
    EXPECT_EQ(license.count(), 1);
    EXPECT_EQ(support.count(), 0);
    EXPECT_EQ(about.count(), 2);

    mainWindow().setPrintEnabled(false);
    EXPECT_FALSE(mainWindow().findChild<QAction*>(QStringLiteral("mnuPrint"))->isEnabled());
}

TEST_F(MainWindowTest, HoveringAMenuItemLeavesTheStatusText)
{
    mainWindow().setStatusText("Operation complete");
    QStatusTipEvent tip(QStringLiteral("a menu item's tip"));
    QCoreApplication::sendEvent(mainWindow().centralWidget(), &tip);
    EXPECT_EQ(mainWindow().statusText(), "Operation complete");
    EXPECT_TRUE(control<QLabel>(&mainWindow(), "StatusBar1Text")->isVisible());
}

TEST_F(MainWindowTest, BackFromThePreviewAndBackFromTheSelectionWindow)
{
    writeFile("Music/a.m3u", "C:\\Music\\x.mp3\r\n");
    trigger("mnuCreate");
    picker()->openDirectory("C:\\Music");
    clickFile(QStringLiteral("a.m3u"));
    click(picker(), "BtnOK");
    settle();
    expectMainState(mainWindow(), MainState::Preview);

    click(&mainWindow(), "BtnCancel");
    settle();
    expectMainState(mainWindow(), MainState::ChoosingAfterBack);
    EXPECT_TRUE(mainWindow().reportText().empty());
    // A fresh selection window, not the one of the previewed playlist.
    EXPECT_EQ(picker()->currentDirectory(), "C:\\");
    EXPECT_FALSE(button(picker(), "BtnOK")->isEnabled());
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Music\\a.m3u");

    click(picker(), "BtnCancel");
    settle();
    expectMainState(mainWindow(), MainState::Idle);
    EXPECT_EQ(state().OperationMode, "Create");
}

TEST_F(MainWindowTest, ThePreviewExplainsTheOperationOnTwoLines)
{
    struct Case {
        const char* menu;
        const char* secondLine;
    };
    const Case cases[] = {
        {"mnuCreate",
         "The files will be renamed and prefixed with numerics and a new Playlist will be created."},
        {"mnuRemove", "The prefixed numerics will be removed and the files will be renamed backed to their "
                      "original filenames."},
    };
    // Bytes that are not UTF-8 are shown as the 8-bit character set.
    writeFile("Music/a.m3u", "C:\\Music\\Caf\xE9.mp3\r\nC:\\Music\\b.mp3");
    for (const auto& each : cases) {
        trigger(each.menu);
        picker()->openDirectory("C:\\Music");
        clickFile(QStringLiteral("a.m3u"));
        click(picker(), "BtnOK");
        settle();
        EXPECT_EQ(control<QLabel>(&mainWindow(), "Label1")->text(),
                  QStringLiteral("You have selected a playlist that contains the following files...\n") +
                      QLatin1String(each.secondLine));
        EXPECT_EQ(mainWindow().reportText(), "C:\\Music\\Caf\xE9.mp3\r\nC:\\Music\\b.mp3");
        EXPECT_EQ(control<QPlainTextEdit>(&mainWindow(), "RichTextBox1")->toPlainText(),
                  QStringLiteral("C:\\Music\\Caf\u00E9.mp3\nC:\\Music\\b.mp3"));
        click(&mainWindow(), "BtnCancel");
        click(picker(), "BtnCancel");
        settle();
    }
}

TEST_F(MainWindowTest, AnUnreadablePlaylistIsReportedAndBackLeadsOn)
{
    writeFile("Music/a.mp3", "x");
    makeDirectory("Lists");
    const QString paths[] = {QStringLiteral("C:\\Lists"), QStringLiteral("C:\\Lists\\gone.m3u")};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        trigger("mnuCreate");
        typePath(path);
        ModalAnswerer answers;
        answers.then(acknowledge());
        click(picker(), "BtnOK");
        settle();
        ASSERT_EQ(answers.seen().size(), 1u);
        EXPECT_TRUE(answers.seen()[0].startsWith(QStringLiteral("KVR|The playlist ") + path +
                                                 QStringLiteral(" cannot be shown")))
            << answers.seen()[0].toStdString();
        expectMainState(mainWindow(), MainState::Preview);
        EXPECT_TRUE(mainWindow().reportText().empty());
        click(&mainWindow(), "BtnCancel");
        ASSERT_NE(picker(), nullptr);
        click(picker(), "BtnCancel");
        settle();
    }
    EXPECT_TRUE(exists("Music/a.mp3"));
}

TEST_F(MainWindowTest, ExitEndsAtOnceAndClosesTheSelectionWindow)
{
    trigger("mnuCreate");
    QPointer<KVRFrmGetFilename> open = picker();
    ASSERT_FALSE(open.isNull());
    trigger("mnuExit");
    EXPECT_EQ(mainWindow().statusText(), "Closing...");
    EXPECT_TRUE(open.isNull());
    EXPECT_FALSE(mainWindow().isVisible());
}

TEST_F(MainWindowTest, TheCloseBoxClosesTheSelectionWindowToo)
{
    trigger("mnuRemove");
    QPointer<KVRFrmGetFilename> open = picker();
    mainWindow().close();
    EXPECT_TRUE(open.isNull());
    EXPECT_FALSE(mainWindow().isVisible());
}

TEST_F(MainWindowTest, TheReportGrowsAtItsEndByteForByte)
{
    mainWindow().setReportVisible(true);
    mainWindow().replaceReport("old preview\r\n");
    mainWindow().replaceReport("\r\nProcessing input file... C:\\x.m3u\r\n");
    std::string expected = "\r\nProcessing input file... C:\\x.m3u\r\n";
    for (int i = 0; i < 300; ++i) {
        const std::string line =
            "\r\nRenamed C:\\Music\\" + std::to_string(i) + (i % 2 ? " \xE9.mp3" : " b.mp3");
        mainWindow().appendToReport(line);
        mainWindow().refresh();
        expected += line;
    }
    EXPECT_EQ(mainWindow().reportText(), expected);
    auto* area = control<QPlainTextEdit>(&mainWindow(), "RichTextBox1");
    EXPECT_EQ(area->blockCount(), 3 + 300); // the header makes three lines
    EXPECT_EQ(area->document()->lastBlock().text(), QStringLiteral("Renamed C:\\Music\\299 \u00E9.mp3"));
    EXPECT_EQ(area->textCursor().position(), area->document()->characterCount() - 1);
}

// Counts the paint events of one widget.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(MainWindowTest, AJobRepaintsAFewTimesASecondButAlwaysAtItsEnd)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow()));
    mainWindow().setReportVisible(true);
    mainWindow().setProgressVisible(true);
    mainWindow().refresh();
    PaintCounter counter(&mainWindow());
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 20000; ++i) {
        mainWindow().setProgressValue(i % 101);
        mainWindow().appendToReport("\r\nRenamed C:\\Music\\001 a.mp3");
        mainWindow().refresh();
    }
    // At most one paint per 200 ms of work, and the first one after 200 ms.
    EXPECT_LE(counter.paints, clock.elapsed() / 200 + 1);

    const int before = counter.paints;
    mainWindow().setProgressVisible(false);
    mainWindow().setStatusText("Operation complete");
    mainWindow().refresh();
    EXPECT_EQ(counter.paints, before + 1);
    // What was appended since the last paint is on screen too.
    EXPECT_EQ(control<QPlainTextEdit>(&mainWindow(), "RichTextBox1")->blockCount(), 20001);
}

} // namespace
