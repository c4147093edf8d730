#include "platform/internal/UnicodeForm.h"

#include <unicode/unorm2.h>

namespace kavora::platform::internal {

namespace {

std::u16string utf16Of(const std::u32string& text)
{
    std::u16string units;
    units.reserve(text.size());
    for (const char32_t c : text) {
        if (c > 0xFFFF) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

std::u32string utf32Of(const std::u16string& units)
{
    std::u32string text;
    text.reserve(units.size());
    for (std::size_t at = 0; at < units.size(); ++at) {
        const char16_t unit = units[at];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && at + 1 < units.size() &&
                          units[at + 1] >= 0xDC00 && units[at + 1] <= 0xDFFF;
        if (pair) {
            text += 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[at + 1] - 0xDC00);
            ++at;
        } else {
            text += unit;
        }
    }
    return text;
}

} // namespace

std::u32string composed(const std::u32string& text)
{
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status))
        return text;
    const std::u16string units = utf16Of(text);
    const auto length = static_cast<int32_t>(units.size());
    if (unorm2_isNormalized(nfc, units.data(), length, &status) && U_SUCCESS(status))
        return text;
    status = U_ZERO_ERROR;
    // A decomposition is at most a few times longer; ICU says how long it is
    // when the first guess falls short.
    std::u16string result(units.size() * 3 + 4, u'\0');
    int32_t written = unorm2_normalize(nfc, units.data(), length, result.data(),
                                       static_cast<int32_t>(result.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        result.assign(static_cast<std::size_t>(written), u'\0');
        written = unorm2_normalize(nfc, units.data(), length, result.data(), written, &status);
    }
    if (U_FAILURE(status))
        return text;
    result.resize(static_cast<std::size_t>(written));
    return utf32Of(result);
}

} // namespace kavora::platform::internal
