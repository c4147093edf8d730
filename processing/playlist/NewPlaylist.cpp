#include "processing/playlist/NewPlaylist.h"

#include "processing/playlist/PlaylistLine.h"

namespace kavora {

using platform::FsStatus;

platform::FsResult<NewPlaylist> NewPlaylist::create(const platform::FileSystem& fileSystem,
                                                    std::string_view path, platform::LineWriter::Mark mark,
                                                    std::optional<platform::FileIdentity> spent)
{
    auto created = platform::LineWriter::create(fileSystem, path, mark, spent);
    if (!created)
        return created.failure();
    return NewPlaylist(std::move(created).value());
}

NewPlaylist::NewPlaylist(std::unique_ptr<platform::LineWriter> writer) : m_writer(std::move(writer)) {}

FsStatus NewPlaylist::writeHeld(bool withTitle)
{
    for (std::size_t index = withTitle ? 0 : 1; index < m_held.size(); ++index) {
        if (FsStatus written = m_writer->writeLine(m_held[index]); !written)
            return written;
    }
    m_held.clear();
    return {};
}

FsStatus NewPlaylist::copy(std::string_view line)
{
    if (playlist::isTitle(line)) {
        // A title with no entry after it describes nothing that is left out.
        if (FsStatus written = writeHeld(true); !written)
            return written;
        m_held.emplace_back(line);
        return {};
    }
    if (!m_held.empty()) {
        m_held.emplace_back(line);
        return {};
    }
    return m_writer->writeLine(line);
}

FsStatus NewPlaylist::leaveOut()
{
    return writeHeld(false);
}

platform::FsResult<NewPlaylist::Listed> NewPlaylist::list(std::string_view entryLine,
                                                          std::string_view titleLine)
{
    if (!titleLine.empty()) {
        if (FsStatus held = copy(titleLine); !held)
            return held.failure();
    }
    Listed listed{m_writer->size(), std::move(m_held)};
    m_held.clear();
    std::vector<std::string_view> record(listed.held.begin(), listed.held.end());
    record.push_back(entryLine);
    if (FsStatus written = m_writer->writeLines(record); !written)
        return written.failure();
    return listed;
}

FsStatus NewPlaylist::takeBack(Listed listed)
{
    if (FsStatus cut = m_writer->cutBackTo(listed.start); !cut)
        return cut;
    m_held = std::move(listed.held);
    return writeHeld(false);
}

FsStatus NewPlaylist::close()
{
    if (FsStatus written = writeHeld(true); !written)
        return written;
    return m_writer->close();
}

} // namespace kavora
