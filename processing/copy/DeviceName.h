#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kavora::copy {

// The longest name FAT32, exFAT and NTFS take, in UTF-16 units.
inline constexpr std::size_t kLongestDeviceName = 255;

// A file name that FAT32, exFAT and NTFS all take, whatever the target is:
// decoded as the report shows it (UTF-8 kept, anything else read as
// Windows-1252); < > : " / \ | ? * and control characters as "_"; no trailing
// dot or space; at most 255 UTF-16 units and `byteLimit` bytes (the host's
// own limit), shortened before the extension.
std::string deviceFileName(std::string_view name, std::size_t byteLimit);

// "012 " for copy 12 of up to 999, "0012 " for copy 12 of 1000 to 9999.
std::string copyNumberPrefix(std::uint64_t number, std::uint64_t count);

// The name of copy `number` of `count`: "012 Song.mp3", with as many digits
// as `count` needs when it is over 999, made a device file name.
std::string numberedCopyName(std::uint64_t number, std::uint64_t count, std::string_view sourceName,
                             std::size_t byteLimit);

} // namespace kavora::copy
