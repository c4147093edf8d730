#pragma once

#include "platform/FsStatus.h"

#include <cstddef>
#include <string>

namespace kavora::playlist {

// The formats read whole before an entry is used (PLS and XML) may hold no
// more: no playlist of music files comes near it, and memory stays bounded.
inline constexpr std::size_t kLargestWholePlaylist = std::size_t{8} * 1024 * 1024;

inline platform::FsFailure tooLarge()
{
    return {platform::FsError::NotAPlaylist,
            "larger than " + std::to_string(kLargestWholePlaylist >> 20) + " MiB"};
}

enum class Format {
    LineList, // M3U, M3U8, ".pl", ".kvr" and every other text of one entry per line
    Pls,      // the "[playlist]" section of FileN= keys
    Xspf,
    Wpl, // Windows Media Player's SMIL
    Asx,
};

} // namespace kavora::playlist
