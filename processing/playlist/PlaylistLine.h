#pragma once

#include "platform/LineReader.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The lines of a playlist as players write them: extended-M3U directives and
// comments, blank lines, local paths (relative, Windows or host form, some
// percent-encoded), file:// URIs, and streams. The other formats' entries are
// told apart by the same rules.
namespace kavora::playlist {

// The ".kvr" playlist that Create writes beside an input playlist: the input's
// extension, whatever its length, replaced by ".kvr"; a name without one gets
// ".kvr" appended.
std::string newPlaylistPath(std::string_view inputPlaylistPath);

// How an entry line names its file: the path to look it up by, and the line's
// own form, so that the new playlist writes the numbered name the same way.
class EntryText final {
public:
    // A line that names its file by a path, exactly as written.
    static EntryText plainPath(std::string line);
    // A file:// URI that names a local file; nothing for any other host.
    static std::optional<EntryText> fileUri(std::string_view line);

    const std::string& path() const { return m_path; }
    // The same line with its %XX escapes decoded; nothing when it has none.
    std::optional<EntryText> percentDecoded() const;
    // The line with `prefix` put in front of its file name and the file name
    // replaced by `fileName`, encoded as the line encodes its name. The folder
    // part stays as written.
    std::string withNumberedName(std::string_view prefix, std::string_view fileName) const;

private:
    EntryText(std::string line, std::string path, bool encoded);

    std::string m_line;
    std::string m_path;
    bool m_encoded = false; // the line writes its name percent-encoded
};

// One item of a playlist, in playlist order: a line of a line list, or an
// entry of the other formats.
struct PlaylistItem {
    enum class Kind {
        Entry,     // names a local file
        Blank,     // empty or white space only
        Directive, // '#' first and no file of that name: #EXTM3U, #EXTINF, comments
        Stream,    // a URI of another scheme or host: not a local file
        Overlong,  // longer than any path; `text` holds its start only
    };
    Kind kind = Kind::Blank;
    // As written: the line, or the value with the format's own markup
    // (entities, character references) decoded.
    std::string text;
    std::string title; // the entry's title where the playlist gives one
    std::optional<EntryText> entry;
};

// What a line read from a playlist is. `fileExists` tells whether a file is at
// a path as a line writes it; it is asked for '#' lines only.
PlaylistItem classify(platform::LineReader::Line line,
                      const std::function<bool(std::string_view)>& fileExists);

// True for an "#EXTINF" line: the title of the entry that follows it.
bool isTitle(std::string_view line);
// The title an "#EXTINF" line gives: what follows its first comma.
std::string_view titleOf(std::string_view titleLine);
// The "#EXTINF" line that gives a title of unknown length.
std::string titleLine(std::string_view title);

// The first `count` characters of a text: whole UTF-8 sequences where the text
// is UTF-8, bytes otherwise.
std::string leadingCharacters(std::string_view text, std::size_t count);
// At most `limit` bytes of UTF-8 text, cut between characters.
std::string_view utf8Start(std::string_view text, std::size_t limit);

} // namespace kavora::playlist
