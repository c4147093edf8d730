#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

// Answers the modal windows that a step opens, in order: it polls for the
// active modal widget, notes what it showed and applies the next queued
// answer. Tests assert on the notes afterwards. A modal window for which no
// answer is queued is dismissed (a file-not-found dialog by "Ignore Errors")
// and counted as unexpected, so that no test hangs.
class ModalAnswerer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModalAnswerer)

public:
    using Answer = std::function<void(QWidget* modal)>;

    ModalAnswerer();
    ~ModalAnswerer() override;

    ModalAnswerer& then(Answer answer);
    std::size_t pendingAnswers() const { return m_answers.size(); }
    int unexpected() const { return m_unexpected; }
    // One note per modal window seen: "title|text" for a message box,
    // "Processing Error|Label1|Text1|OK enabled" for the dialog.
    const std::vector<QString>& seen() const { return m_seen; }

private:
    void poll();
    static void dismiss(QWidget* modal);

    QTimer m_timer;
    std::deque<Answer> m_answers;
    QPointer<QWidget> m_last;
    int m_unexpected = 0;
    int m_sameModalPolls = 0;
    std::vector<QString> m_seen;
};

// Answers for the "Processing Error" dialog.
ModalAnswerer::Answer typeDirectoryAndOk(const QString& directory, bool tickCheck1 = false);
ModalAnswerer::Answer skipFile();
ModalAnswerer::Answer ignoreErrors();
ModalAnswerer::Answer closeByFrame();
// Answer for a message box: its OK button.
ModalAnswerer::Answer acknowledge();
