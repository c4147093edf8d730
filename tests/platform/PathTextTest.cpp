#include "platform/PathText.h"

#include "platform/FileSystem.h"
#include "platform/internal/CaseFold.h"
#include "platform/internal/OpenFolder.h"
#include "platform/internal/Utf8.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <map>
#include <tuple>
#include <unicode/unorm2.h>
#include <wctype.h>

namespace kavora::platform::test {
namespace {

// Both separators split folder from name alike; how a path starts decides
// what it is relative to; a join adds one separator only where none stands.
TEST(PathText, FolderNameFormAndJoin)
{
    const struct {
        std::string path, directory, name;
        PathForm form;
    } paths[] = {{"C:\\Music\\Song.mp3", "C:\\Music\\", "Song.mp3", PathForm::DriveAbsolute},
                 {"C:/Music/Song.mp3", "C:/Music/", "Song.mp3", PathForm::DriveAbsolute},
                 {"C:\\Music/Sub\\Song.mp3", "C:\\Music/Sub\\", "Song.mp3", PathForm::DriveAbsolute},
                 {"/home/u/Music/Song.mp3", "/home/u/Music/", "Song.mp3", PathForm::HostAbsolute},
                 {"\\Music\\Song.mp3", "\\Music\\", "Song.mp3", PathForm::DriveRooted},
                 {"Music/Song.mp3", "Music/", "Song.mp3", PathForm::Relative},
                 {".\\..\\Other\\Song.mp3", ".\\..\\Other\\", "Song.mp3", PathForm::Relative},
                 {"Song.mp3", "", "Song.mp3", PathForm::Relative},
                 {"C:Song.mp3", "", "C:Song.mp3", PathForm::DriveRelative},
                 {"C:\\", "C:\\", "", PathForm::DriveAbsolute}};
    for (const auto& p : paths) {
        EXPECT_EQ(directoryPart(p.path), p.directory) << p.path;
        EXPECT_EQ(fileNamePart(p.path), p.name) << p.path;
        EXPECT_EQ(formOf(p.path), p.form) << p.path;
    }
    EXPECT_EQ(drivePart("c:\\x"), "c:");
    EXPECT_EQ(drivePart("/c:/x"), "");

    const std::tuple<std::string, std::string, std::string> joins[] = {
        {"C:\\Music", "song.mp3", "C:\\Music\\song.mp3"},
        {"C:\\Music\\", "song.mp3", "C:\\Music\\song.mp3"},
        {"/home/u/Lists", "../a.mp3", "/home/u/Lists/../a.mp3"},
        {"C:\\Lists", "\\a.mp3", "C:\\Lists\\a.mp3"},
        {"", "Song.mp3", "Song.mp3"},
        {"C:", "Song.mp3", "C:\\Song.mp3"},
        {"D:\\Backup/", "B.mp3", "D:\\Backup/B.mp3"}};
    for (const auto& [directory, path, joined] : joins)
        EXPECT_EQ(joinPath(directory, path), joined) << directory << " + " << path;

    const std::pair<std::string, std::string> normals[] = {
        {"C:\\Lists\\..\\Music\\A.mp3", "C:\\Music\\A.mp3"},
        {"C:\\Music\\foo/../.\\A.mp3", "C:\\Music\\A.mp3"},
        {"C:\\..\\..\\A.mp3", "C:\\A.mp3"},
        {"/home/u/../../../A.mp3", "/A.mp3"},
        {"Lists/../../Music//A.mp3", "../Music/A.mp3"},
        {"C:/Music\\Sub\\", "C:/Music/Sub/"},
        {"C:a\\..\\b", "C:b"},
        {"\\Music\\.\\A.mp3", "\\Music\\A.mp3"},
        {"Music/..a/.b", "Music/..a/.b"},
        {"C:\\Music\\...\\A.mp3", "C:\\Music\\...\\A.mp3"},
        {"/home/u/Music/.", "/home/u/Music"},
        {"C:\\Music\\A.mp3\\..", "C:\\Music"},
        {"C:\\Music\\\\A.mp3", "C:\\Music\\A.mp3"}};
    for (const auto& [path, normal] : normals)
        EXPECT_EQ(lexicallyNormal(path), normal) << path;

    const std::pair<std::string, std::string> listed[] = {
        {"C:\\Music\\", "C:\\Music"}, {"C:\\Music\\\\", "C:\\Music"},
        {"C:\\Music", "C:\\Music"},   {"C:\\", "C:\\"},
        {"C:\\\\", "C:\\"},           {"C:", "C:\\"}};
    for (const auto& [directory, form] : listed)
        EXPECT_EQ(listedDirectory(directory), form) << directory;
}

// The system's folders, judged on real paths: the user's own home is never
// one (root's included), removable media under /run are not.
TEST(PathText, SystemLocations)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"/etc/passwd", "/home/al", true},
        {"/usr/share/a.mp3", "/home/al", true},
        {"/var/lib/mpd/a.mp3", "/home/al", true},
        {"/lib64/x", "/home/al", true},
        {"/libx32/x", "/home/al", true},
        {"/run/user/1000/a", "/home/al", true},
        {"/root/a.mp3", "/home/al", true},
        {"/root/a.mp3", "/root", false},
        {"/run/media/al/USB/a.mp3", "/home/al", false},
        {"/home/al/Music/a.mp3", "/home/al", false},
        {"/etcetera/a.mp3", "/home/al", false},
        {"/var/home/al/a.mp3", "/var/home/al", false},
        {"/media/USB/a.mp3", "/home/al", false},
        {"/tmp/a.mp3", "/", false}};
    for (const auto& [path, home, system] : cases)
        EXPECT_EQ(internal::isSystemLocation(path, home), system) << path << " with home " << home;
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

// Names are equal as Windows finds them, each character by its upper case:
// every code point of the plane, checked against the C library's mapping,
// neither more nor fewer of them equal. A character that another stands for
// canonically (U+212B for U+00C5) equals that one, as NFC and NFD names do.
TEST(CaseFold, EveryCharacterEqualsItsUpperCaseAndNothingElse)
{
    const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (utf8 == nullptr)
        GTEST_SKIP() << "no C.UTF-8 locale to take the upper cases from";
    const auto bytesOf = [](char32_t c) {
        std::string bytes;
        internal::appendUtf8(bytes, c);
        return bytes;
    };
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    ASSERT_TRUE(U_SUCCESS(status));
    const auto composes = [&](char32_t c) {
        const auto unit = static_cast<UChar>(c);
        return unorm2_isNormalized(nfc, &unit, 1, &status) == 0;
    };
    std::map<std::u32string, char32_t> upperOfFolded;
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || composes(c) ||
            composes(::towupper_l(static_cast<wint_t>(c), utf8)))
            continue;
        const auto upper = static_cast<char32_t>(::towupper_l(static_cast<wint_t>(c), utf8));
        const std::u32string folded = internal::foldedName(bytesOf(c));
        EXPECT_EQ(folded, internal::foldedName(bytesOf(upper))) << std::hex << "U+" << std::uint32_t{c};
        EXPECT_EQ(upperOfFolded.emplace(folded, upper).first->second, upper)
            << std::hex << "U+" << std::uint32_t{c} << " is equal to another upper case";
    }
    ::freelocale(utf8);
}

} // namespace
} // namespace kavora::platform::test
