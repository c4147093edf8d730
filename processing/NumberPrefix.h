#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavora {

// The highest number that the three-digit prefix can carry.
inline constexpr std::uint64_t kHighestNumber = 999;
// "NNN " in front of a numbered file name.
inline constexpr std::size_t kPrefixLength = 4;

// "012 " for 12; `number` is 1 to 999.
std::string numberPrefix(std::uint64_t number);

// True when the name starts with three digits and a space.
bool hasNumberPrefix(std::string_view fileName);

// The name without its prefix when the prefix is `number`'s and what is left
// is a visible name: "012 Song.mp3" with 12 gives "Song.mp3"; "012 .x" and
// "012 " give nothing, as does any other number.
std::optional<std::string_view> nameWithoutNumber(std::string_view fileName, std::uint64_t number);

} // namespace kavora
