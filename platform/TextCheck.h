#pragma once

#include "platform/FsStatus.h"

#include <cstddef>
#include <string_view>

namespace kavora::platform {

// How much of a file's start tells text from anything else.
inline constexpr std::size_t kTextCheckBytes = std::size_t{64} * 1024;

// Refuses a file whose start (its first kTextCheckBytes, or all of a shorter
// file) holds a NUL byte, unless it begins with a UTF-16 byte-order mark: no
// playlist of any format holds one otherwise, and a binary file read as lines
// gives a report line for every stretch of noise. NotAPlaylist, "not a text
// file".
FsStatus checkTextStart(std::string_view start);

} // namespace kavora::platform
