// The whole road of a job through real widgets: Actions menu, selection
// window, preview, "&Next", the report, "&Done".
#include "ModalAnswerer.h"
#include "WizardFixture.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>

namespace {

const std::string kPlaylist = "C:\\My Documents\\My Music\\My Playlists\\mix.m3u";
const std::string kNewPlaylist = "C:\\My Documents\\My Music\\My Playlists\\mix.kvr";
const std::string kPlaylistHost = "My Documents/My Music/My Playlists/mix.m3u";
const std::string kNewPlaylistHost = "My Documents/My Music/My Playlists/mix.kvr";

std::string header(const std::string& playlist)
{
    return "\r\nProcessing input file... " + playlist + "\r\n";
}

std::string line(const std::string& text)
{
    return "\r\n" + text;
}

std::string errorCount(int errors)
{
    return "\r\n\r\n<<<  Processing completed with " + std::to_string(errors) + " ERRORS DETECTED  >>>";
}

std::string createSummary(int renamed, int entries)
{
    return "\r\n\r\n" + std::to_string(renamed) + " out of a possible " + std::to_string(entries) +
           " files successfully added to new playlist: \r\n" + kNewPlaylist +
           "\r\n\r\nNOTE: Use this new playlist to burn your CD and when complete use this new playlist as "
           "input to the Kavora REMOVE function to rename the files and remove the numerics from the file "
           "names.\r\n";
}

std::string createFailureSummary(int entries)
{
    return "\r\n\r\n" + std::to_string(entries) + " out of a possible " + std::to_string(entries) +
           " files encountered errors during processing.\r\nRemedy the errors listed above before rerunning "
           "the program to create your new playlist file.\r\n";
}

std::string removeSummary(int renamed, int entries)
{
    return "\r\n\r\n" + std::to_string(renamed) + " out of a possible " + std::to_string(entries) +
           " files successfully renamed to original file names.\r\n";
}

class RoadTest : public WizardFixture {
protected:
    // A playlist in the first default folder, and music in C:\Music and C:\Other.
    void SetUp() override
    {
        WizardFixture::SetUp();
        writeFile("Music/A.mp3", "a");
        writeFile("Music/C.mp3", "c");
        writeFile("Other/B.mp3", "b");
        writeFile("Other/D.mp3", "d");
    }

    void writePlaylist(const std::string& entries) { writeFile(kPlaylistHost, entries); }

    // Actions menu, the playlist picked by a click, "&Next" of the selection window.
    void previewByClicking(const char* menuItem, const QString& file)
    {
        trigger(menuItem);
        expectMainState(mainWindow(), MainState::Choosing);
        clickFile(file);
        click(picker(), "BtnOK");
        settle();
        expectMainState(mainWindow(), MainState::Preview);
    }

    void runJob()
    {
        click(&mainWindow(), "BtnOK");
        expectMainState(mainWindow(), MainState::Done);
    }

    // The screen shows the report's bytes with its line breaks.
    void expectReport(const std::string& expected)
    {
        EXPECT_EQ(mainWindow().reportText(), expected);
        QString shown = QString::fromStdString(expected);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        EXPECT_EQ(control<QPlainTextEdit>(&mainWindow(), "RichTextBox1")->toPlainText(), shown);
    }

    void finish()
    {
        click(&mainWindow(), "BtnDone");
        expectMainState(mainWindow(), MainState::Idle);
        EXPECT_TRUE(mainWindow().reportText().empty());
    }
};

TEST_F(RoadTest, CreateByClickingAFileWithTheDirectoryGivenAtOnce)
{
    writePlaylist("C:\\Music\\A.mp3\r\nB.mp3\r\nC:\\Music\\C.mp3\r\n");
    expectMainState(mainWindow(), MainState::Idle);
    previewByClicking("mnuCreate", QStringLiteral("mix.m3u"));
    EXPECT_EQ(state().OperationMode, "Create");
    EXPECT_EQ(state().InputPlaylistPath, kPlaylist);
    EXPECT_EQ(state().PlaylistDirectory, "C:\\My Documents\\My Music\\My Playlists");
    expectReport("C:\\Music\\A.mp3\r\nB.mp3\r\nC:\\Music\\C.mp3");

    // The dialog opens mid-job: the main window is then in its running state.
    struct Running {
        bool nextShown, nextEnabled, backShown, backEnabled, doneShown, progressShown, labelShown;
        int progress;
        QString label;
        std::string status;
    } running{};
    ModalAnswerer answers;
    const auto answerDirectory = typeDirectoryAndOk(QStringLiteral("C:\\Other\\"));
    answers.then([&](QWidget* dialog) {
        const auto* next = button(&mainWindow(), "BtnOK");
        const auto* back = button(&mainWindow(), "BtnCancel");
        const auto* label = control<QLabel>(&mainWindow(), "Label1");
        const auto* progress = control<QProgressBar>(&mainWindow(), "ProgressBar1");
        running = {next->isVisible(),
                   next->isEnabled(),
                   back->isVisible(),
                   back->isEnabled(),
                   button(&mainWindow(), "BtnDone")->isVisible(),
                   progress->isVisible(),
                   label->isVisible(),
                   progress->value(),
                   label->text(),
                   mainWindow().statusText()};
        answerDirectory(dialog);
    });
    runJob();

    EXPECT_TRUE(running.nextShown && running.backShown);
    EXPECT_FALSE(running.nextEnabled || running.backEnabled || running.doneShown);
    EXPECT_TRUE(running.progressShown);
    EXPECT_EQ(running.progress, 1); // the second entry counts once it is resolved
    EXPECT_TRUE(running.labelShown);
    EXPECT_TRUE(running.label.isEmpty());
    EXPECT_EQ(running.status, "Processing...");
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0], QStringLiteral("Processing Error|File not found - B.mp3||OK disabled"));
    expectReport(header(kPlaylist) + line("Renamed C:\\Music\\001 A.mp3") +
                 line("Renamed C:\\Other\\002 B.mp3") + line("Renamed C:\\Music\\003 C.mp3") +
                 createSummary(3, 3));
    EXPECT_TRUE(exists("Music/001 A.mp3"));
    EXPECT_TRUE(exists("Other/002 B.mp3"));
    EXPECT_TRUE(exists("Music/003 C.mp3"));
    EXPECT_FALSE(exists("Music/A.mp3"));
    EXPECT_EQ(readFile(kNewPlaylistHost),
              "C:\\Music\\001 A.mp3\r\nC:\\Other\\002 B.mp3\r\nC:\\Music\\003 C.mp3\r\n");
    finish();
}

TEST_F(RoadTest, CreateByTypingThePathWithAFailingDirectoryFirst)
{
    writePlaylist("C:\\Music\\A.mp3\r\nB.mp3\r\n");
    trigger("mnuCreate");
    typePath(QString::fromStdString(kPlaylist));
    click(picker(), "BtnOK");
    settle();
    expectMainState(mainWindow(), MainState::Preview);
    EXPECT_EQ(state().InputPlaylistPath, kPlaylist);

    // Without its closing backslash the directory is joined as C:\MusicB.mp3.
    ModalAnswerer answers;
    answers.then(typeDirectoryAndOk(QStringLiteral("C:\\Music")))
        .then(acknowledge())
        .then(typeDirectoryAndOk(QStringLiteral("C:\\Other\\")));
    runJob();

    const std::vector<QString> expectedSeen = {
        QStringLiteral("Processing Error|File not found - B.mp3||OK disabled"),
        QStringLiteral("KVR|C:\\MusicB.mp3 not found"),
        QStringLiteral("Processing Error|File not found - B.mp3|C:\\Music|OK enabled"),
    };
    EXPECT_EQ(answers.seen(), expectedSeen);
    expectReport(header(kPlaylist) + line("Renamed C:\\Music\\001 A.mp3") +
                 line("Renamed C:\\Other\\002 B.mp3") + createSummary(2, 2));
    EXPECT_TRUE(exists("Other/002 B.mp3"));
    finish();
}

TEST_F(RoadTest, CreateWithSkipFileLeavesTheEntryOut)
{
    writePlaylist("C:\\Music\\A.mp3\r\nB.mp3\r\nC:\\Music\\C.mp3");
    previewByClicking("mnuCreate", QStringLiteral("mix.m3u"));
    ModalAnswerer answers;
    answers.then(skipFile());
    runJob();

    expectReport(header(kPlaylist) + line("Renamed C:\\Music\\001 A.mp3") +
                 line("Error - File not found - B.mp3") + line("Renamed C:\\Music\\002 C.mp3") +
                 errorCount(1) + createSummary(2, 3));
    EXPECT_TRUE(exists("Other/B.mp3"));
    EXPECT_EQ(readFile(kNewPlaylistHost), "C:\\Music\\001 A.mp3\r\nC:\\Music\\002 C.mp3\r\n");
    EXPECT_TRUE(state().SkipFile);
    finish();
}

TEST_F(RoadTest, CreateWithIgnoreErrorsAsksOnlyOnce)
{
    writePlaylist("B.mp3\r\nD.mp3\r\n");
    previewByClicking("mnuCreate", QStringLiteral("mix.m3u"));
    ModalAnswerer answers;
    answers.then(ignoreErrors());
    runJob();

    EXPECT_EQ(answers.seen().size(), 1u);
    expectReport(header(kPlaylist) + line("Error - File not found - B.mp3") +
                 line("Error - File not found - D.mp3") + errorCount(2) + createFailureSummary(2));
    EXPECT_EQ(readFile(kNewPlaylistHost), "");
    EXPECT_FALSE(state().IgnoreErrors);
    finish();
}

TEST_F(RoadTest, CreateWithTheCheckBoxTickedUsesTheDirectoryForLaterEntries)
{
    writePlaylist("B.mp3\r\nC:\\Music\\A.mp3\r\nD.mp3\r\n");
    previewByClicking("mnuCreate", QStringLiteral("mix.m3u"));
    ModalAnswerer answers;
    answers.then(typeDirectoryAndOk(QStringLiteral("C:\\Other\\"), true));
    runJob();

    EXPECT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(state().UseDirectoryForAll, kavora::kTrue16);
    EXPECT_TRUE(state().MissingFileDirectory.empty());
    expectReport(header(kPlaylist) + line("Renamed C:\\Other\\001 B.mp3") +
                 line("Renamed C:\\Music\\002 A.mp3") + line("Renamed C:\\Other\\003 D.mp3") +
                 createSummary(3, 3));
    finish();
}

TEST_F(RoadTest, RemoveTakesTheNumbersOffAgain)
{
    // The original names must be free for the renames back.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(hostPath("Music/A.mp3"))));
    ASSERT_TRUE(QFile::remove(QString::fromStdString(hostPath("Music/C.mp3"))));
    writeFile("Music/001 A.mp3", "a");
    writeFile("Music/002 C.mp3", "c");
    writeFile(kNewPlaylistHost, "C:\\Music\\001 A.mp3\r\nC:\\Music\\002 C.mp3\r\nC:\\Music\\003 X.mp3\r\n");
    // Choosing the other type from the type box lists the ".kvr" playlist.
    trigger("mnuRemove");
    auto* combo = control<QComboBox>(picker(), "Combo1");
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(picker()->filePattern(), "*.kvr");
    clickFile(QStringLiteral("mix.kvr"));
    click(picker(), "BtnOK");
    settle();
    expectMainState(mainWindow(), MainState::Preview);
    EXPECT_EQ(state().OperationMode, "Remove");

    ModalAnswerer answers;
    runJob();
    expectReport(header(kNewPlaylist) + line("Renamed C:\\Music\\A.mp3") + line("Renamed C:\\Music\\C.mp3") +
                 line("Error - File not found - C:\\Music\\003 X.mp3") + errorCount(1) + removeSummary(2, 3));
    EXPECT_TRUE(exists("Music/A.mp3"));
    EXPECT_TRUE(exists("Music/C.mp3"));
    EXPECT_FALSE(exists("Music/001 A.mp3"));
    finish();
}

} // namespace
