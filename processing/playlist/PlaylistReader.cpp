#include "processing/playlist/PlaylistReader.h"

#include "platform/ByteReader.h"
#include "platform/TextCheck.h"
#include "processing/playlist/PlsPlaylist.h"
#include "processing/playlist/XmlPlaylist.h"

#include <vector>

namespace kavora::playlist {

namespace {

enum class Family { Lines, Pls, Xml };

// The family a playlist is of, from its first bytes (whatever its name says):
// markup when its first character is '<', PLS when a line opens the
// "[playlist]" section, one entry per line otherwise.
Family familyOf(std::string_view head)
{
    if (head.starts_with("\xEF\xBB\xBF"))
        head.remove_prefix(3);
    // UTF-16, with or without a mark, is looked at by its ASCII characters.
    std::string ascii;
    const bool wide = head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF") ||
                      (head.size() >= 2 && (head[0] == '\0' || head[1] == '\0'));
    if (wide) {
        for (const char c :
             head.substr(head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF") ? 2 : 0)) {
            if (c != '\0')
                ascii += c;
        }
        head = ascii;
    }
    const std::size_t first = head.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && head[first] == '<')
        return Family::Xml;
    for (std::size_t start = 0; start < head.size();) {
        const std::size_t end = std::min(head.find_first_of("\r\n", start), head.size());
        if (isPlsHeader(head.substr(start, end - start)))
            return Family::Pls;
        start = end + 1;
    }
    return Family::Lines;
}

} // namespace

struct PlaylistReader::Impl {
    Format format = Format::LineList;
    platform::FileIdentity identity;
    std::unique_ptr<platform::LineReader> lines;  // a line list, read as it goes; PLS read
    std::unique_ptr<platform::ByteReader> source; // XML read
    std::vector<PlaylistItem> entries;            // the formats read whole
    std::size_t nextEntry = 0;
    std::string title; // of the last "#EXTINF" line, for the entry after it
    platform::FsStatus status;

    std::optional<PlaylistItem> nextLine(const FileTest& fileExists)
    {
        if (lines->atEnd())
            return std::nullopt;
        PlaylistItem item = classify(lines->readLine(), fileExists);
        if (item.kind == PlaylistItem::Kind::Directive && isTitle(item.text)) {
            title = titleOf(item.text);
        } else if (item.kind != PlaylistItem::Kind::Blank && item.kind != PlaylistItem::Kind::Directive) {
            item.title = std::move(title);
            title.clear();
        }
        return item;
    }
};

PlaylistReader::PlaylistReader(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

PlaylistReader::~PlaylistReader() = default;

platform::FsResult<std::unique_ptr<PlaylistReader>>
PlaylistReader::open(const platform::FileSystem& fileSystem, std::string_view path)
{
    auto opened = platform::ByteReader::open(fileSystem, path);
    if (!opened)
        return opened.failure();
    return over(std::move(opened).value());
}

platform::FsResult<std::unique_ptr<PlaylistReader>> PlaylistReader::fromBytes(std::string bytes)
{
    return over(platform::ByteReader::fromBytes(std::move(bytes)));
}

platform::FsResult<std::unique_ptr<PlaylistReader>>
PlaylistReader::over(std::unique_ptr<platform::ByteReader> source)
{
    auto impl = std::make_unique<Impl>();
    impl->identity = source->identity();
    std::string head;
    while (head.size() < platform::kTextCheckBytes && source->read(head) > 0) {
    }
    if (const platform::FsStatus text = platform::checkTextStart(head); !text)
        return text.failure();
    // A read error leaves a line list at its end, where a job reports it.
    const Family family = source->status().ok() ? familyOf(head) : Family::Lines;
    if (family != Family::Lines && source->size() > kLargestWholePlaylist)
        return tooLarge();
    switch (family) {
    case Family::Lines:
        impl->lines = platform::LineReader::over(std::move(source), std::move(head));
        break;
    case Family::Pls: {
        auto lines = platform::LineReader::over(std::move(source), std::move(head));
        auto read = readPlsPlaylist(*lines);
        if (!read)
            return read.failure();
        impl->format = Format::Pls;
        impl->entries = std::move(read).value();
        impl->lines = std::move(lines);
        break;
    }
    case Family::Xml: {
        auto read = readXmlPlaylist(*source, std::move(head));
        if (!read)
            return read.failure();
        impl->format = read.value().format;
        impl->entries = std::move(read.value().entries);
        impl->source = std::move(source);
        break;
    }
    }
    return std::unique_ptr<PlaylistReader>(new PlaylistReader(std::move(impl)));
}

Format PlaylistReader::format() const
{
    return m_impl->format;
}

std::optional<PlaylistItem> PlaylistReader::next(const FileTest& fileExists)
{
    if (m_impl->format == Format::LineList)
        return m_impl->nextLine(fileExists);
    if (m_impl->nextEntry == m_impl->entries.size())
        return std::nullopt;
    return std::move(m_impl->entries[m_impl->nextEntry++]);
}

platform::TextEncoding PlaylistReader::encoding()
{
    return m_impl->format == Format::LineList ? m_impl->lines->encoding() : platform::TextEncoding::Bytes;
}

platform::FileIdentity PlaylistReader::identity() const
{
    return m_impl->identity;
}

const platform::FsStatus& PlaylistReader::status() const
{
    return m_impl->format == Format::LineList ? m_impl->lines->status() : m_impl->status;
}

platform::FsStatus PlaylistReader::lockExclusively()
{
    return m_impl->lines ? m_impl->lines->lockExclusively() : m_impl->source->lockExclusively();
}

} // namespace kavora::playlist
