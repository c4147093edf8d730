#pragma once

#include "processing/AppState.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>
#include <string>

// A fresh temporary HOME (drive C:) and a main window per test. Afterwards no
// top-level window may be left open.
class WizardFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    KVRFrmStart& mainWindow() { return *m_window; }
    kavora::AppState& state() { return m_state; }
    KVRFrmGetFilename* picker() { return m_window->playlistPicker(); }

    // Host path of a path below HOME, e.g. "Music/A.mp3".
    std::string hostPath(const std::string& relative) const;
    void writeFile(const std::string& relative, const std::string& bytes) const;
    void makeDirectory(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    std::string readFile(const std::string& relative) const;

    template <typename T> T* control(QWidget* window, const char* name)
    {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }
    QPushButton* button(QWidget* window, const char* name) { return control<QPushButton>(window, name); }

    void trigger(const char* actionName);
    // Clicks a button that must be visible and enabled.
    void click(QWidget* window, const char* name);
    // Selects a listed file in the selection window by a mouse click.
    void clickFile(const QString& name);
    // Replaces the selection window's path text by typing, key by key.
    void typePath(const QString& path);
    // Replaces it in one change, as pasting over a selection does.
    void pastePath(const QString& path);
    // Runs deferred deletions, as the event loop would between events.
    static void settle();

private:
    QTemporaryDir m_home;
    QByteArray m_oldHome;
    QString m_oldCurrentDirectory;
    kavora::AppState m_state;
    std::unique_ptr<KVRFrmStart> m_window;
};

// The main window's states over one job; one row each, checked control by
// control.
enum class MainState { Idle, Choosing, ChoosingAfterBack, Preview, Done };
void expectMainState(KVRFrmStart& window, MainState expected);
