#include "processing/playlist/PlsPlaylist.h"

#include "platform/LineReader.h"
#include "processing/playlist/PlaylistFormat.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>

namespace kavora::playlist {

namespace {

using platform::FsError;
using platform::FsFailure;

std::string_view trimmed(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

// The N of "<key>N", or nothing.
std::optional<std::uint64_t> numberAfter(std::string_view key, std::string_view name)
{
    if (!key.starts_with(name) || key.size() == name.size())
        return std::nullopt;
    std::uint64_t number = 0;
    const char* end = key.data() + key.size();
    const auto [stop, error] = std::from_chars(key.data() + name.size(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

FsFailure cutShort(std::string reason)
{
    return FsFailure{FsError::NotAPlaylist, "PLS playlist cut short: " + std::move(reason)};
}

struct PlsEntry {
    std::optional<PlaylistItem> file;
    std::string title;
};

} // namespace

bool isPlsHeader(std::string_view line)
{
    return lowered(trimmed(line)) == "[playlist]";
}

platform::FsResult<std::vector<PlaylistItem>> readPlsPlaylist(platform::LineReader& lines)
{
    std::map<std::uint64_t, PlsEntry> entries;
    std::optional<std::uint64_t> declared;
    bool inSection = false;
    std::size_t held = 0;
    const auto alwaysAFile = [](std::string_view) { return true; };
    while (!lines.atEnd()) {
        platform::LineReader::Line line = lines.readLine();
        const std::string_view text = trimmed(line.text);
        if (text.starts_with('[')) {
            inSection = isPlsHeader(text);
            continue;
        }
        const std::size_t equals = text.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        const std::string key = lowered(trimmed(text.substr(0, equals)));
        const std::string_view value = trimmed(text.substr(equals + 1));
        held += value.size();
        if (held > kLargestWholePlaylist)
            return tooLarge();
        if (const auto number = numberAfter(key, "file")) {
            entries[*number].file = classify({std::string(value), line.overlong}, alwaysAFile);
        } else if (const auto titled = numberAfter(key, "title")) {
            entries[*titled].title = value;
        } else if (key == "numberofentries") {
            std::uint64_t count = 0;
            const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), count);
            if (error == std::errc() && stop == value.data() + value.size())
                declared = count;
        }
    }
    if (!lines.status().ok())
        return lines.status().failure();
    if (!declared)
        return cutShort("no NumberOfEntries line");
    std::vector<PlaylistItem> items;
    for (auto& [number, entry] : entries) {
        if (!entry.file)
            continue;
        entry.file->title = std::move(entry.title);
        items.push_back(std::move(*entry.file));
    }
    if (items.size() < *declared)
        return cutShort(std::to_string(*declared) + " entries declared, " + std::to_string(items.size()) +
                        " found");
    return items;
}

} // namespace kavora::playlist
