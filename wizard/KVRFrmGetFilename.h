#pragma once

#include <QPointer>
#include <QWidget>

#include <span>
#include <string>
#include <string_view>
#include <vector>

class KVRFrmStart;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTreeWidget;
class QPushButton;

// The selection window in which the user picks the playlist: drive list,
// directory list, file list with one pattern, the type box and the path text
// box. Modeless, without an owner, and destroyed on every way out, so that
// each opening starts from its design state.
//
// A handler set off by an assignment inside another handler runs at once,
// nested, as with a user's change; the "&Next" enabling rules depend on that.
class KVRFrmGetFilename final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KVRFrmGetFilename)

public:
    // Loads the window: drive C:, the first default folder that holds a file,
    // the first playlist type.
    explicit KVRFrmGetFilename(KVRFrmStart& mainWindow);
    ~KVRFrmGetFilename() override;

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

private:
    void Form_Load();
    void selectDrive(char letter);
    void selectCombo1(int index);
    void setInputFileText(std::string_view bytes);
    bool showDirectory(std::string_view directory);
    void rereadFile1();
    void setFile1Directory(std::string_view directory);
    void reportUnreadable(std::string_view path, const std::string& reason);

    KVRFrmStart& m_main;
    // A closed window is deleted later, possibly after the main window.
    QPointer<KVRFrmStart> m_mainAlive;

    std::string m_dirPath;
    std::string m_fileDir;
    std::span<const std::string_view> m_patterns; // File1's; "*.*" until Combo1Click
    std::vector<std::string> m_fileNames;
    std::string m_inputBytes;
    QString m_inputShown;
    bool m_rereading = false; // File1 selection changes made by a re-read
    bool m_revertingDrive = false;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_label1 = nullptr;
    QComboBox* m_drive1 = nullptr;
    QLineEdit* m_tbInputFile = nullptr;
    QTreeWidget* m_dir1 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QListWidget* m_file1 = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;
};

// Loads the selection window if it is not loaded and shows it; an open one is
// only brought to the front, unchanged.
void ShowPlaylistPicker(KVRFrmStart& mainWindow);
