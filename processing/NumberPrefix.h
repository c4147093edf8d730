#pragma once

#include <cstdint>
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

} // namespace kavora
