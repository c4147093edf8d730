#include "processing/playlist/PlaylistReader.h"

namespace kavora::playlist {

struct PlaylistReader::Impl {
    std::unique_ptr<platform::LineReader> lines;
    std::string title; // of the last "#EXTINF" line, for the entry after it

    std::optional<PlaylistItem> next(const FileTest& fileExists)
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

platform::FsResult<std::unique_ptr<PlaylistReader>> PlaylistReader::open(const platform::FileSystem& fileSystem,
                                                                          std::string_view path)
{
    auto opened = platform::LineReader::open(fileSystem, path);
    if (!opened)
        return opened.failure();
    auto impl = std::make_unique<Impl>();
    impl->lines = std::move(opened).value();
    return std::unique_ptr<PlaylistReader>(new PlaylistReader(std::move(impl)));
}

std::unique_ptr<PlaylistReader> PlaylistReader::fromBytes(std::string bytes)
{
    auto impl = std::make_unique<Impl>();
    impl->lines = platform::LineReader::fromBytes(std::move(bytes));
    return std::unique_ptr<PlaylistReader>(new PlaylistReader(std::move(impl)));
}

Format PlaylistReader::format() const
{
    return Format::LineList;
}

std::optional<PlaylistItem> PlaylistReader::next(const FileTest& fileExists)
{
    return m_impl->next(fileExists);
}

platform::TextEncoding PlaylistReader::encoding()
{
    return m_impl->lines->encoding();
}

platform::FileIdentity PlaylistReader::identity() const
{
    return m_impl->lines->identity();
}

const platform::FsStatus& PlaylistReader::status() const
{
    return m_impl->lines->status();
}

platform::FsStatus PlaylistReader::lockExclusively()
{
    return m_impl->lines->lockExclusively();
}

} // namespace kavora::playlist
