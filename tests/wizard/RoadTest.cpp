// A job's whole road through real widgets: Actions menu, selection window,
// preview, "&Next" with the dialog answered, the report, "&Done"; and the
// preview's and the selection window's own ways out.
#include "WizardFixture.h"
#include "tests/Bounds.h"
#include "wizard/OpenPlaylist.h"

#include <QDirIterator>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QStatusTipEvent>
#include <QStyleHints>

#include <algorithm>
#include <chrono>
#include <random>

namespace {

const std::string kPlaylists = "C:\\My Documents\\My Music\\My Playlists";

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

// Every road starts from Music/A.mp3, C.mp3, Café.mp3, "002 E.mp3" and
// Other/B.mp3, D.mp3, each file holding its own name. "~/" stands for HOME.
struct Road {
    const char* name;
    std::string playlist; // its path, clicked in its folder: "*.kvr" for Remove
    std::string bytes;
    std::vector<ModalAnswerer::Answer> answers;
    std::vector<std::string> seen;
    std::string report; // after its header line
    std::string kvrAfter;
    std::string filesAfter;
    int type = 0;             // the entry of the type box that lists it
    std::string preview = {}; // when it is not the playlist's lines
};

void PrintTo(const Road& road, std::ostream* out)
{
    *out << road.name;
}

const Road kRoads[] = {
    // A directory without the file (typed without its closing backslash); a
    // file's path is refused at once; without the tick the next one is asked.
    {"GoodThenFailingDirectories",
     kPlaylists + "\\mix.m3u",
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
     "Music/001 A.mp3=A Music/002 E.mp3=002 E Music/C.mp3=C Music/Café.mp3=Café Other/002 B.mp3=B "
     "Other/003 D.mp3=D"},
    // The ticked directory serves a later entry without its path, unasked;
    // "Skip File" leaves one out and empties the directory, and after
    // "Ignore Errors" a missing file is an error without asking. A full
    // Windows path is reported as it is written, a host path on its drive.
    {"TickSkipIgnore",
     kPlaylists + "\\mix.m3u",
     "B.mp3\r\nC:\\Music\\.\\A.mp3\r\nD.mp3\r\nX.mp3\r\nY.mp3\r\n~/Z.mp3\r\nC:\\Music\\C.mp3",
     {typeDirectoryAndOk("C:\\Other\\", true), press("&Skip File"), press("&Ignore Errors")},
     {asked("B.mp3"), asked("C:\\Other\\X.mp3", "C:\\Other\\"), asked("Y.mp3")},
     "\r\nRenamed C:\\Other\\001 B.mp3\r\nRenamed C:\\Music\\.\\002 A.mp3\r\nRenamed C:\\Other\\003 D.mp3\r\n"
     "Error - File not found - C:\\Other\\X.mp3\r\nError - File not found - Y.mp3\r\n"
     "Error - File not found - C:\\Z.mp3\r\nRenamed C:\\Music\\004 C.mp3\r\n\r\n"
     "<<<  Processing completed with 3 ERRORS DETECTED  >>>" +
         created(4, 7),
     "C:\\Other\\001 B.mp3\r\nC:\\Music\\.\\002 A.mp3\r\nC:\\Other\\003 D.mp3\r\nC:\\Music\\004 C.mp3\r\n",
     "Music/002 A.mp3=A Music/002 E.mp3=002 E Music/004 C.mp3=C Music/Café.mp3=Café Other/001 B.mp3=B "
     "Other/003 D.mp3=D"},
    {"Remove",
     kPlaylists + "\\mix.kvr",
     "C:\\Music\\001 X.mp3\r\nC:\\Music\\002 E.mp3\r\n",
     {},
     {},
     "\r\nError - File not found - C:\\Music\\001 X.mp3\r\nRenamed C:\\Music\\E.mp3\r\n\r\n<<<  Processing "
     "completed with 1 ERRORS DETECTED  >>>\r\n\r\n1 out of a possible 2 files successfully renamed to "
     "original file names.\r\n",
     "C:\\Music\\001 X.mp3\r\nC:\\Music\\002 E.mp3\r\n",
     "Music/A.mp3=A Music/C.mp3=C Music/Café.mp3=Café Music/E.mp3=002 E Other/B.mp3=B Other/D.mp3=D"},
    // As a Linux player writes it: UTF-8, LF line ends, extended M3U lines,
    // entries relative to the playlist and one host path. Nothing is asked,
    // and every "#" line keeps its place in the new playlist.
    {"LinuxPlaylist",
     "C:\\Lists\\mix.m3u",
     "#EXTM3U\n#EXTINF:215,Artist - A\n../Music/A.mp3\n#EXTINF:180,Café\n../Music/Café.mp3\n\n"
     "# picked by hand\n#EXTINF:200,B\n~/Other/B.mp3\n",
     {},
     {},
     "\r\nRenamed C:\\Music\\001 A.mp3\r\nRenamed C:\\Music\\002 Café.mp3\r\nRenamed C:\\Other\\003 B.mp3" +
         created(3, 3, "C:\\Lists\\mix.kvr"),
     "#EXTM3U\r\n#EXTINF:215,Artist - A\r\n../Music/001 A.mp3\r\n#EXTINF:180,Café\r\n../Music/002 "
     "Café.mp3\r\n\r\n# picked by hand\r\n#EXTINF:200,B\r\n~/Other/003 B.mp3\r\n",
     "Music/001 A.mp3=A Music/002 Café.mp3=Café Music/002 E.mp3=002 E Music/C.mp3=C Other/003 B.mp3=B "
     "Other/D.mp3=D"},
    // As VLC saves it: file URIs, a stream, a picture. Only the songs are
    // numbered, unasked, and the new playlist is an extended M3U.
    {"Xspf",
     kPlaylists + "\\mix.xspf",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
     "\t<trackList>\n\t\t<track><location>file://~/Music/Caf%C3%A9.mp3</location><title>Caf&#xE9;</title></"
     "track>\n"
     "\t\t<track><location>http://radio.example/live</location></track>\n"
     "\t\t<track><location>../../../Music/cover.jpg</location></track>\n"
     "\t\t<track><location>file://~/Other/D.mp3</location><creator>Band</creator></track>\n"
     "\t</trackList>\n</playlist>\n",
     {},
     {},
     "\r\nRenamed C:\\Music\\001 Café.mp3\r\nError - Not a local file - http://radio.example/live\r\n"
     "Error - Not a music file; file left as it is - ../../../Music/cover.jpg\r\n"
     "Renamed C:\\Other\\002 D.mp3\r\n\r\n<<<  Processing completed with 2 ERRORS DETECTED  >>>" +
         created(2, 4),
     "#EXTM3U\r\n#EXTINF:-1,Café\r\nfile://~/Music/001%20Caf%C3%A9.mp3\r\n#EXTINF:-1,Band\r\n"
     "file://~/Other/002%20D.mp3\r\n",
     "Music/001 Café.mp3=Café Music/002 E.mp3=002 E Music/A.mp3=A Music/C.mp3=C Other/002 D.mp3=D "
     "Other/B.mp3=B",
     5,
     "file://~/Music/Caf%C3%A9.mp3\r\nhttp://radio.example/live\r\n../../../Music/cover.jpg\r\n"
     "file://~/Other/D.mp3"},
};

class RoadTest : public WizardFixture, public ::testing::WithParamInterface<Road> {
protected:
    std::string atHome(std::string text) const
    {
        for (std::size_t at = 0; (at = text.find("~/", at)) != std::string::npos;)
            text.replace(at, 2, hostPath(""));
        return text;
    }
    // A path on drive C:, whose root is HOME, as a path below HOME.
    static std::string belowHome(std::string path)
    {
        std::ranges::replace(path, '\\', '/');
        return path.substr(3);
    }
};

TEST_P(RoadTest, RunsFromTheMenuToDone)
{
    const Road& road = GetParam();
    for (const std::string file : {"Music/A", "Music/C", "Music/Café", "Music/002 E", "Other/B", "Other/D"})
        writeFile(file + ".mp3", file.substr(6));
    const bool remove = road.playlist.ends_with(".kvr");
    const std::size_t nameStart = road.playlist.rfind('\\') + 1;
    const std::string bytes = atHome(road.bytes);
    writeFile(belowHome(road.playlist), bytes);

    trigger(remove ? "mnuRemove" : "mnuCreate");
    EXPECT_EQ(mainState(), kChoosing);
    // Picked twice: the preview's "&Back" leads to a fresh selection window.
    for (const bool back : {true, false}) {
        ASSERT_TRUE(picker()->openDirectory(road.playlist.substr(0, nameStart - 1)));
        // The next type in the type box lists the ".kvr" playlists.
        for (int type = 0; type < (remove ? 1 : road.type); ++type)
            QTest::keyClick(control<QComboBox>(picker(), "Combo1"), Qt::Key_Down);
        clickFile(QString::fromStdString(road.playlist.substr(nameStart)));
        EXPECT_EQ(unnamedControls(picker()), "");
        click(picker(), "BtnOK");
        EXPECT_EQ(mainState(), kPreview);
        EXPECT_EQ(unnamedControls(&window()), "");
        EXPECT_EQ(control<QLabel>(&window(), "Label1")->text().toStdString(),
                  "You have selected a playlist that contains the following files...\n" +
                      std::string(remove
                                      ? "The prefixed numerics will be removed and the files will be renamed "
                                        "backed to their original filenames."
                                      : "The files will be renamed and prefixed with numerics and a new "
                                        "Playlist will be created."));
        // Its lines (or entries) with CR LF between them.
        EXPECT_EQ(window().reportText(), road.preview.empty()
                                             ? QString::fromStdString(bytes)
                                                   .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                                   .trimmed()
                                                   .replace(QStringLiteral("\n"), QStringLiteral("\r\n"))
                                                   .toStdString()
                                             : atHome(road.preview));
        if (!back)
            break;
        click(&window(), "BtnCancel");
        EXPECT_EQ(mainState(), kChoosingAfterBack);
        EXPECT_TRUE(window().reportText().empty());
        EXPECT_FALSE(control<QPushButton>(picker(), "BtnOK")->isEnabled());
    }

    ModalAnswerer answers;
    for (const auto& answer : road.answers)
        answers.then([this, &answer](QWidget* modal) {
            EXPECT_EQ(mainState(), kRunning); // the dialog opens mid-job
            EXPECT_EQ(unnamedControls(modal), "");
            answer(modal);
        });
    click(&window(), "BtnOK");
    EXPECT_EQ(mainState(), kDone);
    EXPECT_EQ(answers.seen, road.seen);
    const std::string report = "\r\nProcessing input file... " + road.playlist + "\r\n" + atHome(road.report);
    EXPECT_EQ(window().reportText(), report);
    EXPECT_EQ(control<QPlainTextEdit>(&window(), "RichTextBox1")->toPlainText(),
              QString::fromStdString(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(readFile(belowHome(road.playlist.substr(0, road.playlist.rfind('.')) + ".kvr")),
              atHome(road.kvrAfter));
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

using MainWindowTest = WizardFixture;

// The preview shows a playlist's bytes decoded, or says why it cannot; either
// way its "&Back" leads on, and the selection window's "&Back" to idle.
TEST_F(MainWindowTest, ThePreviewShowsThePlaylistDecodedOrSaysWhyNot)
{
    writeFile("Lists/mix.m3u", "C:\\Caf\xE9.mp3\r\nC:\\b.mp3");
    const std::pair<std::string, QString> previews[] = {
        {"C:\\Lists\\mix.m3u", QStringLiteral("C:\\Caf\u00E9.mp3\nC:\\b.mp3")},
        {"C:\\Lists", {}},
        {"C:\\Lists\\gone.m3u", {}},
    };
    for (const auto& [path, shown] : previews) {
        SCOPED_TRACE(path);
        ModalAnswerer answers;
        if (shown.isEmpty())
            answers.then(press("OK"));
        pickByPath("mnuCreate", path);
        EXPECT_EQ(mainState(), kPreview);
        EXPECT_EQ(control<QPlainTextEdit>(&window(), "RichTextBox1")->toPlainText(), shown);
        EXPECT_EQ(answers.seen.size(), shown.isEmpty() ? 1U : 0U);
        for (const std::string& seen : answers.seen)
            EXPECT_TRUE(seen.starts_with("KVR|The playlist " + path + " cannot be shown")) << seen;
        click(&window(), "BtnCancel");
        click(picker(), "BtnCancel");
        EXPECT_EQ(mainState(), kIdle);
    }
}

// The report's lines that say "Error - ".
qsizetype errorLines(const std::string& report)
{
    return QByteArray::fromStdString(report).count("\r\nError - ");
}

long residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Whatever the playlist holds, the window answers at once and its report
// costs a few times its text. 200 MB that are no text, picked as any file:
// one message at the preview and one line from the job, nothing touched.
// 200,000 short lines: a report line each, held in at most four times the
// report's size.
TEST_F(MainWindowTest, NoTextOrEndlessLinesKeepTheWindowQuickAndSmall)
{
    std::string noise(64 * 1024, '\0');
    std::generate(noise.begin(), noise.end(), std::mt19937(7));
    writeFile("Lists/noise.bin", noise);
    std::filesystem::resize_file(hostPath("Lists/noise.bin"), std::uintmax_t{200} << 20);
    std::string lines;
    for (int line = 0; line < 200000; ++line)
        lines += "a.mp3\r\n";
    writeFile("Lists/long.kvr", lines);
    const long residentBefore = residentKilobytes();

    ModalAnswerer answers;
    answers.then(press("OK"));
    auto started = std::chrono::steady_clock::now();
    pickByPath("mnuCreate", "C:\\Lists\\noise.bin");
    click(&window(), "BtnOK");
    EXPECT_LT(std::chrono::steady_clock::now() - started, kavora::bounds::timeBound(std::chrono::seconds(1)));
    ASSERT_EQ(answers.seen.size(), 1U);
    EXPECT_EQ(answers.seen[0], "KVR|Playlist cannot be read: not a text file.\nC:\\Lists\\noise.bin\n"
                               "Use \"Back\" to choose another playlist.");
    EXPECT_EQ(mainState(), kDone);
    const std::string& report = window().reportText();
    EXPECT_NE(report.find("Error - Playlist cannot be read: not a text file; no file was touched"),
              std::string::npos)
        << report;
    EXPECT_EQ(errorLines(report), 1) << report;
    EXPECT_FALSE(std::filesystem::exists(hostPath("Lists/noise.kvr")));
    if (kavora::bounds::kResidentSizeMeasured) {
        EXPECT_LT(residentKilobytes() - residentBefore, 16 * 1024);
    }
    click(&window(), "BtnDone");

    pickByPath("mnuRemove", "C:\\Lists\\long.kvr");
    const long residentAtPreview = residentKilobytes();
    started = std::chrono::steady_clock::now();
    click(&window(), "BtnOK");
    QCoreApplication::processEvents();
    EXPECT_LT(std::chrono::steady_clock::now() - started, kavora::bounds::timeBound(std::chrono::seconds(5)));
    if (kavora::bounds::kResidentSizeMeasured) {
        EXPECT_LT(residentKilobytes() - residentAtPreview,
                  static_cast<long>(4 * window().reportText().size() / 1024));
    }
    EXPECT_EQ(errorLines(window().reportText()), 200000);
    click(&window(), "BtnDone");
}

// However the selection window is left, the main window stays usable, and the
// next opening starts as loading says, with nothing of the one before: not
// the folder, the type or the text, nor a drive's current folder.
TEST_F(MainWindowTest, EveryWayOutOfTheSelectionWindowLeavesTheMainWindowUsableAndTheNextOpeningFresh)
{
    writeFile("Music/A.mp3", "A");
    writeFile("My Documents/My Music/My Playlists/mix.m3u", "C:\\Music\\A.mp3");
    writeFile("My Documents/My Music/My Playlists/mix.kvr", "C:\\Music\\001 A.mp3");
    const std::string zHome =
        "Z:" +
        QString::fromStdString(hostPath("Music")).replace(QLatin1Char('/'), QLatin1Char('\\')).toStdString();
    const std::string kClosing = "| Closing...";
    const auto closeBoxed = [this] { EXPECT_TRUE(closeBox(picker())); };
    const auto back = [this] { click(picker(), "BtnCancel"); };
    const struct {
        const char* name;
        bool afterPreview; // opened by the preview's "&Back"
        std::function<void()> leave;
        std::string mainAfter;
    } ways[] = {
        {"close box", false, closeBoxed, kIdle},
        {"Back", false, back, kIdle},
        {"close box after the preview's Back", true, closeBoxed, kIdle},
        {"Back after the preview's Back", true, back, kIdle},
        {"Next", false, [this] { click(picker(), "BtnOK"); }, kPreview},
        {"Exit", true, [this] { trigger("mnuExit"); }, kClosing},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        trigger("mnuCreate");
        if (way.afterPreview) {
            clickFile(QStringLiteral("mix.m3u"));
            click(picker(), "BtnOK");
            click(&window(), "BtnCancel");
        }
        chooseDrive('Z');
        ASSERT_TRUE(picker()->openDirectory(zHome));
        chooseDrive('C');
        QTest::keyClick(control<QComboBox>(picker(), "Combo1"), Qt::Key_Down);
        clickFile(QStringLiteral("mix.kvr"));
        const QPointer<KVRFrmGetFilename> left(picker());
        way.leave();
        EXPECT_TRUE(left.isNull());
        EXPECT_EQ(mainState(), way.mainAfter);
        EXPECT_EQ(window().isVisible(), way.mainAfter != kClosing);
        if (way.mainAfter == kClosing)
            break;

        if (way.mainAfter == kPreview)
            click(&window(), "BtnCancel");
        else
            trigger("mnuCreate");
        EXPECT_EQ(picker()->inputFileText(), kPlaylists);
        EXPECT_EQ(picker()->listedFiles(), std::vector<std::string>{"mix.m3u"}); // folder and type
        EXPECT_FALSE(control<QPushButton>(picker(), "BtnOK")->isEnabled());
        chooseDrive('Z');
        EXPECT_EQ(picker()->currentDirectory(), "Z:\\");
        click(picker(), "BtnCancel");
    }
}

// Input waits in the window system's queue while a job runs, and none of it
// may act when the job is over. Each press, release or key click here is a
// call queued before the loop turns, which hands it to the window system
// interface when it comes up: the first click on "&Next" starts the job and
// the rest arrives while the job runs. Taken, a second click on "&Next" (as
// in a double click) would hit "&Done" in its place, Alt+D would click
// "&Done" too, and a click on the Help menu would open it. The window is
// active, as the one a user clicks is; an inactive one would take the focus
// off a pressed button. A click that comes after the job ended, within the
// double-click interval, is the second of a double click on "&Next" too.
TEST_F(MainWindowTest, ClicksAndKeysMadeDuringAJobAreDroppedAndTheReportStays)
{
    QStyleHints& hints = *QGuiApplication::styleHints();
    const int interval = hints.mouseDoubleClickInterval();
    const QScopeGuard restore([&] { hints.setMouseDoubleClickInterval(interval); });
    hints.setMouseDoubleClickInterval(60000);
    const auto queue = [this](std::function<void(QWindow*)> input) {
        QMetaObject::invokeMethod(
            &window(), [this, input] { input(window().windowHandle()); }, Qt::QueuedConnection);
    };
    const auto queueClick = [&](const QWidget* widget, QPoint at) {
        at = widget->mapTo(&window(), at);
        queue([at](QWindow* target) { QTest::mousePress(target, Qt::LeftButton, {}, at); });
        queue([at](QWindow* target) { QTest::mouseRelease(target, Qt::LeftButton, {}, at); });
    };
    writeFile("Lists/mix.m3u", "");
    OpenPlaylist(window(), hostPath("Lists/mix.m3u"));
    ASSERT_EQ(mainState(), kPreview);
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));

    const QWidget* next = control<QWidget>(&window(), "BtnOK");
    const QMenuBar* menus = window().menuBar();
    for (int click = 0; click < 2; ++click)
        queueClick(next, next->rect().center());
    queueClick(menus, menus->actionGeometry(control<QMenu>(&window(), "mnuHelp")->menuAction()).center());
    queue([](QWindow* target) { QTest::keyClick(target, Qt::Key_D, Qt::AltModifier); });
    // Long enough for what the input would set off: an access key clicks its
    // button 100 ms after the key.
    QTest::qWait(250);
    EXPECT_EQ(mainState(), kDone);
    EXPECT_TRUE(window().reportText().starts_with("\r\nProcessing input file... "));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();

    QTest::mouseClick(control<QPushButton>(&window(), "BtnDone"), Qt::LeftButton);
    EXPECT_EQ(mainState(), kDone);
    hints.setMouseDoubleClickInterval(0);
    click(&window(), "BtnDone");
    EXPECT_EQ(mainState(), kIdle);
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
