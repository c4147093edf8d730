#include "TempTree.h"
#include "platform/internal/HostRename.h"

#include <unistd.h>

namespace kavora::platform::test {
namespace {

using internal::renameNoReplaceOnHost;
using internal::RenameStrategy;

class Rename : public TempTree {};

// The fallbacks are forced here on a file system that supports everything.
TEST_F(Rename, EveryStrategyRenamesAndNeverReplaces)
{
    for (const RenameStrategy strategy :
         {RenameStrategy::Automatic, RenameStrategy::LinkThenUnlink, RenameStrategy::CheckThenRename}) {
        const std::string dir = "S" + std::to_string(static_cast<int>(strategy)) + "/";
        SCOPED_TRACE(dir);
        const std::string source = write(dir + "Song.mp3", "music");
        const std::string other = write(dir + "Other.mp3", "other");
        const std::string target = at(dir + "001 Song.mp3");
        ASSERT_TRUE(renameNoReplaceOnHost(source, target, strategy).ok());
        EXPECT_FALSE(exists(source));
        EXPECT_EQ(read(target), "music");

        EXPECT_EQ(reasonOf(renameNoReplaceOnHost(other, target, strategy)), "target exists");
        EXPECT_EQ(read(target), "music");
        EXPECT_EQ(read(other), "other");
        EXPECT_EQ(failureOf(renameNoReplaceOnHost(source, at(dir + "x.mp3"), strategy)), FsError::NotFound);

        ASSERT_TRUE(renameNoReplaceOnHost(other, at(dir + "OTHER.mp3"), strategy).ok());
        EXPECT_EQ(read(at(dir + "OTHER.mp3")), "other");
        EXPECT_FALSE(exists(other));
    }
}

TEST_F(Rename, SourceIsLookedUpAndFailuresCarryTheirReason)
{
    const std::string song = write("Music/Song.mp3", "music");
    write("Other/x.mp3");
    EXPECT_TRUE(fs().renameNoReplace("C:\\Music\\Song.mp3", "C:\\Music\\Song.mp3").ok());
    EXPECT_EQ(reasonOf(fs().renameNoReplace("C:\\Music\\Gone.mp3", "C:\\Music\\1 Gone.mp3")),
              "file not found");
    for (const char* target : {"C:\\Other\\Song.mp3", "C:\\Music\\", "C:\\Music\\*.mp3"})
        EXPECT_EQ(failureOf(fs().renameNoReplace("C:\\Music\\Song.mp3", target)), FsError::InvalidPath)
            << target;
    EXPECT_EQ(read(song), "music");
    ASSERT_TRUE(fs().renameNoReplace("c:/MUSIC/song.MP3", "c:/MUSIC/012 Song.mp3").ok());
    EXPECT_FALSE(exists(song));
    ASSERT_TRUE(fs().renameNoReplace("C:\\Music\\012 Song.mp3", "C:\\Music\\012 SONG.mp3").ok());
    EXPECT_EQ(read(at("Music/012 SONG.mp3")), "music");
    EXPECT_FALSE(exists(at("Music/012 Song.mp3")));
    // Create names the target in the entry's Windows-1252 text; Remove finds it by that same text.
    write("Music/Caf\xC3\xA9.mp3", "cafe");
    ASSERT_TRUE(fs().renameNoReplace("C:\\Music\\Caf\xE9.mp3", "C:\\Music\\1 Caf\xE9.mp3").ok());
    EXPECT_EQ(read(at("Music/1 Caf\xC3\xA9.mp3")), "cafe");
    EXPECT_TRUE(fs().renameNoReplace("C:\\Music\\1 Caf\xE9.mp3", "C:\\Music\\Caf\xE9.mp3").ok());
    EXPECT_EQ(read(at("Music/Caf\xC3\xA9.mp3")), "cafe");
}

// Two names for one inode that differ in case are what a case-insensitive file
// system shows for a case-only rename; the detour through a temporary name meets
// a real second name here and must put the file back where it was.
TEST_F(Rename, CaseOnlyDetourThatMeetsAnotherNameLeavesEverythingInPlace)
{
    const std::string lower = write("Music/a.mp3", "music");
    ASSERT_EQ(::link(lower.c_str(), at("Music/A.mp3").c_str()), 0);
    EXPECT_EQ(failureOf(renameNoReplaceOnHost(lower, at("Music/A.mp3"))), FsError::TargetExists);
    EXPECT_EQ(read(lower), "music");
    EXPECT_EQ(read(at("Music/A.mp3")), "music");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(at("Music")), {}), 2);
}

} // namespace
} // namespace kavora::platform::test
