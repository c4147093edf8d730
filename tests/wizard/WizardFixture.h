#pragma once

#include "ModalAnswerer.h"
#include "processing/AppState.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"

#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>
#include <string>

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
