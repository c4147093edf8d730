#pragma once

#include "processing/JobWindow.h"
#include "wizard/ReportBatcher.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace kavora {
struct AppState;
class MessageBoxes;
class MissingFileDialog;
namespace platform {
class FileSystem;
}
} // namespace kavora

class KVRFrmGetFilename;

// The main window and frame of the wizard. A job drives it through the
// JobWindow operations; the other windows of the wizard through the public
// methods below. The wizard's next step it only asks for, by a signal that
// connectWizard (wizard/Wizard.h) connects to that step.
class KVRFrmStart final : public QMainWindow, public kavora::JobWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KVRFrmStart)

public:
    // Creates its own "Processing Error" dialog and message boxes.
    explicit KVRFrmStart(kavora::AppState& state, QWidget* parent = nullptr);
    // Uses the given dialog and message boxes, which must outlive the window.
    KVRFrmStart(kavora::AppState& state, kavora::MissingFileDialog& dialog, kavora::MessageBoxes& messages,
                QWidget* parent = nullptr);
    ~KVRFrmStart() override;

    void setPrintEnabled(bool enabled); // mnuPrint

    // JobWindow
    void setExplanation(std::string_view caption) override;
    void setNextEnabled(bool enabled) override;
    void setNextVisible(bool visible) override;
    void setBackEnabled(bool enabled) override;
    void setBackVisible(bool visible) override;
    void setDoneVisible(bool visible) override;
    int progressValue() const override;
    void setProgressValue(int value) override;
    void setProgressVisible(bool visible) override;
    void setStatusText(std::string_view text) override;
    void replaceReport(std::string_view text) override;
    void appendToReport(std::string_view addition) override;
    void refresh() override;
    // Every path the Windows way, as the window shows paths everywhere.
    const kavora::PathNotation& pathNotation() const override;

    // Used by the preview.
    void setExplanationVisible(bool visible); // Label1
    void setReportVisible(bool visible);      // RichTextBox1
    void setActionsMenuEnabled(bool enabled);

    // The report as the job wrote it, byte for byte (line ends included); the
    // report area shows it decoded, at the latest from the next refresh().
    const std::string& reportText() const { return m_batch.report(); }
    std::string statusText() const;

    kavora::AppState& appState() { return m_state; }
    kavora::MessageBoxes& messageBoxes() { return *m_messages; }
    kavora::MissingFileDialog& missingFileDialog() { return *m_dialog; }
    const kavora::platform::FileSystem& fileSystem() const { return *m_fileSystem; }

    // The open selection window, or null when it is not loaded.
    KVRFrmGetFilename* playlistPicker() const;
    // Takes over a selection window that ShowPlaylistPicker has loaded: its
    // "&Next" sets the playlist and asks for the preview (playlistPicked),
    // its "&Back" leads back to this window, and however it closes, this
    // window is left idle with its menus enabled.
    void adoptPlaylistPicker(KVRFrmGetFilename& picker);
    // Hides and unloads the selection window for the preview, which goes on
    // from there: nothing returns to the idle state.
    void closePlaylistPicker();

    // Why a playlist handed over now (OpenPlaylist) is not to be opened, for
    // the status bar: a job runs, a copy's step is open, a dialog or message
    // box is open, the about box is open, or the selection window is. Empty in the idle, preview and
    // done states while none of these holds.
    std::string_view playlistRefusal() const;
    bool takesPlaylist() const { return playlistRefusal().empty(); }
    // The copy's steps after the selection window (its target, its plan, its
    // run beside the event loop) take no playlist handed over meanwhile.
    void setCopyStepOpen(bool open) { m_copyStepOpen = open; }
    // The preview's "&Back": the preview's controls go and the selection
    // window is asked for afresh.
    void backToPlaylistPicker();

    // Event handlers, public so that the shell and tests can drive them.
    void mnuCreateClick();
    void mnuRemoveClick();
    void mnuCopyClick();
    void BtnOKClick();
    void BtnCancelClick();
    void BtnDoneClick();
    void mnuExitClick();

signals:
    void helpTopicsRequested();
    void licenseAgreementRequested();
    void technicalSupportRequested();
    void aboutRequested();
    // An operation was chosen, or "&Back" pressed in the preview: the
    // selection window is wanted. The operation is set already.
    void playlistPickerRequested();
    // "&Next" in the selection window: AppState.InputPlaylistPath is set, and
    // `directory` is the one that window showed.
    void playlistPicked(const std::string& directory);
    // A playlist file dropped on the window while it takes one; sent once
    // the drop is over, and only if the window still takes one then.
    void playlistDropped(const std::string& path);
    // A job is over, and the window still counts as running it: what asked
    // for the window meanwhile and waits unread is to be taken in now (and
    // refused), not later when the window is free again.
    void jobEnding();
    // "&Next" and "&Back" while the operation is "Copy": its steps follow
    // the selection window and are its own.
    void copyNextRequested();
    void copyBackRequested();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // One playlist file dropped while the window takes a playlist opens it;
    // anything else is refused as it enters, so that the cursor shows it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Without a dialog and message boxes it makes its own.
    KVRFrmStart(kavora::AppState& state, kavora::MissingFileDialog* dialog, kavora::MessageBoxes* messages,
                QWidget* parent);

    // Label1, RichTextBox1 and the three buttons. None of them shows while the
    // window is idle, so they are made when a step first needs them, not at
    // start-up.
    struct StepControls {
        QLabel* label1;
        QPlainTextEdit* reportArea;
        QPushButton* btnOK;
        QPushButton* btnCancel;
        QPushButton* btnDone;
    };
    StepControls& steps();
    StepControls makeStepControls();

    void buildControls();
    void buildMenus();
    // The host path of the one playlist file that `dragged` carries, when the
    // window takes a playlist now; empty otherwise.
    std::string droppedPlaylist(const QMimeData* dragged) const;
    void chooseOperation(const char* mode);
    void enableMenus();
    void returnFromPlaylistPicker();
    void playlistPickerClosed();
    void endProgram();

    kavora::AppState& m_state;
    std::unique_ptr<kavora::MissingFileDialog> m_ownDialog;
    std::unique_ptr<kavora::MessageBoxes> m_ownMessages;
    kavora::MissingFileDialog* const m_dialog;
    kavora::MessageBoxes* const m_messages;
    std::shared_ptr<const kavora::platform::FileSystem> m_fileSystem;
    QPointer<KVRFrmGetFilename> m_picker;

    bool m_ending = false;
    bool m_jobRunning = false;
    bool m_copyStepOpen = false;

    QWidget* const m_client;
    QStatusBar* const m_statusBar;
    QLabel* const m_statusLabel;
    QProgressBar* const m_progressBar;
    std::optional<StepControls> m_steps;
    ReportBatcher m_batch;

    QMenu* m_mnuFile = nullptr;
    QMenu* m_mnuActions = nullptr;
    QMenu* m_mnuHelp = nullptr;
    QAction* m_mnuPrint = nullptr;
};

// Enables the main window as a whole (start-up, and the about box's "&OK").
void EnableMainWindow(KVRFrmStart& window);
