#include "processing/playlist/PlaylistLine.h"

#include "platform/PathText.h"

#include <algorithm>
#include <cctype>

namespace kavora::playlist {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// ASCII only: what is compared are ASCII markers ("#EXTINF", "file:"), which
// a locale's own letter case (a Turkish dotless i) must not change; and a
// locale call per character was the most of reading a title line.
char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && std::equal(start.begin(), start.end(), text.begin(),
                                                     [](char a, char b) { return lower(a) == lower(b); });
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool hasEscapes(std::string_view text)
{
    for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at + 1)) {
        if (at + 2 < text.size() && hexValue(text[at + 1]) >= 0 && hexValue(text[at + 2]) >= 0)
            return true;
    }
    return false;
}

// %XX escapes decoded; a '%' that starts no escape stays as it is.
std::string percentDecode(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    // The text between escapes is taken a run at a time.
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t percent = std::min(text.find('%', at), text.size());
        decoded.append(text.substr(at, percent - at));
        if (percent == text.size())
            break;
        if (percent + 2 < text.size() && hexValue(text[percent + 1]) >= 0 &&
            hexValue(text[percent + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(text[percent + 1]) * 16 + hexValue(text[percent + 2]));
            at = percent + 3;
        } else {
            decoded += '%';
            at = percent + 1;
        }
    }
    return decoded;
}

// A file name as a URI path segment writes it: letters, digits and the
// characters a segment may hold as they are, every other byte as %XX.
std::string percentEncode(std::string_view name)
{
    static constexpr std::string_view kKept = "-._~!$&'()*+,;=:@";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 && byte < 0x80) {
            encoded += c;
        } else if (kKept.find(c) != std::string_view::npos) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

// The length of a URI scheme at the start of the line (letters, then letters,
// digits, '+', '-', '.'), up to its ':'; 0 when the line starts with none.
std::size_t schemeLength(std::string_view line)
{
    if (line.empty() || std::isalpha(static_cast<unsigned char>(line[0])) == 0)
        return 0;
    std::size_t end = 1;
    while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) != 0 ||
                                 line[end] == '+' || line[end] == '-' || line[end] == '.'))
        ++end;
    return end < line.size() && line[end] == ':' ? end : 0;
}

} // namespace

std::string newPlaylistPath(std::string_view inputPlaylistPath)
{
    const std::size_t nameStart = platform::fileNameStart(inputPlaylistPath);
    const std::size_t dot = inputPlaylistPath.rfind('.');
    // A dot that opens the name (".m3u") starts no extension.
    const bool hasExtension = dot != std::string_view::npos && dot > nameStart;
    std::string path(inputPlaylistPath.substr(0, hasExtension ? dot : inputPlaylistPath.size()));
    path += ".kvr";
    return path;
}

EntryText::EntryText(std::string line, std::string path, bool encoded)
    : m_line(std::move(line)), m_path(std::move(path)), m_encoded(encoded)
{
}

EntryText EntryText::plainPath(std::string line)
{
    std::string path = line;
    return EntryText(std::move(line), std::move(path), false);
}

std::optional<EntryText> EntryText::fileUri(std::string_view line)
{
    if (schemeLength(line) != 4 || !startsWithIgnoringCase(line, "file:/"))
        return std::nullopt;
    std::string_view path = line.substr(5);
    if (path.starts_with("//")) {
        const std::size_t authorityEnd = std::min(path.find('/', 2), path.size());
        const std::string_view authority = path.substr(2, authorityEnd - 2);
        const bool drive = authority.size() == 2 && authority[1] == ':';
        const bool local =
            authority.empty() || (authority.size() == 9 && startsWithIgnoringCase(authority, "localhost"));
        if (!drive && !local)
            return std::nullopt;
        path = drive ? path.substr(2) : path.substr(authorityEnd);
    }
    std::string decoded = percentDecode(path);
    // "/C:/Music/..." and the older "/C|/Music/..." are Windows paths.
    if (decoded.size() >= 3 && decoded[0] == '/' &&
        std::isalpha(static_cast<unsigned char>(decoded[1])) != 0 &&
        (decoded[2] == ':' || decoded[2] == '|')) {
        decoded.erase(0, 1);
        decoded[1] = ':';
    }
    if (decoded.empty())
        return std::nullopt;
    return EntryText(std::string(line), std::move(decoded), true);
}

std::optional<EntryText> EntryText::percentDecoded() const
{
    if (m_encoded || !hasEscapes(m_line))
        return std::nullopt;
    return EntryText(m_line, percentDecode(m_line), true);
}

std::string EntryText::withNumberedName(std::string_view prefix, std::string_view fileName) const
{
    const std::size_t nameStart = platform::fileNameStart(m_line);
    std::string line = m_line.substr(0, nameStart);
    if (!m_encoded) {
        line.append(prefix).append(fileName);
        return line;
    }
    // An escaped separator ("%5C") in the line's last part makes part of it a
    // folder once decoded: that part is written again before the number.
    const std::string writtenName = m_line.substr(nameStart);
    const std::string decodedName = percentDecode(writtenName);
    const std::string_view pathName = platform::fileNamePart(m_path);
    const std::string_view folderInName =
        std::string_view(decodedName)
            .substr(0, decodedName.size() - std::min(decodedName.size(), pathName.size()));
    line += percentEncode(folderInName);
    line += percentEncode(prefix);
    // The name as the line encodes it when it is still the file's name; the
    // file's own name, encoded, when it differs (in case or bytes).
    line += fileName == pathName && folderInName.empty() ? writtenName : percentEncode(fileName);
    return line;
}

PlaylistItem classify(platform::LineReader::Line line,
                      const std::function<bool(std::string_view)>& fileExists)
{
    PlaylistItem classified;
    classified.text = std::move(line.text);
    const std::string& text = classified.text;
    if (line.overlong) {
        classified.kind = PlaylistItem::Kind::Overlong;
        return classified;
    }
    const auto firstVisible = std::find_if_not(text.begin(), text.end(), isBlank);
    if (firstVisible == text.end()) {
        classified.kind = PlaylistItem::Kind::Blank;
        return classified;
    }
    if (*firstVisible == '#' && !fileExists(text)) {
        classified.kind = PlaylistItem::Kind::Directive;
        return classified;
    }
    const std::size_t scheme = schemeLength(text);
    if (scheme == 4 && startsWithIgnoringCase(text, "file:/")) {
        classified.entry = EntryText::fileUri(text);
        classified.kind = classified.entry ? PlaylistItem::Kind::Entry : PlaylistItem::Kind::Stream;
        return classified;
    }
    // One letter before ':' is a drive; two or more before "://" a scheme.
    if (scheme >= 2 && text.compare(scheme, 3, "://") == 0) {
        classified.kind = PlaylistItem::Kind::Stream;
        return classified;
    }
    classified.kind = PlaylistItem::Kind::Entry;
    classified.entry = EntryText::plainPath(text);
    return classified;
}

bool isTitle(std::string_view line)
{
    const auto firstVisible = std::find_if_not(line.begin(), line.end(), isBlank);
    return startsWithIgnoringCase(line.substr(static_cast<std::size_t>(firstVisible - line.begin())),
                                  "#EXTINF");
}

std::string_view titleOf(std::string_view titleLine)
{
    const std::size_t comma = titleLine.find(',');
    return comma == std::string_view::npos ? std::string_view() : titleLine.substr(comma + 1);
}

std::string titleLine(std::string_view title)
{
    return "#EXTINF:-1," + std::string(title);
}

std::string_view utf8Start(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80)
        --limit;
    return text.substr(0, limit);
}

std::string leadingCharacters(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size(); ++end) {
        const bool continuation = (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
        if (!continuation && characters++ == count)
            break;
    }
    return std::string(text.substr(0, end));
}

} // namespace kavora::playlist
