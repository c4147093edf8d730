#pragma once

#include "platform/FileIdentity.h"

#include <optional>
#include <string>
#include <string_view>

namespace kavora {

class Job;

// A playlist with content that Create finds where its new playlist goes: the
// undo record of an earlier Create while a numbered file it lists is there.
struct EarlierPlaylist {
    // The file, when none of the numbered files it lists is there any more
    // (Remove ran, or the files went away): Create replaces it.
    std::optional<platform::FileIdentity> spent;
    // Otherwise the report line that says why it stays.
    std::string refusal;
};

// Reads the playlist at `path`. A listed file that cannot be looked at (its
// folder is missing, as on a stick not plugged in, or unreadable) may still
// be numbered, and keeps the playlist.
EarlierPlaylist examineEarlierPlaylist(const Job& job, std::string_view path);

} // namespace kavora
