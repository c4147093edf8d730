#include "platform/qt/InstanceRequest.h"

#include <gtest/gtest.h>

namespace kavora::platform {
namespace {

using Kind = InstanceRequest::Kind;

std::string bytes(std::string_view text)
{
    return std::string(text);
}

// What a second start sends, and which messages the running copy takes: only
// a known kind with exactly as many bytes as its length says, and for a
// playlist a path without NUL of at most 32,767 bytes.
TEST(InstanceRequest, OnlyWellFormedRequestsAreRead)
{
    const std::string longest(kLongestPlaylistPath, 'a');
    const struct {
        const char* what;
        std::string message;
        std::optional<InstanceRequest> read;
    } cases[] = {
        {"restore", bytes({"\x01\0\0\0\0", 5}), InstanceRequest{}},
        {"playlist", bytes({"\x02\0\0\0\x0f/home/u/mix.m3u", 20}),
         InstanceRequest{Kind::OpenPlaylist, "/home/u/mix.m3u"}},
        {"longest playlist", bytes({"\x02\0\0\x7f\xff", 5}) + longest,
         InstanceRequest{Kind::OpenPlaylist, longest}},
        {"nothing", "", std::nullopt},
        {"header cut short", bytes({"\x01\0\0\0", 4}), std::nullopt},
        {"kind 0", bytes({"\0\0\0\0\0", 5}), std::nullopt},
        {"kind 3", bytes({"\x03\0\0\0\x01x", 6}), std::nullopt},
        {"the old request line", "restore-and-foreground\n", std::nullopt},
        {"restore with bytes", bytes({"\x01\0\0\0\x01x", 6}), std::nullopt},
        {"length larger than the bytes", bytes({"\x02\0\0\0\x10/home/u/mix.m3u", 20}), std::nullopt},
        {"length smaller than the bytes", bytes({"\x02\0\0\0\x0e/home/u/mix.m3u", 20}), std::nullopt},
        {"length of four gigabytes", bytes({"\x02\xff\xff\xff\xff/x", 7}), std::nullopt},
        {"empty path", bytes({"\x02\0\0\0\0", 5}), std::nullopt},
        {"NUL in the path", bytes({"\x02\0\0\0\3a\0b", 8}), std::nullopt},
        {"oversized path", bytes({"\x02\0\0\x80\0", 5}) + longest + "a", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<InstanceRequest> read = decodeRequest(c.message);
        ASSERT_EQ(read.has_value(), c.read.has_value());
        if (!read)
            continue;
        EXPECT_EQ(read->kind, c.read->kind);
        EXPECT_EQ(read->playlist, c.read->playlist);
        EXPECT_EQ(encodeRequest(*read), c.message);
    }

    // What would be dropped is not sent.
    for (const std::string& path : {std::string(), longest + "a", bytes({"a\0b", 3})})
        EXPECT_EQ(encodeRequest({Kind::OpenPlaylist, path}), "") << path.size();
    // A restore request carries no path, whatever the record holds.
    EXPECT_EQ(encodeRequest({Kind::RestoreAndForeground, "/x"}), bytes({"\x01\0\0\0\0", 5}));
}

} // namespace
} // namespace kavora::platform
