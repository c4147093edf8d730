#include "EngineFixture.h"
#include "platform/FileSystem.h"
#include "processing/ResolveMissingFile.h"

#include <functional>

namespace kavora::test {
namespace {

// A user who changes files while the dialog is open, then answers OK with a
// directory; Skip when OK does not close, so a failure cannot loop forever.
class ChangingUser final : public MissingFileDialog {
public:
    std::function<void()> change;
    std::string directory;
    int showings = 0;
    bool okClosed = false;

    void showModal(std::string_view, std::string_view, MissingFileHandlers& handlers) override
    {
        ++showings;
        change();
        okClosed = handlers.Command1Click(directory) == DialogAction::Close;
        if (!okClosed)
            (void)handlers.Command2Click();
    }
};

class DialogChangesTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        write("Music/other.mp3", "o");
        // The pass looks in C:\Music before the dialog opens.
        state.UseDirectoryForAll = kTrue16;
        state.MissingFileDirectory = "C:\\Music\\";
        state.CurrentEntry = "song.mp3";
    }

    ChangingUser user;
};

TEST_F(DialogChangesTest, FileCopiedInWhileTheDialogIsOpenIsFound)
{
    user.change = [this] { write("Music/song.mp3", "s"); };
    user.directory = "C:\\Music\\";
    ResolveMissingFile(state, user, messages);

    EXPECT_TRUE(user.okClosed);
    EXPECT_EQ(user.showings, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(state.CurrentEntry, "C:\\Music\\song.mp3");
    // The job goes on with a snapshot that has the file.
    ASSERT_TRUE(state.FileSystem);
    EXPECT_EQ(state.FileSystem->view(), platform::FileSystem::View::Snapshot);
    EXPECT_TRUE(state.FileSystem->fileExists(state.CurrentEntry));
}

TEST_F(DialogChangesTest, DirectoryMadeWhileTheDialogIsOpenIsAccepted)
{
    user.change = [this] { write("Music/New/song.mp3", "s"); };
    user.directory = "C:\\music\\new\\";
    ResolveMissingFile(state, user, messages);

    EXPECT_TRUE(user.okClosed);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(state.CurrentEntry, "C:\\music\\new\\song.mp3");
}

} // namespace
} // namespace kavora::test
