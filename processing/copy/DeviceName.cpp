#include "processing/copy/DeviceName.h"

#include "platform/DisplayText.h"

#include <algorithm>

namespace kavora::copy {

namespace {

// An extension longer than this is taken as part of the name when shortening.
constexpr std::size_t kLongestKeptExtension = 16;

bool isForbidden(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || std::string_view(R"(<>:"/\|?*)").find(c) != std::string_view::npos;
}

// The bytes of the UTF-8 sequence that starts with `lead`.
std::size_t sequenceLength(char lead)
{
    const auto byte = static_cast<unsigned char>(lead);
    return byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
}

// A character beyond the basic plane is a surrogate pair in UTF-16.
std::size_t utf16Units(std::string_view text)
{
    std::size_t units = 0;
    for (std::size_t at = 0; at < text.size(); at += sequenceLength(text[at]))
        units += sequenceLength(text[at]) == 4 ? std::size_t{2} : std::size_t{1};
    return units;
}

// The longest start of `text` within both limits, in whole characters.
std::string_view leadingPart(std::string_view text, std::size_t units, std::size_t bytes)
{
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t length = sequenceLength(text[end]);
        const std::size_t width = length == 4 ? std::size_t{2} : std::size_t{1};
        if (width > units || end + length > bytes)
            break;
        units -= width;
        end += length;
    }
    return text.substr(0, end);
}

void dropTrailingDotsAndSpaces(std::string& name)
{
    name.erase(name.find_last_not_of(". ") + 1);
}

} // namespace

std::string deviceFileName(std::string_view name, std::size_t byteLimit)
{
    std::string mended = platform::displayText(name);
    std::replace_if(mended.begin(), mended.end(), isForbidden, '_');
    dropTrailingDotsAndSpaces(mended);
    if (mended.empty())
        mended = "_";
    if (utf16Units(mended) <= kLongestDeviceName && mended.size() <= byteLimit)
        return mended;

    const std::size_t dot = mended.rfind('.');
    const bool keepsExtension =
        dot != std::string::npos && dot > 0 && mended.size() - dot <= kLongestKeptExtension;
    const std::string extension = keepsExtension ? mended.substr(dot) : std::string();
    std::string shortened(
        leadingPart(std::string_view(mended).substr(0, keepsExtension ? dot : mended.size()),
                    kLongestDeviceName - utf16Units(extension), byteLimit - extension.size()));
    if (!keepsExtension)
        dropTrailingDotsAndSpaces(shortened);
    return shortened + extension;
}

std::string copyNumberPrefix(std::uint64_t number, std::uint64_t count)
{
    const std::size_t width = std::max<std::size_t>(3, std::to_string(count).size());
    const std::string digits = std::to_string(number);
    std::string prefix(width > digits.size() ? width - digits.size() : 0, '0');
    prefix += digits;
    prefix += ' ';
    return prefix;
}

std::string numberedCopyName(std::uint64_t number, std::uint64_t count, std::string_view sourceName,
                             std::size_t byteLimit)
{
    return deviceFileName(copyNumberPrefix(number, count) + std::string(sourceName), byteLimit);
}

} // namespace kavora::copy
