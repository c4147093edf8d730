#include "TempTree.h"

#include <unistd.h>

namespace kavora::platform::test {
namespace {

using Names = std::vector<std::string>;

class Listing : public TempTree {};

TEST_F(Listing, OrdinaryFilesAndSubdirectoriesInCaseInsensitiveOrder)
{
    for (const char* name :
         {"b.m3u", "A.M3U", "C.m3u", "c.kvr", "B.M3U8", ".hidden.m3u8", "Dir/x", "alpha/x", ".config/x"})
        write(std::string("Lists/") + name);
    makeFifo("Lists/pipe.m3u");
    ASSERT_EQ(::symlink("b.m3u", at("Lists/link.m3u").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", at("Lists/dangling.m3u").c_str()), 0);
    ASSERT_EQ(::symlink("Dir", at("Lists/linked").c_str()), 0);
    EXPECT_EQ(fs().matchingFiles("C:\\lists", "*.m3u").value(),
              (Names{"A.M3U", "b.m3u", "C.m3u", "link.m3u"}));
    EXPECT_EQ(fs().matchingFiles("C:\\Lists\\", "*.*").value(),
              (Names{"A.M3U", "b.m3u", "B.M3U8", "c.kvr", "C.m3u", "link.m3u"}));
    // Several patterns: one sorted list, a name that matches two of them once.
    const std::string_view playlists[] = {"*.m3u8", "*.m3u", "b*"};
    EXPECT_EQ(fs().matchingFiles("C:\\Lists", playlists).value(),
              (Names{"A.M3U", "b.m3u", "B.M3U8", "C.m3u", "link.m3u"}));
    EXPECT_EQ(fs().subdirectories("C:\\Lists").value(), (Names{"alpha", "Dir", "linked"}));
    EXPECT_EQ(fs().subdirectories("C:\\").value(), Names{"Lists"});

    EXPECT_EQ(failureOf(fs().matchingFiles("C:\\Missing", "*.*")), FsError::NotFound);
    EXPECT_EQ(failureOf(fs().matchingFiles("C:\\Lists\\b.m3u", "*.*")), FsError::NotADirectory);
    EXPECT_EQ(failureOf(fs().subdirectories("")), FsError::InvalidPath);
}

// "*.*" is every name, dotted or not, as is a trailing ".*"; "?" is exactly one
// character, a multi-byte one included; no 8.3 short names; letters of other
// scripts fold, other bytes equal only themselves.
TEST(Wildcards, MatchAsWindowsDoes)
{
    using Cases = std::vector<std::pair<const char*, const char*>>;
    const Cases matches = {{"*.*", "Song.mp3"},     {"*.*", "README"},    {"*.*", ".hidden"},
                           {"*", "a.b.c"},          {"*.m3u", "MIX.M3U"}, {"*.M3U", "mix.m3u"},
                           {"*.kvr", "a.m3u.kvr"},  {"?.mp3", "a.mp3"},   {"0??*", "012 Song.mp3"},
                           {"*a*b*c", "xxaxxbxxc"}, {"a*a", "aaaa"},      {"**.mp3", "x.mp3"},
                           {"a*c", "a*bc"},         {"?*", "?"},          {"Song.*", "Song"},
                           {"*\xE9*", "caf\xE9"}};
    const Cases misses = {
        {"*.m3u", "mix.m3u8"}, {"*.m3u", "mix.m3"}, {"*.m3u", "m3u"},        {"?.mp3", "ab.mp3"},
        {"?.mp3", ".mp3"},     {"0??*", "01"},      {"*a*b*c", "xxaxxcxxb"}, {"[ab]*", "a"},
        {"Song.*", "Songs"},   {"", "a"},           {"*\xE9*", "caf\xC9"}};
    const Cases scripts = {{"Caf?.mp3", "Caf\xC3\xA9.mp3"},
                           {"\xC3\x89T\xC3\x89.*", "\xC3\xA9t\xC3\xA9.mp3"},
                           {"\xD0\x9C*", "\xD0\xBC\xD1\x83.mp3"}};
    for (const Cases& found : {matches, scripts})
        for (const auto& [pattern, name] : found)
            EXPECT_TRUE(wildcardMatch(pattern, name)) << '"' << pattern << "\" on \"" << name << '"';
    for (const auto& [pattern, name] : misses)
        EXPECT_FALSE(wildcardMatch(pattern, name)) << '"' << pattern << "\" on \"" << name << '"';
}

} // namespace
} // namespace kavora::platform::test
