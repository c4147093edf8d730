#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <gtest/gtest.h>
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

// The objectNames of a window's controls that have no accessible name.
std::string unnamedControls(const QWidget* window);

// Types a directory into the "Processing Error" dialog and presses Enter,
// which presses "&OK".
ModalAnswerer::Answer typeDirectoryAndOk(const QString& directory, bool tickCheck1 = false);
// Clicks the button with this caption: "OK" of a message box, "&Skip File", ...
ModalAnswerer::Answer press(const QString& caption);
