#include "platform/DisplayText.h"

#include <gtest/gtest.h>

namespace kavora::platform {
namespace {

TEST(DisplayText, Utf8IsKeptAndAnythingElseIsReadAsWindows1252)
{
    const struct {
        std::string bytes;
        std::string shown;
        bool validUtf8;
    } cases[] = {
        {"Song.mp3", "Song.mp3", true},
        {"Caf\xC3\xA9", "Caf\xC3\xA9", true},
        {"Caf\xE9", "Caf\xC3\xA9", false},
        {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8", false}, // the euro sign and Y with diaeresis
        {"\x81", "\xC2\x81", false},                   // undefined in the code page: kept as C1 control
        {"\xC0\xAF", "\xC3\x80\xC2\xAF", false},       // an overlong form is not UTF-8
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC", false}, // nor is a surrogate
        {"\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5", true},
        {"", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidUtf8(c.bytes), c.validUtf8) << c.shown;
        EXPECT_EQ(displayText(c.bytes), c.shown);
        EXPECT_TRUE(isValidUtf8(displayText(c.bytes)));
    }
}

} // namespace
} // namespace kavora::platform
