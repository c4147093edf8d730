#include "platform/qt/InstanceRequest.h"

#include <gtest/gtest.h>

namespace kavora::platform {
namespace {

using namespace std::string_literals; // "..."s keeps the NULs inside the message
using Kind = InstanceRequest::Kind;

// What a second start sends, and which messages the running copy takes: only
// a known kind with exactly as many bytes as its length says, and for a
// playlist a path without NUL of at most 32,767 bytes.
TEST(InstanceRequest, OnlyWellFormedRequestsAreRead)
{
    const std::string longest(kLongestPlaylistPath, 'a');
    const std::pair<InstanceRequest, std::string> wellFormed[] = {
        {{}, "\x01\0\0\0\0"s},
        {{Kind::OpenPlaylist, "/home/u/mix.m3u"}, "\x02\0\0\0\x0f/home/u/mix.m3u"s},
        {{Kind::OpenPlaylist, longest}, "\x02\0\0\x7f\xff"s + longest},
    };
    for (const auto& [request, message] : wellFormed) {
        EXPECT_EQ(encodeRequest(request), message) << request.playlist.size();
        const std::optional<InstanceRequest> read = decodeRequest(message);
        ASSERT_TRUE(read.has_value()) << request.playlist.size();
        EXPECT_EQ(std::pair(read->kind, read->playlist), std::pair(request.kind, request.playlist));
    }
    const std::pair<const char*, std::string> malformed[] = {
        {"nothing", ""},
        {"header cut short", "\x01\0\0\0"s},
        {"kind 0", "\0\0\0\0\0"s},
        {"kind 3", "\x03\0\0\0\x01x"s},
        {"the old request line", "restore-and-foreground\n"},
        {"restore with bytes", "\x01\0\0\0\x01x"s},
        {"length larger than the bytes", "\x02\0\0\0\x10/home/u/mix.m3u"s},
        {"length smaller than the bytes", "\x02\0\0\0\x0e/home/u/mix.m3u"s},
        {"length of four gigabytes", "\x02\xff\xff\xff\xff/x"s},
        {"empty path", "\x02\0\0\0\0"s},
        {"NUL in the path", "\x02\0\0\0\3a\0b"s},
        {"oversized path", "\x02\0\0\x80\0"s + longest + "a"},
    };
    for (const auto& [what, message] : malformed)
        EXPECT_FALSE(decodeRequest(message).has_value()) << what;

    // What would be dropped is not sent.
    for (const std::string& path : {""s, longest + "a", "a\0b"s})
        EXPECT_EQ(encodeRequest({Kind::OpenPlaylist, path}), "") << path.size();
    // A restore request carries no path, whatever the record holds.
    EXPECT_EQ(encodeRequest({Kind::RestoreAndForeground, "/x"}), "\x01\0\0\0\0"s);
}

} // namespace
} // namespace kavora::platform
