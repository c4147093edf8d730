#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kavora::platform::internal {

// Decodes the code point that starts at bytes[i] and moves i past it. A
// malformed, overlong or surrogate sequence yields nothing and leaves i alone.
std::optional<char32_t> decodeUtf8(std::string_view bytes, std::size_t& i);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

} // namespace kavora::platform::internal
