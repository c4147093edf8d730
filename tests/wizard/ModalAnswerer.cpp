#include "ModalAnswerer.h"

#include <QAbstractButton>
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
        QTest::keyClicks(text1, directory);
        if (tickCheck1)
            QTest::mouseClick(modal->findChild<QCheckBox*>(QStringLiteral("Check1")), Qt::LeftButton);
        QTest::mouseClick(ok, Qt::LeftButton);
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
