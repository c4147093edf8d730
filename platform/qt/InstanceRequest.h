#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavora::platform {

// What a second start asks of the running copy, one request per connection: a
// kind byte, the number of bytes that follow (four bytes, the most significant
// first), then those bytes. Anything else that arrives is not a request of
// ours and asks for nothing.
struct InstanceRequest {
    enum class Kind : std::uint8_t {
        RestoreAndForeground = 1, // nothing follows
        OpenPlaylist = 2,         // the playlist's path follows
    };
    Kind kind = Kind::RestoreAndForeground;
    std::string playlist; // OpenPlaylist: 1 to kLongestPlaylistPath bytes, no NUL
};

// The longest path Windows takes; no host path comes near it.
inline constexpr std::size_t kLongestPlaylistPath = 32767;
inline constexpr std::size_t kRequestHeaderSize = 5;
inline constexpr std::size_t kLongestRequest = kRequestHeaderSize + kLongestPlaylistPath;

// The request as it goes on the wire; empty for one that the running copy
// would drop (a playlist path that is empty, too long or holds a NUL).
std::string encodeRequest(const InstanceRequest& request);

// The request that `message` holds exactly, or nothing when it is malformed.
std::optional<InstanceRequest> decodeRequest(std::string_view message);

} // namespace kavora::platform
