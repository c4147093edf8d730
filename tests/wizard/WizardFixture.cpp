#include "WizardFixture.h"

#include "wizard/Wizard.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <iterator>

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) // CTest's discovery needs no display
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

void WizardFixture::SetUp()
{
    ASSERT_TRUE(m_home.isValid());
    m_oldHome = qgetenv("HOME");
    qputenv("HOME", m_home.path().toUtf8());
}

KVRFrmStart& WizardFixture::window()
{
    if (m_window == nullptr) {
        m_window = std::make_unique<KVRFrmStart>(m_state);
        connectWizard(*m_window);
        m_window->show();
    }
    return *m_window;
}

void WizardFixture::TearDown()
{
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->objectName().toStdString();
    qputenv("HOME", m_oldHome);
}

std::string WizardFixture::mainState()
{
    std::string shown;
    // The step controls are made when first needed; until then none shows.
    for (const char* name : {"Label1", "RichTextBox1", "BtnOK", "BtnCancel", "BtnDone", "ProgressBar1"}) {
        const auto* widget = window().findChild<QWidget*>(QLatin1String(name));
        if (widget != nullptr && (widget->isVisible() || !widget->isEnabled()))
            shown +=
                std::string(widget->isVisible() ? "" : "hidden ") + name + (widget->isEnabled() ? " " : "! ");
    }
    if (control<QMenu>(&window(), "mnuActions")->menuAction()->isEnabled())
        shown += "mnuActions ";
    if (picker() != nullptr && picker()->isVisible())
        shown += "picker ";
    return shown + "| " + window().statusText();
}

void WizardFixture::writeFile(const std::string& relative, const std::string& bytes) const
{
    const std::filesystem::path path = hostPath(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    ASSERT_EQ(readFile(relative), bytes);
}

std::string WizardFixture::readFile(const std::string& relative) const
{
    std::ifstream in(hostPath(relative), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<unreadable>";
}

void WizardFixture::trigger(const char* actionName)
{
    auto* action = window().findChild<QAction*>(QLatin1String(actionName));
    ASSERT_TRUE(action != nullptr && action->isEnabled()) << actionName << " is missing or disabled";
    action->trigger();
}

void WizardFixture::click(QWidget* window, const char* name)
{
    auto* target = control<QPushButton>(window, name);
    ASSERT_TRUE(target != nullptr && target->isVisible() && target->isEnabled())
        << name << " is not clickable";
    QTest::mouseClick(target, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool WizardFixture::closeBox(QWidget* window)
{
    const bool closed = window->windowHandle()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return closed;
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

void WizardFixture::typePath(const std::string& path, bool paste)
{
    ASSERT_NE(picker(), nullptr);
    auto* text = control<QLineEdit>(picker(), "tbInputFile");
    text->selectAll();
    if (paste)
        return text->insert(QString::fromStdString(path));
    QTest::keyClick(text, Qt::Key_Delete);
    QTest::keyClicks(text, QString::fromStdString(path));
}
