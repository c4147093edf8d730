#include "platform/DisplayText.h"

#include "platform/internal/Utf8.h"

#include <array>
#include <cstdint>

namespace kavora::platform {

namespace {

// Windows-1252 code points for the bytes 0x80 to 0x9F; the five bytes that
// code page leaves undefined map to the C1 controls of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<std::uint8_t>(bytes[i]) < 0x80)
            ++i;
        else if (!internal::decodeUtf8(bytes, i))
            return false;
    }
    return true;
}

std::string windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char byte : bytes)
        internal::appendUtf8(out, windows1252CodePoint(static_cast<unsigned char>(byte)));
    return out;
}

char32_t windows1252CodePoint(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80u] : byte;
}

std::string withControlsEscaped(std::string_view shown)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(shown.size());
    for (std::size_t at = 0; at < shown.size(); ++at) {
        const auto value = static_cast<std::uint8_t>(shown[at]);
        const bool c1 =
            value == 0xC2 && at + 1 < shown.size() && static_cast<std::uint8_t>(shown[at + 1]) < 0xA0;
        if (value < 0x20 || value == 0x7F) {
            out.append("\\x").push_back(kHex[value >> 4]);
            out.push_back(kHex[value & 0xF]);
        } else if (c1) {
            const auto code = static_cast<std::uint8_t>(shown[++at]);
            out.append("\\u00").push_back(kHex[code >> 4]);
            out.push_back(kHex[code & 0xF]);
        } else {
            out.push_back(shown[at]);
        }
    }
    return out;
}

std::string displayText(std::string_view bytes)
{
    return isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
}

} // namespace kavora::platform
