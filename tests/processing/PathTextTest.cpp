#include "processing/PathText.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kavora {
namespace {

TEST(PathTextTest, NumberedNameKeepsThreeDigitsInFrontOfTheFileName)
{
    struct Case {
        std::string path;
        std::uint64_t number;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"C:\\Music\\Song.mp3", 12, "C:\\Music\\012 Song.mp3"},
        {"C:\\Music\\Song.mp3", 1, "C:\\Music\\001 Song.mp3"},
        {"C:\\Music\\Song.mp3", 99, "C:\\Music\\099 Song.mp3"},
        {"C:\\Music\\Song.mp3", 100, "C:\\Music\\100 Song.mp3"},
        {"C:\\Music\\Song.mp3", 999, "C:\\Music\\999 Song.mp3"},
        {"Song.mp3", 1, "001 Song.mp3"},
        {"C:\\Music\\001 Song.mp3", 1, "C:\\Music\\001 001 Song.mp3"},
        {"\\\\server\\share\\a b.mp3", 7, "\\\\server\\share\\007 a b.mp3"},
        // Only the backslash separates: a slash stays inside the file name.
        {"C:\\Music/Song.mp3", 3, "C:\\003 Music/Song.mp3"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(numberedName(test.path, test.number), test.expected) << test.path;
    }
}

TEST(PathTextTest, UnnumberedNameCutsFourCharactersOfTheFileName)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"C:\\Music\\012 Song.mp3", "C:\\Music\\Song.mp3"},
        {"C:\\Music\\Track01.mp3", "C:\\Music\\k01.mp3"},
        {"001 Song.mp3", "Song.mp3"},
        {"C:\\A\\B\\001 x", "C:\\A\\B\\x"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(unnumberedName(path), expected) << path;
    }
}

TEST(PathTextTest, NewPlaylistReplacesTheLastFourCharacters)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"C:\\Lists\\mix.m3u", "C:\\Lists\\mix.kvr"},
        {"C:\\Lists\\mix.pl", "C:\\Lists\\mi.kvr"},
        {"C:\\Lists\\MIX.KVR", "C:\\Lists\\MIX.kvr"},
        {"a.b", ".kvr"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(newPlaylistPath(input), expected) << input;
    }
}

TEST(PathTextTest, PartsSplitAtTheLastBackslash)
{
    EXPECT_EQ(directoryPart("C:\\Music\\Song.mp3"), "C:\\Music\\");
    EXPECT_EQ(fileNamePart("C:\\Music\\Song.mp3"), "Song.mp3");
    EXPECT_EQ(directoryPart("Song.mp3"), "");
    EXPECT_EQ(fileNamePart("C:\\Music\\"), "");
    EXPECT_TRUE(hasWildcard("C:\\Music\\*.mp3") && hasWildcard("a?.mp3"));
    EXPECT_FALSE(hasWildcard("C:\\Music\\[1].mp3"));
}

} // namespace
} // namespace kavora
