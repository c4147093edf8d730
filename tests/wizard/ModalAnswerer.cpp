#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kPollMs = 5;
// A modal window still open after this many polls is taken as stuck.
constexpr int kStuckPolls = 1000;

template <typename T> T* child(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << "no control " << name << " in " << window->objectName().toStdString();
    return found;
}

bool isFileNotFound(QWidget* modal)
{
    return modal->objectName() == QLatin1String("KVRfrmFileNotFound");
}

} // namespace

ModalAnswerer::ModalAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start(kPollMs);
}

ModalAnswerer::~ModalAnswerer()
{
    EXPECT_EQ(m_answers.size(), 0u) << "queued answers were not used";
    EXPECT_EQ(m_unexpected, 0) << "modal windows appeared that no answer was queued for";
}

ModalAnswerer& ModalAnswerer::then(Answer answer)
{
    m_answers.push_back(std::move(answer));
    return *this;
}

void ModalAnswerer::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible())
        return;
    if (modal == m_last) {
        if (++m_sameModalPolls > kStuckPolls) {
            ADD_FAILURE() << "modal window stayed open after its answer";
            ++m_unexpected;
            m_sameModalPolls = 0;
            dismiss(modal);
        }
        return;
    }
    m_last = modal;
    m_sameModalPolls = 0;

    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        m_seen.push_back(box->windowTitle() + QLatin1Char('|') + box->text());
    } else if (isFileNotFound(modal)) {
        auto* command1 = modal->findChild<QPushButton*>(QStringLiteral("Command1"));
        m_seen.push_back(
            modal->windowTitle() + QLatin1Char('|') +
            modal->findChild<QLabel*>(QStringLiteral("Label1"))->text() + QLatin1Char('|') +
            modal->findChild<QLineEdit*>(QStringLiteral("Text1"))->text() + QLatin1Char('|') +
            (command1->isEnabled() ? QStringLiteral("OK enabled") : QStringLiteral("OK disabled")));
    } else {
        m_seen.push_back(modal->windowTitle());
    }

    if (m_answers.empty()) {
        ++m_unexpected;
        dismiss(modal);
        return;
    }
    // Answered from a timer of its own: an answer may open a nested modal
    // window, which this polling timer must still be able to see.
    QTimer::singleShot(0, this, [answer = std::move(m_answers.front()), target = QPointer<QWidget>(modal)] {
        if (target)
            answer(target);
    });
    m_answers.pop_front();
}

void ModalAnswerer::dismiss(QWidget* modal)
{
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        box->button(QMessageBox::Ok) != nullptr ? box->button(QMessageBox::Ok)->click() : box->reject();
    } else if (isFileNotFound(modal)) {
        modal->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
}

ModalAnswerer::Answer typeDirectoryAndOk(const QString& directory, bool tickCheck1)
{
    return [directory, tickCheck1](QWidget* modal) {
        ASSERT_TRUE(isFileNotFound(modal)) << modal->windowTitle().toStdString();
        auto* text1 = child<QLineEdit>(modal, "Text1");
        text1->selectAll();
        QTest::keyClick(text1, Qt::Key_Delete);
        QTest::keyClicks(text1, directory);
        if (tickCheck1)
            QTest::mouseClick(child<QCheckBox>(modal, "Check1"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(modal, "Command1"), Qt::LeftButton);
    };
}

ModalAnswerer::Answer skipFile()
{
    return [](QWidget* modal) {
        ASSERT_TRUE(isFileNotFound(modal)) << modal->windowTitle().toStdString();
        QTest::mouseClick(child<QPushButton>(modal, "Command2"), Qt::LeftButton);
    };
}

ModalAnswerer::Answer ignoreErrors()
{
    return [](QWidget* modal) {
        ASSERT_TRUE(isFileNotFound(modal)) << modal->windowTitle().toStdString();
        QTest::mouseClick(child<QPushButton>(modal, "Command3"), Qt::LeftButton);
    };
}

ModalAnswerer::Answer closeByFrame()
{
    return [](QWidget* modal) { modal->close(); };
}

ModalAnswerer::Answer acknowledge()
{
    return [](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << "expected a message box, got " << modal->windowTitle().toStdString();
        box->button(QMessageBox::Ok)->click();
    };
}
