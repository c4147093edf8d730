#include "processing/PathText.h"

#include <gtest/gtest.h>
#include <string>

namespace kavora {
namespace {

// Only the backslash separates: a slash stays inside the file name.
TEST(PathTextTest, NamesAreCutAtTheLastBackslashOnly)
{
    struct Case {
        std::string path, numbered12, unnumbered;
    } const cases[]{
        {"C:\\Music\\Song.mp3", "C:\\Music\\012 Song.mp3", "C:\\Music\\.mp3"},
        {"Song.mp3", "012 Song.mp3", ".mp3"},
        {"\\\\server\\share\\a b.mp3", "\\\\server\\share\\012 a b.mp3", "\\\\server\\share\\mp3"},
        {"C:\\Music/Song.mp3", "C:\\012 Music/Song.mp3", "C:\\c/Song.mp3"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(numberedName(test.path, 12), test.numbered12) << test.path;
        EXPECT_EQ(unnumberedName(test.path), test.unnumbered) << test.path;
    }
    // The last four characters are cut whatever they are.
    EXPECT_EQ(newPlaylistPath("C:\\Lists\\mix.m3u"), "C:\\Lists\\mix.kvr");
    EXPECT_EQ(newPlaylistPath("C:\\Lists\\mix.pl"), "C:\\Lists\\mi.kvr");
}

} // namespace
} // namespace kavora
