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

// The source is found as a path is; the new name is taken as exact bytes, so a
// name in Windows-1252 bytes on disk keeps them both ways.
TEST_F(Rename, InFolderTakesTheNewNameAsItsBytes)
{
    const std::string song = write("Music/Song.mp3", "music");
    write("Music/Caf\xE9.mp3", "legacy");
    EXPECT_EQ(reasonOf(fs().renameInFolder("C:\\Music\\Gone.mp3", "1 Gone.mp3")), "file not found");
    for (const char* name : {"", ".", "..", "a/b", "a\\b"})
        EXPECT_EQ(failureOf(fs().renameInFolder("C:\\Music\\Song.mp3", name)), FsError::InvalidPath) << name;
    EXPECT_EQ(failureOf(fs().renameInFolder("C:\\Music\\Song.mp3", std::string(300, 'n'))),
              FsError::NameTooLong);
    EXPECT_EQ(read(song), "music");
    ASSERT_TRUE(fs().renameInFolder("c:/MUSIC/song.MP3", "012 Song.mp3").ok());
    EXPECT_FALSE(exists(song));
    EXPECT_EQ(read(at("Music/012 Song.mp3")), "music");
    EXPECT_EQ(reasonOf(fs().renameInFolder("C:\\Music\\Caf\xE9.mp3", "012 Song.mp3")), "target exists");
    ASSERT_TRUE(fs().renameInFolder("C:\\Music\\Caf\xE9.mp3", "001 Caf\xE9.mp3").ok());
    EXPECT_EQ(read(at("Music/001 Caf\xE9.mp3")), "legacy");
    ASSERT_TRUE(fs().renameInFolder("C:\\Music\\001 Caf\xE9.mp3", "Caf\xE9.mp3").ok());
    EXPECT_EQ(read(at("Music/Caf\xE9.mp3")), "legacy");
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
