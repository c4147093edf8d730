#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kavora::platform {
class FileSystem;
}

namespace kavora {

// The record of the current job, alive for the whole run and never saved.
// Windows and dialogs hand their results back only through these fields.
// Texts are bytes, exactly as typed or read from a playlist.
struct AppState {
    std::string OperationMode; // "Create", "Remove" or "Copy"
    std::string InputPlaylistPath;
    std::shared_ptr<const platform::FileSystem> FileSystem;
    std::string CurrentEntry;
    std::string MissingFileDirectory;
    std::string PlaylistDirectory;
    bool SkipFile = false;
    bool IgnoreErrors = false;
    std::int16_t UseDirectoryForAll = 0; // -1 when true, 0 when false
    std::string TargetFolder;            // where a copy goes, a path as typed
};

inline constexpr std::int16_t kTrue16 = -1;
inline constexpr std::int16_t kFalse16 = 0;

} // namespace kavora
