#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kavora {

// The highest number that the three-digit prefix can carry.
inline constexpr std::uint64_t kHighestNumber = 999;
// "NNN " in front of a numbered file name.
inline constexpr std::size_t kPrefixLength = 4;

// Everything up to and including the last backslash; empty when there is none.
std::string_view directoryPart(std::string_view path);
// Everything after the last backslash; the whole path when there is none.
std::string_view fileNamePart(std::string_view path);

// The path with "NNN " in front of its file name; `number` is 1 to 999.
std::string numberedName(std::string_view path, std::uint64_t number);
// The path with the first four characters of its file name taken off. The
// caller makes sure the file name is longer than four characters.
std::string unnumberedName(std::string_view path);

// The ".kvr" playlist that Create writes for an input playlist: the input path
// less its last four characters (whatever they are), then ".kvr".
std::string newPlaylistPath(std::string_view inputPlaylistPath);

// True when the path holds a wildcard that the directory match would expand.
bool hasWildcard(std::string_view path);

} // namespace kavora
