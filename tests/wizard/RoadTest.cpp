// A job's whole road through real widgets: Actions menu, selection window,
// preview, "&Next" with the dialog answered, the report, "&Done"; and the
// preview's own ways out.
#include "WizardFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusTipEvent>
#include <QTest>
#include <QWindow>

namespace {

const std::string kPlaylists = "C:\\My Documents\\My Music\\My Playlists";
const std::string kPlaylistsHost = "My Documents/My Music/My Playlists/";

std::string asked(const std::string& file, const std::string& text1 = {})
{
    return "Processing Error|File not found - " + file + "|" + text1 +
           (text1.empty() ? "|OK disabled" : "|OK enabled");
}

std::string created(int renamed, int entries, const std::string& newPlaylist = kPlaylists + "\\mix.kvr")
{
    return "\r\n\r\n" + std::to_string(renamed) + " out of a possible " + std::to_string(entries) +
           " files successfully added to new playlist: \r\n" + newPlaylist +
           "\r\n\r\nNOTE: Use this new playlist to burn your CD and when complete use this new "
           "playlist as input to the Kavora REMOVE function to rename the files and remove the numerics from "
           "the file names.\r\n";
}

enum class Pick { ClickM3u, TypeM3u, ClickKvr };

// Every road starts from Music/A.mp3, C.mp3, "007 E.mp3" and Other/B.mp3,
// D.mp3, each file holding its own name.
struct Road {
    const char* name;
    Pick pick;
    std::string playlist; // the bytes of mix.m3u, or of mix.kvr for Remove
    std::vector<ModalAnswerer::Answer> answers;
    std::vector<std::string> seen;
    std::string report; // after its header line
    std::string kvrAfter;
    std::string filesAfter;
};

void PrintTo(const Road& road, std::ostream* out)
{
    *out << road.name;
}

const Road kRoads[] = {
    // A directory without the file (typed without its closing backslash); a
    // file's path is refused at once; without the tick the next one is asked.
    {"GoodThenFailingDirectories",
     Pick::TypeM3u,
     "C:\\Music\\A.mp3\r\nB.mp3\r\nD.mp3\r\n",
     {typeDirectoryAndOk("C:\\Other\\"), typeDirectoryAndOk("C:\\Music\\C.mp3"), press("OK"),
      typeDirectoryAndOk("C:\\Music"), press("OK"), typeDirectoryAndOk("C:\\Other\\")},
     {asked("B.mp3"), asked("D.mp3"),
      "Invalid Directory Name|Directory name error... C:\\Music\\C.mp3 32\nPlease specify only the directory "
      "path of the file.",
      asked("D.mp3", "C:\\Music\\C.mp3"), "KVR|C:\\Music\\D.mp3 not found", asked("D.mp3", "C:\\Music")},
     "\r\nRenamed C:\\Music\\001 A.mp3\r\nRenamed C:\\Other\\002 B.mp3\r\nRenamed C:\\Other\\003 D.mp3" +
         created(3, 3),
     "C:\\Music\\001 A.mp3\r\nC:\\Other\\002 B.mp3\r\nC:\\Other\\003 D.mp3\r\n",
     "Music/001 A.mp3=A Music/007 E.mp3=007 E Music/C.mp3=C Other/002 B.mp3=B Other/003 D.mp3=D"},
    // After "Ignore Errors" a missing file is an error without asking.
    {"SkipThenIgnore",
     Pick::ClickM3u,
     "C:\\Music\\A.mp3\r\nB.mp3\r\nD.mp3\r\nX.mp3\r\nC:\\Music\\C.mp3",
     {press("&Skip File"), press("&Ignore Errors")},
     {asked("B.mp3"), asked("D.mp3")},
     "\r\nRenamed C:\\Music\\001 A.mp3\r\nError - File not found - B.mp3\r\nError - File not found - "
     "D.mp3\r\nError - File not found - X.mp3\r\nRenamed C:\\Music\\002 C.mp3\r\n\r\n<<<  Processing "
     "completed with 3 ERRORS DETECTED  >>>" +
         created(2, 5),
     "C:\\Music\\001 A.mp3\r\nC:\\Music\\002 C.mp3\r\n",
     "Music/001 A.mp3=A Music/002 C.mp3=C Music/007 E.mp3=007 E Other/B.mp3=B Other/D.mp3=D"},
    // The ticked directory serves later entries without their path, unasked.
    {"CheckBoxTicked",
     Pick::ClickM3u,
     "B.mp3\r\nC:\\Music\\A.mp3\r\nD.mp3\r\n",
     {typeDirectoryAndOk("C:\\Other\\", true)},
     {asked("B.mp3")},
     "\r\nRenamed C:\\Other\\001 B.mp3\r\nRenamed C:\\Music\\002 A.mp3\r\nRenamed C:\\Other\\003 D.mp3" +
         created(3, 3),
     "C:\\Other\\001 B.mp3\r\nC:\\Music\\002 A.mp3\r\nC:\\Other\\003 D.mp3\r\n",
     "Music/002 A.mp3=A Music/007 E.mp3=007 E Music/C.mp3=C Other/001 B.mp3=B Other/003 D.mp3=D"},
    {"Remove",
     Pick::ClickKvr,
     "C:\\Music\\007 E.mp3\r\nC:\\Music\\003 X.mp3\r\n",
     {},
     {},
     "\r\nRenamed C:\\Music\\E.mp3\r\nError - File not found - C:\\Music\\003 X.mp3\r\n\r\n<<<  Processing "
     "completed with 1 ERRORS DETECTED  >>>\r\n\r\n1 out of a possible 2 files successfully renamed to "
     "original file names.\r\n",
     "C:\\Music\\007 E.mp3\r\nC:\\Music\\003 X.mp3\r\n",
     "Music/A.mp3=A Music/C.mp3=C Music/E.mp3=007 E Other/B.mp3=B Other/D.mp3=D"},
};

class RoadTest : public WizardFixture, public ::testing::WithParamInterface<Road> {};

TEST_P(RoadTest, RunsFromTheMenuToDone)
{
    const Road& road = GetParam();
    for (const std::string file : {"Music/A", "Music/C", "Music/007 E", "Other/B", "Other/D"})
        writeFile(file + ".mp3", file.substr(6));
    const bool remove = road.pick == Pick::ClickKvr;
    const std::string playlist = kPlaylists + (remove ? "\\mix.kvr" : "\\mix.m3u");
    writeFile(kPlaylistsHost + (remove ? "mix.kvr" : "mix.m3u"), road.playlist);

    trigger(remove ? "mnuRemove" : "mnuCreate");
    EXPECT_EQ(mainState(), kChoosing);
    if (remove) // the other type in the type box lists the ".kvr" playlists
        QTest::keyClick(control<QComboBox>(picker(), "Combo1"), Qt::Key_Down);
    if (road.pick == Pick::TypeM3u)
        typePath(playlist);
    else
        clickFile(QString::fromStdString(playlist.substr(kPlaylists.size() + 1)));
    click(picker(), "BtnOK");
    EXPECT_EQ(mainState(), kPreview);
    EXPECT_EQ(window().reportText(), road.playlist.substr(0, road.playlist.find_last_not_of("\r\n") + 1));

    ModalAnswerer answers;
    for (std::size_t i = 0; i < road.answers.size(); ++i)
        answers.then([this, &road, i](QWidget* modal) {
            EXPECT_EQ(mainState(), kRunning); // the dialog opens mid-job
            road.answers[i](modal);
        });
    click(&window(), "BtnOK");
    EXPECT_EQ(mainState(), kDone);
    EXPECT_EQ(answers.seen, road.seen);
    const std::string report = "\r\nProcessing input file... " + playlist + "\r\n" + road.report;
    EXPECT_EQ(window().reportText(), report);
    EXPECT_EQ(control<QPlainTextEdit>(&window(), "RichTextBox1")->toPlainText(),
              QString::fromStdString(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(readFile(kPlaylistsHost + "mix.kvr"), road.kvrAfter);
    // Every music file, with the name it started with as its content.
    const QString home = QString::fromStdString(hostPath(""));
    QStringList files;
    for (QDirIterator it(home, {"*.mp3"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString relative = it.next().mid(home.size());
        files << relative + QLatin1Char('=') + QString::fromStdString(readFile(relative.toStdString()));
    }
    files.sort();
    EXPECT_EQ(files.join(QLatin1Char(' ')).toStdString(), road.filesAfter);

    click(&window(), "BtnDone");
    EXPECT_EQ(mainState(), kIdle);
    EXPECT_TRUE(window().reportText().empty());
}

INSTANTIATE_TEST_SUITE_P(Wizard, RoadTest, ::testing::ValuesIn(kRoads),
                         [](const auto& road) { return std::string(road.param.name); });

// A playlist as a Linux player writes it: UTF-8, LF line ends, extended M3U
// lines, entries relative to the playlist and one host path. Picked in its
// folder, it runs to the end without asking anything; every "#" line keeps
// its place in the new playlist.
using TodaysPlaylistRoadTest = WizardFixture;

TEST_F(TodaysPlaylistRoadTest, ALinuxPlaylistRunsFromTheSelectionWindowToDoneWithoutADialog)
{
    writeFile("Music/A.mp3", "A");
    writeFile("Music/Caf\xC3\xA9.mp3", "C");
    writeFile("Other/B.mp3", "B");
    const std::string other = hostPath("Other/");
    writeFile("Lists/mix.m3u", "#EXTM3U\n#EXTINF:215,Artist - A\n../Music/A.mp3\n#EXTINF:180,Caf\xC3\xA9\n"
                               "../Music/Caf\xC3\xA9.mp3\n\n# picked by hand\n#EXTINF:200,B\n" +
                                   other + "B.mp3\n");

    trigger("mnuCreate");
    ASSERT_TRUE(picker()->openDirectory("C:\\Lists"));
    clickFile(QStringLiteral("mix.m3u"));
    click(picker(), "BtnOK");
    EXPECT_EQ(mainState(), kPreview);
    ModalAnswerer noDialog;
    click(&window(), "BtnOK");
    EXPECT_EQ(mainState(), kDone);
    EXPECT_TRUE(noDialog.seen.empty());
    EXPECT_EQ(window().reportText(),
              "\r\nProcessing input file... C:\\Lists\\mix.m3u\r\n\r\nRenamed "
              "C:\\Music\\001 A.mp3\r\nRenamed C:\\Music\\002 Caf\xC3\xA9.mp3\r\nRenamed " +
                  other + "003 B.mp3" + created(3, 3, "C:\\Lists\\mix.kvr"));
    EXPECT_EQ(readFile("Lists/mix.kvr"), "#EXTM3U\r\n#EXTINF:215,Artist - A\r\n../Music/001 A.mp3\r\n"
                                         "#EXTINF:180,Caf\xC3\xA9\r\n../Music/002 Caf\xC3\xA9.mp3\r\n\r\n"
                                         "# picked by hand\r\n#EXTINF:200,B\r\n" +
                                             other + "003 B.mp3\r\n");
    EXPECT_EQ(readFile("Music/001 A.mp3") + readFile("Music/002 Caf\xC3\xA9.mp3") +
                  readFile("Other/003 B.mp3"),
              "ACB");
    click(&window(), "BtnDone");
    EXPECT_EQ(mainState(), kIdle);
}

using MainWindowTest = WizardFixture;

TEST_F(MainWindowTest, ShowsTheBytesDecodedAndBackLeadsToAFreshSelectionThenToIdle)
{
    // At the drive root the path gets two backslashes.
    writeFile("root.m3u", "C:\\Caf\xE9.mp3\r\nC:\\b.mp3");
    for (const auto& [menu, explanation] :
         {std::pair{"mnuCreate",
                    "The files will be renamed and prefixed with numerics and a new Playlist will "
                    "be created."},
          {"mnuRemove", "The prefixed numerics will be removed and the files will be renamed backed to their "
                        "original filenames."}}) {
        SCOPED_TRACE(menu);
        trigger(menu);
        clickFile(QStringLiteral("root.m3u"));
        click(picker(), "BtnOK");
        EXPECT_EQ(state().InputPlaylistPath, "C:\\\\root.m3u");
        EXPECT_EQ(state().PlaylistDirectory, "C:\\");
        EXPECT_EQ(control<QLabel>(&window(), "Label1")->text().toStdString(),
                  "You have selected a playlist that contains the following files...\n" +
                      std::string(explanation));
        EXPECT_EQ(window().reportText(), "C:\\Caf\xE9.mp3\r\nC:\\b.mp3");
        EXPECT_EQ(control<QPlainTextEdit>(&window(), "RichTextBox1")->toPlainText(),
                  QStringLiteral("C:\\Caf\u00E9.mp3\nC:\\b.mp3"));

        click(&window(), "BtnCancel");
        EXPECT_EQ(mainState(), kChoosingAfterBack);
        EXPECT_TRUE(window().reportText().empty());
        EXPECT_FALSE(control<QPushButton>(picker(), "BtnOK")->isEnabled()); // a fresh selection window
        click(picker(), "BtnCancel");
        EXPECT_EQ(mainState(), kIdle);
    }
}

// However the selection window is left, the main window stays usable, and the
// next opening starts as loading says, with nothing of the one before: not
// the folder, the type or the text, nor a drive's current folder.
TEST_F(MainWindowTest, EveryWayOutOfTheSelectionWindowLeavesTheMainWindowUsableAndTheNextOpeningFresh)
{
    writeFile("Music/A.mp3", "A");
    writeFile(kPlaylistsHost + "mix.m3u", "C:\\Music\\A.mp3");
    writeFile(kPlaylistsHost + "mix.kvr", "C:\\Music\\001 A.mp3");
    const std::string zHome =
        "Z:" +
        QString::fromStdString(hostPath("Music")).replace(QLatin1Char('/'), QLatin1Char('\\')).toStdString();
    enum class Way { CloseBox, Back, Next, Exit };
    const struct {
        const char* name;
        bool afterPreview; // opened by the preview's "&Back"
        Way way;
        std::string mainAfter;
    } ways[] = {
        {"close box", false, Way::CloseBox, kIdle},
        {"Back", false, Way::Back, kIdle},
        {"close box after the preview's Back", true, Way::CloseBox, kIdle},
        {"Back after the preview's Back", true, Way::Back, kIdle},
        {"Next", false, Way::Next, kPreview},
        {"Exit", true, Way::Exit, "| Closing..."},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        trigger("mnuCreate");
        if (way.afterPreview) {
            clickFile(QStringLiteral("mix.m3u"));
            click(picker(), "BtnOK");
            click(&window(), "BtnCancel");
        }
        auto* drives = control<QComboBox>(picker(), "Drive1");
        drives->setCurrentIndex(drives->findData(QChar::fromLatin1('Z')));
        ASSERT_TRUE(picker()->openDirectory(zHome));
        drives->setCurrentIndex(drives->findData(QChar::fromLatin1('C')));
        QTest::keyClick(control<QComboBox>(picker(), "Combo1"), Qt::Key_Down);
        clickFile(QStringLiteral("mix.kvr"));
        const QPointer<KVRFrmGetFilename> left(picker());

        switch (way.way) {
        case Way::CloseBox:
            EXPECT_TRUE(closeBox(picker()));
            break;
        case Way::Back:
            click(picker(), "BtnCancel");
            break;
        case Way::Next:
            click(picker(), "BtnOK");
            break;
        case Way::Exit:
            trigger("mnuExit");
            break;
        }
        EXPECT_TRUE(left.isNull());
        EXPECT_EQ(mainState(), way.mainAfter);
        if (way.way == Way::Exit) {
            EXPECT_FALSE(window().isVisible());
            continue;
        }

        if (way.way == Way::Next)
            click(&window(), "BtnCancel");
        else
            trigger("mnuCreate");
        EXPECT_EQ(picker()->currentDirectory(), kPlaylists);
        EXPECT_EQ(picker()->inputFileText(), kPlaylists);
        EXPECT_EQ(control<QComboBox>(picker(), "Combo1")->currentIndex(), 0);
        EXPECT_EQ(picker()->listedFiles(), std::vector<std::string>{"mix.m3u"});
        EXPECT_FALSE(control<QPushButton>(picker(), "BtnOK")->isEnabled());
        drives = control<QComboBox>(picker(), "Drive1");
        drives->setCurrentIndex(drives->findData(QChar::fromLatin1('Z')));
        EXPECT_EQ(picker()->currentDirectory(), "Z:\\");
        click(picker(), "BtnCancel");
    }
}

// Input waits in the window system's queue while a job runs, and none of it
// may act when the job is over. Each press, release or key click here is a
// call queued before the loop turns, which hands it to the window system
// interface when it comes up: the first click on "&Next" starts the job and
// the rest arrives while the job runs. The window is active, as the one a
// user clicks is; an inactive one would take the focus off a pressed button.
TEST_F(MainWindowTest, ClicksAndKeysMadeDuringAJobAreDroppedAndTheReportStays)
{
    const auto queue = [this](std::function<void(QWindow*)> input) {
        QMetaObject::invokeMethod(
            &window(), [this, input] { input(window().windowHandle()); }, Qt::QueuedConnection);
    };
    const auto queueClick = [&](QPoint at) {
        queue([at](QWindow* target) { QTest::mousePress(target, Qt::LeftButton, {}, at); });
        queue([at](QWindow* target) { QTest::mouseRelease(target, Qt::LeftButton, {}, at); });
    };
    const auto preview = [this] {
        trigger("mnuCreate");
        clickFile(QStringLiteral("mix.m3u"));
        click(picker(), "BtnOK");
    };
    writeFile(kPlaylistsHost + "mix.m3u", "");
    preview();
    const QWidget* nextButton = control<QWidget>(&window(), "BtnOK");
    const QPoint next = nextButton->mapTo(&window(), nextButton->rect().center());
    const QMenuBar* menus = window().menuBar();
    const QPoint help = menus->mapTo(
        &window(), menus->actionGeometry(control<QMenu>(&window(), "mnuHelp")->menuAction()).center());

    // What follows a click on "&Next".
    const std::pair<const char*, std::function<void()>> inputs[] = {
        {"a click on the Help menu", [&] { queueClick(help); }},
        {"a second click on Next, as in a double click", [&] { queueClick(next); }},
        {"Alt+D, the access key of Done",
         [&] { queue([](QWindow* target) { QTest::keyClick(target, Qt::Key_D, Qt::AltModifier); }); }},
    };
    for (const auto& [input, queueInput] : inputs) {
        SCOPED_TRACE(input);
        ASSERT_EQ(mainState(), kPreview);
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        queueClick(next);
        queueInput();
        // Long enough for what the input would set off: an access key
        // clicks its button 100 ms after the key.
        QTest::qWait(250);
        EXPECT_EQ(mainState(), kDone);
        EXPECT_TRUE(window().reportText().starts_with("\r\nProcessing input file... "));
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        if (mainState() == kDone)
            click(&window(), "BtnDone");
        preview();
    }
    click(&window(), "BtnCancel");
    click(picker(), "BtnCancel");
}

TEST_F(MainWindowTest, AnUnreadablePlaylistIsReportedAndBackLeadsOn)
{
    writeFile("Lists/notes.txt", "x");
    for (const std::string path : {"C:\\Lists", "C:\\Lists\\gone.m3u"}) {
        SCOPED_TRACE(path);
        trigger("mnuCreate");
        typePath(path);
        ModalAnswerer answers;
        answers.then(press("OK"));
        click(picker(), "BtnOK");
        ASSERT_EQ(answers.seen.size(), 1u);
        EXPECT_TRUE(answers.seen[0].starts_with("KVR|The playlist " + path + " cannot be shown"))
            << answers.seen[0];
        EXPECT_EQ(mainState(), kPreview);
        EXPECT_TRUE(window().reportText().empty());
        click(&window(), "BtnCancel");
        click(picker(), "BtnCancel");
    }
}

TEST_F(MainWindowTest, HoveringAMenuItemLeavesTheStatusText)
{
    window().setStatusText("Operation complete");
    QStatusTipEvent tip(QStringLiteral("a menu item's tip"));
    QCoreApplication::sendEvent(window().centralWidget(), &tip);
    EXPECT_EQ(window().statusText(), "Operation complete");
    EXPECT_TRUE(control<QLabel>(&window(), "StatusBar1Text")->isVisible()); // no message over it
}

} // namespace
