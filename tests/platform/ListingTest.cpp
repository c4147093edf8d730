#include "TempTree.h"

#include <sys/stat.h>

namespace kavora::platform::test {
namespace {

using Names = std::vector<std::string>;

class Listing : public TempTree {};

TEST_F(Listing, SubdirectoriesSortedWithoutHiddenOrFiles)
{
    makeDir("Lists/beta");
    makeDir("Lists/Alpha");
    makeDir("Lists/gamma");
    makeDir("Lists/.config");
    write("Lists/file.m3u");
    ASSERT_EQ(::symlink("beta", (home() + "/Lists/linked").c_str()), 0);

    const FsResult<Names> found = fs().subdirectories("C:\\lists");
    ASSERT_TRUE(found.ok()) << found.failure().reason;
    EXPECT_EQ(found.value(), (Names{"Alpha", "beta", "gamma", "linked"}));
    EXPECT_EQ(fs().subdirectories("C:\\Lists\\Alpha").value(), Names{});
}

TEST_F(Listing, MatchingFilesAreOrdinaryFilesInCaseInsensitiveOrder)
{
    write("Lists/b.m3u");
    write("Lists/A.M3U");
    write("Lists/c.m3u");
    write("Lists/c.kvr");
    write("Lists/.hidden.m3u");
    makeDir("Lists/dir.m3u");
    ASSERT_EQ(::mkfifo((home() + "/Lists/pipe.m3u").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("b.m3u", (home() + "/Lists/link.m3u").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (home() + "/Lists/dangling.m3u").c_str()), 0);

    EXPECT_EQ(fs().matchingFiles("C:\\Lists", "*.m3u").value(),
              (Names{"A.M3U", "b.m3u", "c.m3u", "link.m3u"}));
    EXPECT_EQ(fs().matchingFiles("C:\\Lists\\", "*.*").value(),
              (Names{"A.M3U", "b.m3u", "c.kvr", "c.m3u", "link.m3u"}));
    EXPECT_EQ(fs().matchingFiles("C:\\Lists", "*.pl").value(), Names{});
}

TEST_F(Listing, ListingSomethingThatIsNoDirectoryFails)
{
    write("Lists/a.m3u");
    EXPECT_EQ(fs().matchingFiles("C:\\Missing", "*.*").failure().code, FsError::NotFound);
    EXPECT_EQ(fs().matchingFiles("C:\\Lists\\a.m3u", "*.*").failure().code, FsError::NotADirectory);
    EXPECT_EQ(fs().subdirectories("C:\\Lists\\a.m3u").failure().code, FsError::NotADirectory);
    EXPECT_EQ(fs().subdirectories("").failure().code, FsError::InvalidPath);
}

TEST_F(Listing, DriveRootsList)
{
    makeDir("My Documents");
    write("top.m3u");
    EXPECT_EQ(fs().subdirectories("C:\\").value(), Names{"My Documents"});
    EXPECT_EQ(fs().matchingFiles("C:", "*.m3u").value(), Names{"top.m3u"});
}

} // namespace
} // namespace kavora::platform::test
