// A playlist handed to the main window by its path: chosen as the selection
// window would have chosen it, and opened only when the window is free.
#include "wizard/OpenPlaylist.h"

#include "WizardFixture.h"
#include "platform/DriveMap.h"
#include "platform/FileSystem.h"

#include <QApplication>
#include <QLabel>

#include <filesystem>
#include <sys/stat.h>

namespace {

TEST(ChoosePlaylist, TakesThePlaylistAsTheSelectionWindowWould)
{
    using kavora::platform::Drive;
    const kavora::platform::DriveMap drives({Drive{'C', "/home/u", "c: [home]"},
                                             Drive{'D', "/media/usb", "d: [usb]"},
                                             Drive{'Z', "/", "z: [/]"}});
    const struct {
        std::string path, mode, input, directory;
    } cases[] = {
        {"/home/u/Lists/mix.m3u", "Create", "C:\\Lists\\mix.m3u", "C:\\Lists"},
        {"/home/u/Lists/mix.KVR", "Remove", "C:\\Lists\\mix.KVR", "C:\\Lists"},
        {"/home/u/mix.kvr", "Remove", "C:\\\\mix.kvr", "C:\\"},
        {"/home/u/Lists/../Old/./mix.pl", "Create", "C:\\Old\\mix.pl", "C:\\Old"},
        {"/media/usb/Lists/mix.m3u8", "Create", "D:\\Lists\\mix.m3u8", "D:\\Lists"},
        {"/tmp/mix.kvr.txt", "Create", "Z:\\tmp\\mix.kvr.txt", "Z:\\tmp"},
        {"C:\\Lists\\mix.kvr", "Remove", "C:\\Lists\\mix.kvr", "C:\\Lists"},
        {"c:/Lists//mix.m3u", "Create", "C:\\Lists\\mix.m3u", "C:\\Lists"},
        {"C:\\\\mix.m3u", "Create", "C:\\\\mix.m3u", "C:\\"},
        {"C:mix.kvr", "Remove", "C:mix.kvr", ""},
    };
    for (const auto& c : cases) {
        const ChosenPlaylist chosen = choosePlaylist(drives, c.path);
        EXPECT_EQ(chosen.operationMode, c.mode) << c.path;
        EXPECT_EQ(chosen.inputPlaylistPath, c.input) << c.path;
        EXPECT_EQ(chosen.playlistDirectory, c.directory) << c.path;
    }
}

using OpenPlaylistTest = WizardFixture;

TEST_F(OpenPlaylistTest, OnlyAFileWithAPlaylistNameIsAPlaylistFile)
{
    for (const char* name : {"a.m3u", "b.M3U8", "c.Pl", "d.KVR", "e.txt", "f.m3u.bak", "Sub.m3u/x"})
        writeFile(std::string("Lists/") + name, "x");
    ASSERT_EQ(::mkfifo(hostPath("Lists/pipe.m3u").c_str(), 0644), 0);
    std::filesystem::create_symlink("a.m3u", hostPath("Lists/link.m3u"));
    std::filesystem::create_symlink("gone.m3u", hostPath("Lists/dangling.m3u"));
    const kavora::platform::FileSystem fileSystem;
    const std::pair<const char*, bool> cases[] = {
        {"a.m3u", true},     {"b.M3U8", true},    {"c.Pl", true},          {"d.KVR", true},
        {"link.m3u", true},  {"e.txt", false},    {"f.m3u.bak", false},    {"Sub.m3u", false},
        {"pipe.m3u", false}, {"gone.m3u", false}, {"dangling.m3u", false},
    };
    for (const auto& [name, playlist] : cases) {
        EXPECT_EQ(isPlaylistFile(fileSystem, hostPath(std::string("Lists/") + name)), playlist) << name;
        EXPECT_EQ(isPlaylistFile(fileSystem, std::string("C:\\Lists\\") + name), playlist) << name;
    }
}

// From the idle, the preview and the done state alike: the operation its type
// calls for, its own folder, its text, and the buttons of the preview.
TEST_F(OpenPlaylistTest, OpensInIdlePreviewAndDoneAsIfPicked)
{
    writeFile("Music/001 A.mp3", "A");
    writeFile("Lists/mix.m3u", "../Music/A.mp3\n");
    writeFile("Lists/mix.KVR", "C:\\Music\\001 A.mp3\r\n");
    const struct {
        const char* state;
        std::string path, mode, input, report;
        const char* sentence;
    } opened[] = {
        {"idle", hostPath("Lists/mix.m3u"), "Create", "C:\\Lists\\mix.m3u", "../Music/A.mp3",
         "The files will be renamed and prefixed with numerics and a new Playlist will be created."},
        {"preview", "C:\\Lists\\mix.KVR", "Remove", "C:\\Lists\\mix.KVR", "C:\\Music\\001 A.mp3",
         "The prefixed numerics will be removed and the files will be renamed backed to their original "
         "filenames."},
        {"done", hostPath("Lists/mix.m3u"), "Create", "C:\\Lists\\mix.m3u", "../Music/A.mp3",
         "The files will be renamed and prefixed with numerics and a new Playlist will be created."},
    };
    EXPECT_EQ(mainState(), kIdle);
    for (const auto& open : opened) {
        SCOPED_TRACE(open.state);
        if (std::string_view(open.state) == "done") {
            click(&window(), "BtnOK"); // the Remove job of the preview before
            ASSERT_EQ(mainState(), kDone);
            EXPECT_EQ(readFile("Music/A.mp3"), "A");
        }
        EXPECT_TRUE(window().takesPlaylist());
        OpenPlaylist(window(), open.path);
        EXPECT_EQ(mainState(), kPreview);
        EXPECT_EQ(state().OperationMode, open.mode);
        EXPECT_EQ(state().InputPlaylistPath, open.input);
        EXPECT_EQ(state().PlaylistDirectory, "C:\\Lists");
        EXPECT_EQ(window().reportText(), open.report);
        EXPECT_EQ(control<QLabel>(&window(), "Label1")->text().toStdString(),
                  std::string("You have selected a playlist that contains the following files...\n") +
                      open.sentence);
    }
    click(&window(), "BtnCancel");
    EXPECT_EQ(mainState(), kChoosingAfterBack);
    EXPECT_FALSE(window().takesPlaylist());
    click(picker(), "BtnCancel");
    EXPECT_EQ(mainState(), kIdle);
}

// Not a playlist that can be read: the preview's message, and the window
// goes on from its preview; no playlist is taken while the message is open.
TEST_F(OpenPlaylistTest, APathThatCannotBeReadIsThePreviewsMessage)
{
    writeFile("Lists/notes.txt", "x");
    // A folder's name is joined to its own folder as a file's would be.
    for (const auto& [path, shown] :
         {std::pair{"Lists/gone.m3u", "C:\\Lists\\gone.m3u"}, {"Lists", "C:\\\\Lists"}}) {
        SCOPED_TRACE(path);
        ModalAnswerer answers;
        answers.then([this](QWidget* box) {
            EXPECT_FALSE(window().takesPlaylist());
            press("OK")(box);
        });
        OpenPlaylist(window(), hostPath(path));
        ASSERT_EQ(answers.seen.size(), 1u);
        EXPECT_TRUE(
            answers.seen[0].starts_with("KVR|The playlist " + std::string(shown) + " cannot be shown"))
            << answers.seen[0];
        EXPECT_EQ(mainState(), kPreview);
        EXPECT_TRUE(window().takesPlaylist());
        click(&window(), "BtnCancel");
        click(picker(), "BtnCancel");
        EXPECT_EQ(mainState(), kIdle);
    }
}

// A job running, the processing-error dialog open, the selection window open,
// the window disabled by the about box: no playlist is taken.
TEST_F(OpenPlaylistTest, NoPlaylistIsTakenWhileTheWindowIsBusy)
{
    writeFile("Lists/mix.m3u", "Gone.mp3\n");
    trigger("mnuCreate");
    EXPECT_FALSE(window().takesPlaylist());
    click(picker(), "BtnCancel");
    window().setEnabled(false);
    EXPECT_FALSE(window().takesPlaylist());
    window().setEnabled(true);

    OpenPlaylist(window(), hostPath("Lists/mix.m3u"));
    ModalAnswerer answers;
    answers.then([this](QWidget* dialog) {
        EXPECT_EQ(mainState(), kRunning);
        EXPECT_FALSE(window().takesPlaylist());
        press("&Ignore Errors")(dialog);
    });
    // Input that waited while the job ran is taken after it, with the job
    // still counted as running.
    bool ending = false;
    const auto connection = QObject::connect(&window(), &KVRFrmStart::jobEnding, [this, &ending] {
        ending = true;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(window().takesPlaylist());
    });
    click(&window(), "BtnOK");
    QObject::disconnect(connection);
    EXPECT_TRUE(ending);
    EXPECT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(mainState(), kDone);
    EXPECT_TRUE(window().takesPlaylist());
    click(&window(), "BtnDone");
}

} // namespace
