#pragma once

#include <string>
#include <string_view>

namespace kavora::platform {

// Bytes as they are shown on screen: kept when they are valid UTF-8, otherwise
// read as Windows-1252. The result is always valid UTF-8.
std::string displayText(std::string_view bytes);

// Shown text (valid UTF-8) fit for a terminal, which would obey control
// characters: each C0 control and DEL as "\x1B", each C1 control as
// "\u009B", so that no text can move the cursor, erase or recolour lines.
std::string withControlsEscaped(std::string_view shown);

bool isValidUtf8(std::string_view bytes);
std::string windows1252ToUtf8(std::string_view bytes);
// The code point a Windows-1252 byte stands for.
char32_t windows1252CodePoint(unsigned char byte);

} // namespace kavora::platform
