#include "processing/ResolveMissingFile.h"

#include "EngineFixture.h"

namespace kavora::test {
namespace {

class ResolveMissingFileTest : public EngineTest {
protected:
    void resolve(const std::string& entry)
    {
        state.CurrentEntry = entry;
        ResolveMissingFile(state, dialog, messages);
    }
};

TEST_F(ResolveMissingFileTest, PassesRepeatUntilTheDirectoryHoldsTheFile)
{
    write("Music/song.mp3", "s");
    write("Music/file.txt", "f");
    dialog.script = {
        // A text naming nothing: OK does nothing. A file: the attribute message.
        {{Act::Type, "C:\\Nowhere\\"},
         {Act::Ok},
         {Act::Type, "C:\\Music\\file.txt"},
         {Act::Ok},
         {Act::Type, "C:\\Music"},
         {Act::Ok}},
        // Retry: starts with the failed directory; closing the frame retries too.
        {},
        {{Act::Type, "C:\\Music\\"}, {Act::Ok}},
    };

    resolve("song.mp3");

    EXPECT_EQ(state.CurrentEntry, "C:\\Music\\song.mp3");
    ASSERT_EQ(dialog.showings.size(), 3U);
    EXPECT_EQ(dialog.showings[0].caption, "File not found - song.mp3");
    EXPECT_EQ(dialog.showings[0].text1, "");
    EXPECT_FALSE(dialog.showings[0].okEnabled);
    EXPECT_EQ(dialog.showings[1].text1, "C:\\Music");
    EXPECT_TRUE(dialog.showings[1].okEnabled);
    EXPECT_EQ(dialog.showings[1].caption, dialog.showings[0].caption);
    // Every pass works with a new file-system object.
    EXPECT_NE(dialog.showings[0].fileSystem, dialog.showings[1].fileSystem);
    EXPECT_NE(dialog.showings[1].fileSystem, dialog.showings[2].fileSystem);

    ASSERT_EQ(messages.shown.size(), 3U);
    EXPECT_EQ(messages.shown[0].prompt, "Directory name error... C:\\Music\\file.txt 32\r\n"
                                        "Please specify only the directory path of the file.");
    EXPECT_EQ(messages.shown[0].title, "Invalid Directory Name");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    for (std::size_t index : {1U, 2U}) {
        EXPECT_EQ(messages.shown[index].prompt, "C:\\Musicsong.mp3 not found");
        EXPECT_EQ(messages.shown[index].title, "KVR");
        EXPECT_EQ(messages.shown[index].icon, MessageIcon::None);
    }
}

TEST_F(ResolveMissingFileTest, SkipAndIgnoreLeaveTheEntryAndEmptyTheDirectory)
{
    struct Case {
        Act::Kind button;
        bool skipFile, ignoreErrors;
    };
    for (const Case& test : {Case{Act::Skip, true, false}, Case{Act::Ignore, false, true}}) {
        state = AppState{};
        state.MissingFileDirectory = "C:\\Old\\";
        state.SkipFile = true; // made false before the dialog shows
        dialog.script = {{{Act::Tick}, {test.button}}};
        dialog.showings.clear();
        resolve("gone.mp3");
        EXPECT_EQ(state.CurrentEntry, "gone.mp3");
        EXPECT_EQ(state.MissingFileDirectory, "");
        EXPECT_EQ(state.SkipFile, test.skipFile);
        EXPECT_EQ(state.IgnoreErrors, test.ignoreErrors);
        EXPECT_EQ(state.UseDirectoryForAll, kTrue16);
        EXPECT_EQ(dialog.showings.at(0).text1, "C:\\Old\\");
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ResolveMissingFileTest, DirectoryForAllAnswersWithoutDialog)
{
    write("Music/song.mp3", "s");
    state.UseDirectoryForAll = kTrue16;
    state.MissingFileDirectory = "C:\\Music\\";
    resolve("song.mp3");
    EXPECT_EQ(state.CurrentEntry, "C:\\Music\\song.mp3");
    EXPECT_TRUE(dialog.showings.empty());

    // Ticking then unticking clears the flag; OK keeps the other flags.
    state.MissingFileDirectory = "C:\\Other\\";
    dialog.script = {{{Act::Tick}, {Act::Untick}, {Act::Type, "C:\\Music\\"}, {Act::Ok}}};
    resolve("song.mp3");
    EXPECT_EQ(dialog.showings.size(), 1U);
    EXPECT_EQ(state.UseDirectoryForAll, kFalse16);
    EXPECT_EQ(state.CurrentEntry, "C:\\Music\\song.mp3");
    EXPECT_FALSE(state.SkipFile || state.IgnoreErrors);
}

TEST(MissingFileHandlersTest, OkIsEnabledByAnyText)
{
    for (const auto& [text, enabled] :
         std::vector<std::pair<std::string, bool>>{{"", false}, {" ", true}, {"C", true}, {"\xe9", true}}) {
        EXPECT_EQ(MissingFileHandlers::Text1Change(text), enabled) << text;
    }
}

} // namespace
} // namespace kavora::test
