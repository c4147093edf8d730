#pragma once

#include "platform/DriveMap.h"

#include <QWidget>

#include <span>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QTreeWidget;
class QPushButton;

namespace kavora {
class MessageBoxes;
namespace platform {
class FileSystem;
}
} // namespace kavora

// The selection window in which the user picks the playlist: drive list,
// directory list, file list, the type box and the path text box. Modeless and
// without an owner; it says by signals what the user asked for and deletes
// itself when closed, so that each opening starts from its design state.
//
// A handler set off by an assignment inside another handler runs at once,
// nested, as with a user's change; the "&Next" enabling rules depend on that.
class KVRFrmGetFilename final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KVRFrmGetFilename)

public:
    // Loads the window: drive C:, the first default folder that holds a file,
    // the first playlist type. `drives` keeps this opening's current folder
    // per drive. The file system and the message boxes must outlive it.
    KVRFrmGetFilename(const kavora::platform::FileSystem& fileSystem, kavora::MessageBoxes& messages,
                      kavora::platform::DriveMap drives);

    // Dir1's current path: "C:\" at a drive root, "C:\Music" elsewhere.
    const std::string& currentDirectory() const { return m_dirPath; }
    // tbInputFile's text as bytes.
    std::string inputFileText() const;
    // Names listed in File1 (bytes).
    const std::vector<std::string>& listedFiles() const { return m_fileNames; }

    // Makes `directory` Dir1's current directory, as a double-click on it
    // would; false (after a message) when it cannot be read.
    bool openDirectory(std::string_view directory);

    // Event handlers, named after their control and event.
    void Drive1Change();
    void Dir1Change();
    void Combo1Click();
    void File1Click();
    void tbInputFileChange();
    void BtnOKClick();
    void BtnCancelClick();

signals:
    // "&Next": tbInputFile's text unchanged and Dir1's current path. The
    // window stays open; whoever goes on closes it.
    void nextRequested(const std::string& inputFile, const std::string& directory);
    // "&Back"; the window closes right after.
    void backRequested();
    // Closed by "&Back" or from the window manager.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter presses "&Next" (in the directory list it opens the folder).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void selectDrive(char letter);
    void selectCombo1(int index);
    void setInputFileText(std::string_view bytes);
    bool showDirectory(std::string_view directory);
    void rereadFile1();
    void showFileNames();
    void setFile1Directory(std::string_view directory);
    void reportUnreadable(std::string_view path, const std::string& reason);

    const kavora::platform::FileSystem& m_fileSystem;
    kavora::MessageBoxes& m_messages;
    kavora::platform::DriveMap m_drives;

    std::string m_dirPath;
    std::string m_fileDir;
    std::span<const std::string_view> m_patterns; // File1's; "*.*" until Combo1Click
    std::vector<std::string> m_fileNames;
    std::string m_inputBytes;
    QString m_inputShown;

    QComboBox* const m_drive1;
    QLineEdit* const m_tbInputFile;
    QTreeWidget* const m_dir1;
    QComboBox* const m_combo1;
    QListWidget* const m_file1;
    QPushButton* const m_btnOK;
    QPushButton* const m_btnCancel;
};
