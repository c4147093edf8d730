#pragma once

#include "ModalAnswerer.h"
#include "processing/AppState.h"
#include "wizard/KVRFrmGetFilename.h"
#include "wizard/KVRFrmStart.h"
#include "wizard/Wizard.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <filesystem>
#include <fstream>
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

// A fresh temporary HOME (drive C:) per test, set before the members of a
// derived fixture are made, and a main window made and shown on first use,
// unless a derived fixture hands over its own. Afterwards no top-level window
// may be left open.
class WizardFixture : public ::testing::Test {
protected:
    WizardFixture() { qputenv("HOME", m_home.path().toUtf8()); }
    ~WizardFixture() override { qputenv("HOME", m_oldHome); }
    void TearDown() override
    {
        m_window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->objectName().toStdString();
    }

    virtual KVRFrmStart& window()
    {
        if (m_window == nullptr) {
            m_window = std::make_unique<KVRFrmStart>(m_state);
            connectWizard(*m_window);
            m_window->show();
        }
        return *m_window;
    }
    kavora::AppState& state() { return m_state; }
    // The selection window that the helpers below drive.
    virtual KVRFrmGetFilename* picker() { return window().playlistPicker(); }

    std::string mainState()
    {
        std::string shown;
        // The step controls are made when first needed; a hidden one counts
        // when it was left disabled.
        for (const char* name : {"Label1", "RichTextBox1", "BtnOK", "BtnCancel", "BtnDone", "ProgressBar1",
                                 "BtnStop", "CopyTarget"}) {
            const auto* widget = window().findChild<QWidget*>(QLatin1String(name));
            if (widget != nullptr && (widget->isVisible() || !widget->isEnabled()))
                shown += (widget->isVisible() ? "" : "hidden ") + std::string(name) +
                         (widget->isEnabled() ? " " : "! ");
        }
        if (control<QMenu>(&window(), "mnuActions")->menuAction()->isEnabled())
            shown += "mnuActions ";
        if (picker() != nullptr && picker()->isVisible())
            shown += "picker ";
        return shown + "| " + window().statusText();
    }

    // Paths below HOME, e.g. "Music/A.mp3".
    std::string hostPath(const std::string& relative) const
    {
        return m_home.path().toStdString() + "/" + relative;
    }
    void writeFile(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(hostPath(relative)).parent_path());
        std::ofstream(hostPath(relative), std::ios::binary) << bytes;
    }
    std::string readFile(const std::string& relative) const
    {
        std::ifstream in(hostPath(relative), std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<unreadable>";
    }

    template <typename T> T* control(QWidget* window, const char* name)
    {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }
    void trigger(const char* actionName)
    {
        auto* action = window().findChild<QAction*>(QLatin1String(actionName));
        ASSERT_TRUE(action != nullptr && action->isEnabled()) << actionName << " is missing or disabled";
        action->trigger();
    }
    // Clicks a button that must be visible and enabled, then lets deferred
    // deletions run as the event loop would.
    void click(QWidget* window, const char* name)
    {
        auto* target = control<QPushButton>(window, name);
        ASSERT_TRUE(target != nullptr && target->isVisible() && target->isEnabled())
            << name << " not clickable";
        QTest::mouseClick(target, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Clicks the one row of a list or tree that reads `text`.
    template <typename View> static void clickRow(View* view, const QString& text)
    {
        const auto rows = view->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(rows.size(), 1) << "not listed: " << text.toStdString();
        view->scrollToItem(rows.front());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(rows.front()).center());
    }
    // Closes a window as its close box does; returns whether it agreed.
    static bool closeBox(QWidget* window)
    {
        const bool closed = window->windowHandle()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closed;
    }

    // In the selection window: chooses a drive in the drive list,
    void chooseDrive(char letter)
    {
        auto* drives = control<QComboBox>(picker(), "Drive1");
        drives->setCurrentIndex(drives->findData(QChar::fromLatin1(letter)));
    }
    // selects a listed file by a mouse click,
    void clickFile(const QString& name)
    {
        ASSERT_NE(picker(), nullptr);
        clickRow(control<QListWidget>(picker(), "File1"), name);
    }
    // replaces the path text key by key, or in one change as pasting over a
    // selection does,
    void typePath(const std::string& path, bool paste = false)
    {
        ASSERT_NE(picker(), nullptr);
        auto* text = control<QLineEdit>(picker(), "tbInputFile");
        text->selectAll();
        if (paste)
            return text->insert(QString::fromStdString(path));
        QTest::keyClick(text, Qt::Key_Delete);
        QTest::keyClicks(text, QString::fromStdString(path));
    }
    // and goes from the Actions menu to the next step with a typed path.
    void pickByPath(const char* actionName, const std::string& path)
    {
        trigger(actionName);
        typePath(path);
        click(picker(), "BtnOK");
    }

private:
    QByteArray m_oldHome = qgetenv("HOME");
    QTemporaryDir m_home;
    kavora::AppState m_state;
    std::unique_ptr<KVRFrmStart> m_window;
};
