#include "processing/FolderCheck.h"

namespace kavora {

platform::FsStatus FolderCheck::beforeRename(const platform::FileSystem& fileSystem,
                                             const platform::FoundFile& file)
{
    const auto now = std::chrono::steady_clock::now();
    if (file.folder == m_folder && m_renames < kGroupFiles && now - m_lookedAt < kGroupTime) {
        ++m_renames;
        return {};
    }
    platform::FsStatus there = fileSystem.folderStillThere(file);
    if (there) {
        m_folder = file.folder;
        m_renames = 1;
        m_lookedAt = now;
    }
    return there;
}

} // namespace kavora
