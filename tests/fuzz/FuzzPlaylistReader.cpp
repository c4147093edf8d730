// Any bytes as a playlist, read as the jobs read it. Checks that a refusal
// says why, that no item is longer than a path may be (an overlong one keeps
// only its start) however the markup builds it, that a line list or PLS gives
// no more items than lines, that what the XML parser hands over stays UTF-8,
// and that a second reading gives the same items.
#include "platform/DisplayText.h"
#include "platform/LineReader.h"
#include "processing/playlist/PlaylistReader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using kavora::platform::LineReader;
using kavora::playlist::Format;
using kavora::playlist::PlaylistItem;
using kavora::playlist::PlaylistReader;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Reading {
    bool opened = false;
    Format format = Format::LineList;
    std::vector<PlaylistItem> items;
};

Reading readAll(const std::string& bytes)
{
    auto opened = PlaylistReader::fromBytes(bytes);
    if (!opened) {
        check(!opened.failure().reason.empty());
        return {};
    }
    PlaylistReader& reader = *opened.value();
    // Some '#' lines are files, some not.
    const auto fileExists = [](std::string_view path) { return path.size() % 2 == 0; };
    Reading reading{true, reader.format(), {}};
    while (auto item = reader.next(fileExists))
        reading.items.push_back(std::move(*item));
    check(!reader.next(fileExists));
    check(reader.status().ok());
    return reading;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const Reading reading = readAll(input);
    const bool xml = reading.format != Format::LineList && reading.format != Format::Pls;
    for (const PlaylistItem& item : reading.items) {
        const bool overlong = item.kind == PlaylistItem::Kind::Overlong;
        check(item.text.size() <= (overlong ? LineReader::kOverlongStart : LineReader::kLongestLine));
        check(item.title.size() <= LineReader::kLongestLine);
        check(item.entry.has_value() == (item.kind == PlaylistItem::Kind::Entry));
        check(!xml || overlong || kavora::platform::isValidUtf8(item.text));
        check(!xml || kavora::platform::isValidUtf8(item.title));
    }
    if (!xml) {
        const auto lineEnds = static_cast<std::size_t>(
            std::count_if(input.begin(), input.end(), [](char c) { return c == '\r' || c == '\n'; }));
        check(reading.items.size() <= lineEnds + 1);
    }
    const Reading again = readAll(input);
    check(again.opened == reading.opened && again.format == reading.format);
    check(again.items.size() == reading.items.size());
    for (std::size_t i = 0; i < again.items.size(); ++i) {
        const PlaylistItem &first = reading.items[i], &second = again.items[i];
        check(first.kind == second.kind && first.text == second.text && first.title == second.title);
        check(!first.entry || first.entry->path() == second.entry->path());
    }
    return 0;
}
