#include "WizardFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>

#include <cstdlib>

void WizardFixture::SetUp()
{
    ASSERT_TRUE(m_home.isValid());
    m_oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(m_home.path()));
    m_oldCurrentDirectory = QDir::currentPath();
    QDir::setCurrent(m_home.path());
    m_window = std::make_unique<KVRFrmStart>(m_state);
    m_window->show();
}

void WizardFixture::TearDown()
{
    m_window.reset();
    settle();
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->objectName().toStdString() << " "
                                          << widget->windowTitle().toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QDir::setCurrent(m_oldCurrentDirectory);
    qputenv("HOME", m_oldHome);
}

std::string WizardFixture::hostPath(const std::string& relative) const
{
    return QFile::encodeName(m_home.path()).toStdString() + "/" + relative;
}

void WizardFixture::makeDirectory(const std::string& relative) const
{
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(hostPath(relative).c_str())));
}

void WizardFixture::writeFile(const std::string& relative, const std::string& bytes) const
{
    const QString path = QFile::decodeName(hostPath(relative).c_str());
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

bool WizardFixture::exists(const std::string& relative) const
{
    return QFileInfo::exists(QFile::decodeName(hostPath(relative).c_str()));
}

std::string WizardFixture::readFile(const std::string& relative) const
{
    QFile file(QFile::decodeName(hostPath(relative).c_str()));
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll().toStdString();
}

void WizardFixture::trigger(const char* actionName)
{
    auto* action = m_window->findChild<QAction*>(QLatin1String(actionName));
    ASSERT_NE(action, nullptr) << actionName;
    ASSERT_TRUE(action->isEnabled()) << actionName << " is disabled";
    action->trigger();
}

void WizardFixture::click(QWidget* window, const char* name)
{
    QPushButton* target = button(window, name);
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(target->isVisible()) << name << " is hidden";
    ASSERT_TRUE(target->isEnabled()) << name << " is disabled";
    QTest::mouseClick(target, Qt::LeftButton);
}

void WizardFixture::clickFile(const QString& name)
{
    ASSERT_NE(picker(), nullptr);
    auto* file1 = control<QListWidget>(picker(), "File1");
    const auto items = file1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << "not listed: " << name.toStdString();
    file1->scrollToItem(items.front());
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, file1->visualItemRect(items.front()).center());
}

void WizardFixture::typePath(const QString& path)
{
    ASSERT_NE(picker(), nullptr);
    auto* text = control<QLineEdit>(picker(), "tbInputFile");
    text->selectAll();
    QTest::keyClick(text, Qt::Key_Delete);
    QTest::keyClicks(text, path);
}

void WizardFixture::pastePath(const QString& path)
{
    ASSERT_NE(picker(), nullptr);
    auto* text = control<QLineEdit>(picker(), "tbInputFile");
    text->selectAll();
    text->insert(path);
}

void WizardFixture::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void expectMainState(KVRFrmStart& window, MainState expected)
{
    struct Row {
        bool label1, report, nextBack, done;
        const char* status;
        bool actionsMenu, picker;
    };
    const Row row = [expected]() -> Row {
        switch (expected) {
        case MainState::Idle:
            return {false, false, false, false, "Ready", true, false};
        case MainState::Choosing:
            return {false, false, false, false, "Ready", true, true};
        case MainState::ChoosingAfterBack:
            return {false, false, false, false, "Ready", false, true};
        case MainState::Preview:
            return {true, true, true, false, "Ready", false, false};
        case MainState::Done:
            return {true, true, false, true, "Operation complete", false, false};
        }
        return {};
    }();
    const auto* next = window.findChild<QPushButton*>(QStringLiteral("BtnOK"));
    const auto* back = window.findChild<QPushButton*>(QStringLiteral("BtnCancel"));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label1"))->isVisible(), row.label1);
    EXPECT_EQ(window.findChild<QPlainTextEdit*>(QStringLiteral("RichTextBox1"))->isVisible(), row.report);
    EXPECT_EQ(next->isVisible(), row.nextBack);
    EXPECT_EQ(back->isVisible(), row.nextBack);
    // Hidden or shown, the two stay enabled outside a job.
    EXPECT_TRUE(next->isEnabled());
    EXPECT_TRUE(back->isEnabled());
    EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("BtnDone"))->isVisible(), row.done);
    EXPECT_FALSE(window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->isVisible());
    EXPECT_EQ(window.statusText(), row.status);
    EXPECT_EQ(window.findChild<QMenu*>(QStringLiteral("mnuActions"))->menuAction()->isEnabled(),
              row.actionsMenu);
    EXPECT_EQ(window.playlistPicker() != nullptr && window.playlistPicker()->isVisible(), row.picker);
}
