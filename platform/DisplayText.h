#pragma once

#include <string>
#include <string_view>

namespace kavora::platform {

// Bytes as they are shown on screen: kept when they are valid UTF-8, otherwise
// read as Windows-1252. The result is always valid UTF-8.
std::string displayText(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);
std::string windows1252ToUtf8(std::string_view bytes);

} // namespace kavora::platform
