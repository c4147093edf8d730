#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

bool isFileNotFound(const QWidget* modal)
{
    return modal->objectName() == QLatin1String("KVRfrmFileNotFound");
}

// A dialog that is only closed would be asked again; "Ignore Errors" ends it.
void dismiss(QWidget* modal)
{
    if (isFileNotFound(modal))
        modal->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    else
        modal->close();
}

} // namespace

ModalAnswerer::ModalAnswerer()
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start(5);
}

void ModalAnswerer::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible())
        return;
    if (modal == m_last) {
        if (++m_samePolls % 1000 == 0) {
            ADD_FAILURE() << "modal window stayed open after its answer";
            dismiss(modal);
        }
        return;
    }
    m_last = modal;
    m_samePolls = 0;
    QString note = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        note += QLatin1Char('|') + box->text();
    if (isFileNotFound(modal))
        note += QLatin1Char('|') + modal->findChild<QLabel*>(QStringLiteral("Label1"))->text() +
                QLatin1Char('|') + modal->findChild<QLineEdit*>(QStringLiteral("Text1"))->text() +
                (modal->findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled() ? "|OK enabled"
                                                                                         : "|OK disabled");
    seen.push_back(note.toStdString());
    if (m_answers.empty()) {
        ADD_FAILURE() << "no answer queued for " << seen.back();
        dismiss(modal);
        return;
    }
    // From a timer of its own: an answer may open a nested modal window,
    // which this polling timer must still see.
    QTimer::singleShot(0, [answer = std::move(m_answers.front()), target = QPointer<QWidget>(modal)] {
        if (target)
            answer(target);
    });
    m_answers.pop_front();
}

std::string unnamedControls(const QWidget* window)
{
    std::string unnamed;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QString name = control->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
            control->metaObject() == &QWidget::staticMetaObject)
            continue;
        const QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        if (accessible == nullptr || accessible->text(QAccessible::Name).isEmpty())
            unnamed += name.toStdString() + ' ';
    }
    return unnamed;
}

ModalAnswerer::Answer typeDirectoryAndOk(const QString& directory, bool tickCheck1)
{
    return [directory, tickCheck1](QWidget* modal) {
        ASSERT_TRUE(isFileNotFound(modal)) << modal->windowTitle().toStdString();
        auto* text1 = modal->findChild<QLineEdit*>(QStringLiteral("Text1"));
        auto* ok = modal->findChild<QPushButton*>(QStringLiteral("Command1"));
        QTest::keyClick(text1, Qt::Key_Escape);
        EXPECT_TRUE(modal->isVisible()) << "Escape closed the dialog";
        text1->selectAll();
        QTest::keyClick(text1, Qt::Key_Delete);
        EXPECT_FALSE(ok->isEnabled()) << "OK enabled without a directory";
        QTest::keyClick(text1, Qt::Key_Return);
        EXPECT_TRUE(modal->isVisible()) << "Enter closed the dialog without a directory";
        QTest::keyClicks(text1, directory);
        if (tickCheck1)
            QTest::mouseClick(modal->findChild<QCheckBox*>(QStringLiteral("Check1")), Qt::LeftButton);
        // Enter presses OK, the default button, wherever the focus is.
        QTest::keyClick(tickCheck1 ? modal->focusWidget() : text1, Qt::Key_Return);
    };
}

ModalAnswerer::Answer press(const QString& caption)
{
    return [caption](QWidget* modal) {
        for (auto* button : modal->findChildren<QAbstractButton*>())
            if (button->text() == caption && button->isVisible())
                return QTest::mouseClick(button, Qt::LeftButton);
        ADD_FAILURE() << "no button " << caption.toStdString() << " in "
                      << modal->windowTitle().toStdString();
    };
}
