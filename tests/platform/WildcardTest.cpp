#include "platform/FileSystem.h"

#include <gtest/gtest.h>

namespace kavora::platform {
namespace {

struct WildcardCase {
    const char* pattern;
    const char* name;
    bool matches;
};

// Test names stay ASCII: bytes outside it are shown as \xHH.
std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            constexpr char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    return out;
}

void PrintTo(const WildcardCase& c, std::ostream* out)
{
    *out << '"' << escaped(c.pattern) << "\" on \"" << escaped(c.name) << '"';
}

class Wildcards : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(Wildcards, MatchAsWindowsDoes)
{
    const WildcardCase& c = GetParam();
    EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << '"' << c.pattern << "\" on \"" << c.name << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, Wildcards,
    ::testing::Values(
        // "*.*" is every name, with or without a dot.
        WildcardCase{"*.*", "Song.mp3", true}, WildcardCase{"*.*", "README", true},
        WildcardCase{"*.*", ".hidden", true}, WildcardCase{"*", "a.b.c", true},
        // Extensions, case-insensitive, and no 8.3 short names.
        WildcardCase{"*.m3u", "mix.m3u", true}, WildcardCase{"*.m3u", "MIX.M3U", true},
        WildcardCase{"*.M3U", "mix.m3u", true}, WildcardCase{"*.m3u", "mix.m3u8", false},
        WildcardCase{"*.m3u", "mix.m3", false}, WildcardCase{"*.m3u", "m3u", false},
        WildcardCase{"*.kvr", "a.m3u.kvr", true}, WildcardCase{"*.pl", "list.pl", true},
        // "?" is exactly one character, a multi-byte one included.
        WildcardCase{"?.mp3", "a.mp3", true}, WildcardCase{"?.mp3", "ab.mp3", false},
        WildcardCase{"?.mp3", ".mp3", false}, WildcardCase{"Caf?.mp3", "Caf\xC3\xA9.mp3", true},
        WildcardCase{"0??*", "012 Song.mp3", true}, WildcardCase{"0??*", "01", false},
        // Stars anywhere, with backtracking.
        WildcardCase{"*a*b*c", "xxaxxbxxc", true}, WildcardCase{"*a*b*c", "xxaxxcxxb", false},
        WildcardCase{"a*a", "aaaa", true}, WildcardCase{"**.mp3", "x.mp3", true},
        WildcardCase{"*", "*x", true}, WildcardCase{"a*c", "a*bc", true}, WildcardCase{"?*", "?", true},
        // A trailing ".*" also matches a name without a dot.
        WildcardCase{"Song.*", "Song", true}, WildcardCase{"Song.*", "Song.mp3", true},
        WildcardCase{"Song.*", "Songs", false},
        // Letters of other scripts fold too; other bytes only equal themselves.
        WildcardCase{"\xC3\x89T\xC3\x89.*", "\xC3\xA9t\xC3\xA9.mp3", true},
        WildcardCase{"\xD0\x9C*", "\xD0\xBC\xD1\x83.mp3", true}, WildcardCase{"*\xE9*", "caf\xE9", true},
        WildcardCase{"*\xE9*", "caf\xC9", false}, WildcardCase{"[ab]*", "a", false},
        WildcardCase{"", "a", false}));

} // namespace
} // namespace kavora::platform
