#include "TempTree.h"
#include "platform/internal/HostRename.h"

namespace kavora::platform::internal {

void PrintTo(RenameStrategy strategy, std::ostream* out)
{
    switch (strategy) {
    case RenameStrategy::Automatic:
        *out << "automatic";
        break;
    case RenameStrategy::LinkThenUnlink:
        *out << "link then unlink";
        break;
    case RenameStrategy::CheckThenRename:
        *out << "check then rename";
        break;
    }
}

} // namespace kavora::platform::internal

namespace kavora::platform::test {
namespace {

using internal::RenameStrategy;

class Rename : public TempTree {};

TEST_F(Rename, MovesTheFileWithinItsDirectory)
{
    const std::string song = write("Music/Song.mp3", "music");
    ASSERT_TRUE(fs().renameNoReplace("C:\\Music\\Song.mp3", "C:\\Music\\012 Song.mp3").ok());
    EXPECT_FALSE(exists(song));
    EXPECT_EQ(read(home() + "/Music/012 Song.mp3"), "music");
}

TEST_F(Rename, SourceIsFoundAsAnyLookupFindsIt)
{
    write("Music/Song.mp3", "music");
    ASSERT_TRUE(fs().renameNoReplace("c:/MUSIC/song.MP3", "c:/MUSIC/001 Song.mp3").ok());
    EXPECT_EQ(read(home() + "/Music/001 Song.mp3"), "music");
}

TEST_F(Rename, NeverReplacesAnExistingFile)
{
    const std::string song = write("Music/012 Song.mp3", "numbered");
    const std::string target = write("Music/Song.mp3", "precious");
    const FsStatus status = fs().renameNoReplace("C:\\Music\\012 Song.mp3", "C:\\Music\\Song.mp3");
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.failure().code, FsError::TargetExists);
    EXPECT_EQ(status.failure().reason, "target exists");
    EXPECT_EQ(read(target), "precious");
    EXPECT_EQ(read(song), "numbered");
}

TEST_F(Rename, NameDifferingOnlyInCaseIsARename)
{
    write("Music/a.mp3", "music");
    ASSERT_TRUE(fs().renameNoReplace("C:\\Music\\a.mp3", "C:\\Music\\A.mp3").ok());
    EXPECT_EQ(read(home() + "/Music/A.mp3"), "music");
    EXPECT_FALSE(exists(home() + "/Music/a.mp3"));
}

TEST_F(Rename, RenamingOntoItselfChangesNothing)
{
    const std::string song = write("Music/Song.mp3", "music");
    EXPECT_TRUE(fs().renameNoReplace("C:\\Music\\Song.mp3", "C:\\Music\\Song.mp3").ok());
    EXPECT_EQ(read(song), "music");
}

TEST_F(Rename, FailuresCarryTheirReason)
{
    write("Music/Song.mp3");
    write("Other/x.mp3");

    const FsStatus missing = fs().renameNoReplace("C:\\Music\\Gone.mp3", "C:\\Music\\001 Gone.mp3");
    EXPECT_EQ(missing.failure().code, FsError::NotFound);
    EXPECT_EQ(missing.failure().reason, "file not found");

    const FsStatus elsewhere = fs().renameNoReplace("C:\\Music\\Song.mp3", "C:\\Other\\Song.mp3");
    EXPECT_EQ(elsewhere.failure().code, FsError::InvalidPath);
    EXPECT_TRUE(exists(home() + "/Music/Song.mp3"));

    EXPECT_EQ(fs().renameNoReplace("C:\\Music\\Song.mp3", "C:\\Music\\").failure().code,
              FsError::InvalidPath);
    EXPECT_EQ(fs().renameNoReplace("C:\\Music\\Song.mp3", "C:\\Music\\*.mp3").failure().code,
              FsError::InvalidPath);

    if (::geteuid() != 0) {
        std::filesystem::permissions(home() + "/Music", std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        const FsStatus denied = fs().renameNoReplace("C:\\Music\\Song.mp3", "C:\\Music\\001 Song.mp3");
        std::filesystem::permissions(home() + "/Music", std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(denied.failure().code, FsError::PermissionDenied);
        EXPECT_EQ(denied.failure().reason, "permission denied");
    }
}

TEST_F(Rename, Windows1252TargetIsStoredAsUtf8)
{
    write("Music/Caf\xC3\xA9.mp3", "music");
    ASSERT_TRUE(fs().renameNoReplace("C:\\Music\\Caf\xE9.mp3", "C:\\Music\\001 Caf\xE9.mp3").ok());
    EXPECT_EQ(read(home() + "/Music/001 Caf\xC3\xA9.mp3"), "music");
    // Remove finds what Create renamed, by the same legacy text.
    ASSERT_TRUE(fs().renameNoReplace("C:\\Music\\001 Caf\xE9.mp3", "C:\\Music\\Caf\xE9.mp3").ok());
    EXPECT_EQ(read(home() + "/Music/Caf\xC3\xA9.mp3"), "music");
}

// Two names for one inode that differ in case are what a case-insensitive file
// system shows for a case-only rename; here the detour through a temporary name
// meets a real second name and must put the file back where it was.
TEST_F(Rename, CaseOnlyDetourThatMeetsAnotherNameLeavesEverythingInPlace)
{
    const std::string lower = write("Music/a.mp3", "music");
    const std::string upper = home() + "/Music/A.mp3";
    ASSERT_EQ(::link(lower.c_str(), upper.c_str()), 0);

    const FsStatus status = internal::renameNoReplaceOnHost(lower, upper);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.failure().code, FsError::TargetExists);
    EXPECT_EQ(read(lower), "music");
    EXPECT_EQ(read(upper), "music");
    std::size_t names = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home() + "/Music")) {
        EXPECT_EQ(entry.path().filename().string().rfind(".kavora-rename-", 0), std::string::npos);
        ++names;
    }
    EXPECT_EQ(names, 2u);
}

class RenameFallback : public TempTree, public ::testing::WithParamInterface<RenameStrategy> {};

TEST_P(RenameFallback, RenamesAndStillNeverReplaces)
{
    const std::string source = write("Music/Song.mp3", "music");
    const std::string target = home() + "/Music/001 Song.mp3";
    ASSERT_TRUE(internal::renameNoReplaceOnHost(source, target, GetParam()).ok());
    EXPECT_FALSE(exists(source));
    EXPECT_EQ(read(target), "music");

    const std::string other = write("Music/Other.mp3", "other");
    const FsStatus clash = internal::renameNoReplaceOnHost(other, target, GetParam());
    ASSERT_FALSE(clash.ok());
    EXPECT_EQ(clash.failure().code, FsError::TargetExists);
    EXPECT_EQ(read(target), "music");
    EXPECT_EQ(read(other), "other");

    const FsStatus missing = internal::renameNoReplaceOnHost(home() + "/Music/Gone.mp3", target, GetParam());
    EXPECT_EQ(missing.failure().code, FsError::NotFound);

    write("Music/b.mp3", "case");
    ASSERT_TRUE(
        internal::renameNoReplaceOnHost(home() + "/Music/b.mp3", home() + "/Music/B.mp3", GetParam()).ok());
    EXPECT_EQ(read(home() + "/Music/B.mp3"), "case");
}

INSTANTIATE_TEST_SUITE_P(Strategies, RenameFallback,
                         ::testing::Values(RenameStrategy::Automatic, RenameStrategy::LinkThenUnlink,
                                           RenameStrategy::CheckThenRename));

} // namespace
} // namespace kavora::platform::test
