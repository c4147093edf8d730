#include "EngineFixture.h"
#include "platform/FileSystem.h"
#include "processing/ResolveMissingFile.h"

namespace kavora::test {
namespace {

class MissingFileTest : public EngineTest {
protected:
    void resolve(const std::string& entry)
    {
        state.CurrentEntry = entry;
        ResolveMissingFile(state, dialog, messages);
    }
};

TEST_F(MissingFileTest, PassesRepeatUntilTheDirectoryHoldsTheFile)
{
    write("Music/song.mp3", "s");
    write("Music/file.txt", "f");
    // A text naming nothing: OK does nothing. A file: the attribute message. A
    // directory without the file: a retry pass that starts with it; closing the
    // frame retries too.
    dialog.script = {{"type C:\\Nowhere\\", "ok", "type C:\\Music\\file.txt", "ok", "type C:\\Music", "ok"},
                     {},
                     {"type C:\\Music\\", "ok"}};
    resolve("song.mp3");
    EXPECT_EQ(state.CurrentEntry, "C:\\Music\\song.mp3");
    EXPECT_EQ(dialog.showings, (std::vector<std::string>{"File not found - song.mp3 []",
                                                         "File not found - song.mp3 [C:\\Music] OK",
                                                         "File not found - song.mp3 [C:\\Music] OK"}));
    // Message boxes as title|icon|prompt; icon 1 is Information, 0 none.
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Invalid Directory Name|1|Directory name error... "
                                                        "C:\\Music\\file.txt 32\r\nPlease specify only the "
                                                        "directory path of the file.",
                                                        "KVR|0|C:\\Musicsong.mp3 not found",
                                                        "KVR|0|C:\\Musicsong.mp3 not found"}));
}

TEST_F(MissingFileTest, SkipAndIgnoreLeaveTheEntryAndEmptyTheDirectory)
{
    for (const std::string button : {"skip", "ignore"}) {
        state = AppState{};
        state.MissingFileDirectory = "C:\\Old\\";
        state.SkipFile = true; // made false before the dialog shows
        dialog.script = {{"tick", button}};
        dialog.showings.clear();
        resolve("gone.mp3");
        EXPECT_EQ(dialog.showings, std::vector<std::string>{"File not found - gone.mp3 [C:\\Old\\] OK"});
        EXPECT_EQ(state.CurrentEntry + "|" + state.MissingFileDirectory, "gone.mp3|");
        EXPECT_EQ(state.SkipFile, button == "skip");
        EXPECT_EQ(state.IgnoreErrors, button == "ignore");
        EXPECT_EQ(state.UseDirectoryForAll, kTrue16);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MissingFileTest, DirectoryForAllAnswersWithoutDialogAndUntickingClearsIt)
{
    write("Music/song.mp3", "s");
    state.UseDirectoryForAll = kTrue16;
    state.MissingFileDirectory = "C:\\Music\\";
    resolve("song.mp3");
    EXPECT_EQ(state.CurrentEntry, "C:\\Music\\song.mp3");
    EXPECT_TRUE(dialog.showings.empty());

    state.MissingFileDirectory = "C:\\Other\\";
    dialog.script = {{"tick", "untick", "type C:\\Music\\", "ok"}};
    resolve("song.mp3");
    EXPECT_EQ(dialog.showings.size(), 1U);
    EXPECT_EQ(state.UseDirectoryForAll, kFalse16);
    EXPECT_EQ(state.CurrentEntry, "C:\\Music\\song.mp3");
}

// The user's answer is checked against the disk as it is, and the job goes on
// with a snapshot that sees what changed while the dialog was open.
TEST_F(MissingFileTest, ChangesMadeWhileTheDialogIsOpenAreSeen)
{
    for (const auto& [made, typed] : std::vector<std::pair<std::string, std::string>>{
             {"Music/song.mp3", "C:\\Music\\"}, {"Music/New/song.mp3", "C:\\music\\new\\"}}) {
        write("Music/other.mp3", "o");
        state.UseDirectoryForAll = kTrue16;
        state.MissingFileDirectory = "C:\\Music\\"; // the shortcut looks there first
        dialog.whileOpen = [&] { write(made, "s"); };
        dialog.script = {{"type " + typed, "ok"}};
        dialog.showings.clear();
        resolve("song.mp3");
        EXPECT_EQ(state.CurrentEntry, typed + "song.mp3");
        EXPECT_TRUE(dialog.showings.size() == 1 && messages.shown.empty()) << made;
        ASSERT_TRUE(state.FileSystem);
        EXPECT_EQ(state.FileSystem->view(), platform::FileSystem::View::Snapshot);
        EXPECT_TRUE(state.FileSystem->fileExists(state.CurrentEntry));
        fs::remove(host(made));
    }
}

} // namespace
} // namespace kavora::test
