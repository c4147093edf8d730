#pragma once

#include "processing/copy/CopyPlaces.h"

#include <QWidget>

#include <string>
#include <vector>

class QLineEdit;
class QTreeWidget;

namespace kavora::platform {
class FileSystem;
}

// The copy's step after the playlist is picked: where the copies go. It
// lists the places (mounted volumes first) with their free space and file
// system, and proposes a new folder named after the playlist in the one
// chosen; the folder's text can be edited. Stands where the report area does.
class CopyTargetStep final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CopyTargetStep)

public:
    CopyTargetStep(const kavora::platform::FileSystem& fileSystem, QWidget* parent);

    // Reads the places afresh and chooses the first, with a folder for this playlist.
    void showFor(const std::string& playlistPath);
    // The folder as shown, a path as typed.
    std::string targetFolder() const;

signals:
    void targetFolderChanged();

private:
    void placeChosen();

    const kavora::platform::FileSystem& m_fileSystem;
    std::string m_playlistPath;
    std::vector<kavora::copy::CopyPlace> m_places;
    QTreeWidget* const m_list1;
    QLineEdit* const m_tbTargetFolder;
};
