#pragma once

#include "processing/AppState.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"

#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Answers the modal windows a step opens, in order: polls for the active modal
// widget, notes what it showed and applies the next queued answer. A modal
// window with no answer left, or one that stays open after its answer, is
// dismissed and fails the test, so that no test hangs.
class ModalAnswerer final {
public:
    using Answer = std::function<void(QWidget* modal)>;
    ModalAnswerer();
    ~ModalAnswerer() { EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " answers were not used"; }
    ModalAnswerer& then(Answer answer)
    {
        m_answers.push_back(std::move(answer));
        return *this;
    }
    // One note per modal window: "title|text" for a message box,
    // "title|Label1|Text1|OK enabled" for the processing-error dialog.
    std::vector<std::string> seen;

private:
    void poll();
    QTimer m_timer;
    std::deque<Answer> m_answers;
    QPointer<QWidget> m_last;
    int m_samePolls = 0;
};

// Types a directory into the "Processing Error" dialog and clicks "&OK".
ModalAnswerer::Answer typeDirectoryAndOk(const QString& directory, bool tickCheck1 = false);
// Clicks the button with this caption: "OK" of a message box, "&Skip File", ...
ModalAnswerer::Answer press(const QString& caption);

// The main window's states, as mainState() describes them: the controls shown
// ("!" when disabled), then the status text.
inline const std::string kIdle = "mnuActions | Ready";
inline const std::string kChoosing = "mnuActions picker | Ready";
inline const std::string kChoosingAfterBack = "picker | Ready";
inline const std::string kPreview = "Label1 RichTextBox1 BtnOK BtnCancel | Ready";
inline const std::string kRunning = "Label1 RichTextBox1 BtnOK! BtnCancel! ProgressBar1 | Processing...";
inline const std::string kDone = "Label1 RichTextBox1 BtnDone | Operation complete";

// A fresh temporary HOME (drive C:) per test, and a main window made and
// shown on first use. Afterwards no top-level window may be left open.
class WizardFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    KVRFrmStart& window();
    kavora::AppState& state() { return m_state; }
    // The selection window that the helpers below drive.
    virtual KVRFrmGetFilename* picker() { return window().playlistPicker(); }
    std::string mainState();

    // Paths below HOME, e.g. "Music/A.mp3".
    std::string hostPath(const std::string& relative) const
    {
        return m_home.path().toStdString() + "/" + relative;
    }
    void writeFile(const std::string& relative, const std::string& bytes) const;
    std::string readFile(const std::string& relative) const;

    template <typename T> T* control(QWidget* window, const char* name)
    {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

    void trigger(const char* actionName);
    // Clicks a button that must be visible and enabled, then lets deferred
    // deletions run as the event loop would.
    void click(QWidget* window, const char* name);
    // Closes a window as its close box does, through the window system;
    // returns whether it agreed to close.
    static bool closeBox(QWidget* window);
    // Selects a listed file in the selection window by a mouse click.
    void clickFile(const QString& name);
    // Replaces the selection window's path text key by key, or in one change
    // as pasting over a selection does.
    void typePath(const std::string& path, bool paste = false);

private:
    QTemporaryDir m_home;
    QByteArray m_oldHome;
    kavora::AppState m_state;
    std::unique_ptr<KVRFrmStart> m_window;
};
