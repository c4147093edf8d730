#include "platform/internal/CaseFold.h"

#include "platform/internal/Utf8.h"

#include <cstdint>

namespace kavora::platform::internal {

namespace {

// Simple one-to-one folding of the scripts music file names use most: Latin
// (ASCII, Latin-1, Latin Extended-A), Greek and Cyrillic.
char32_t foldCodePoint(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        const bool evenUpper = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        if (evenUpper && c % 2 == 0)
            return c + 1;
        if (oddUpper && c % 2 == 1)
            return c + 1;
        return c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    return c;
}

// Decodes one code point at i; a malformed sequence takes one byte.
char32_t decodeAt(std::string_view bytes, std::size_t& i)
{
    if (const std::optional<char32_t> codePoint = decodeUtf8(bytes, i))
        return *codePoint;
    return static_cast<char32_t>(0xDC00u + static_cast<std::uint8_t>(bytes[i++]));
}

} // namespace

std::u32string foldedName(std::string_view bytes)
{
    // At most one code point a byte: written in place, cut to size at the end.
    std::u32string folded(bytes.size(), U'\0');
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Most names are ASCII: folded here without decoding.
        if (const auto byte = static_cast<std::uint8_t>(bytes[i]); byte < 0x80) {
            folded[length++] = byte >= 'A' && byte <= 'Z' ? char32_t{byte} + 0x20 : char32_t{byte};
            ++i;
        } else {
            folded[length++] = foldCodePoint(decodeAt(bytes, i));
        }
    }
    folded.resize(length);
    return folded;
}

bool equalIgnoringCase(std::string_view first, std::string_view second)
{
    return foldedName(first) == foldedName(second);
}

} // namespace kavora::platform::internal
