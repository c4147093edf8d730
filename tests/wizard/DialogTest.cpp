// The "Processing Error" dialog: its design state, its five events and the
// message boxes, with the engine's handlers behind it.
#include "ModalAnswerer.h"
#include "platform/FileSystem.h"
#include "processing/AppState.h"
#include "processing/MissingFileHandlers.h"
#include "processing/dialog/KVRfrmFileNotFound.h"
#include "processing/dialog/QtMessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_home.path()));
        ASSERT_TRUE(QDir(m_home.path()).mkpath(QStringLiteral("Music")));
        QFile file(m_home.filePath(QStringLiteral("Music/song.mp3")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        m_state.FileSystem = std::make_shared<const kavora::platform::FileSystem>();
    }
    void TearDown() override
    {
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        for (QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(widget->isVisible()) << widget->objectName().toStdString();
        qputenv("HOME", m_oldHome);
    }

    void show(std::string_view text1 = {})
    {
        kavora::MissingFileHandlers handlers(m_state, m_messages);
        m_dialog.showModal("File not found - song.mp3", text1, handlers);
    }

    QTemporaryDir m_home;
    QByteArray m_oldHome;
    kavora::AppState m_state;
    kavora::QtMessageBoxes m_messages;
    kavora::QtMissingFileDialog m_dialog;
};

TEST_F(DialogTest, OpensInItsDesignState)
{
    struct Place {
        const char* name;
        QRect rect;
    };
    // Twips at 15 to the pixel.
    const Place places[] = {
        {"Image1", {9, 9, 40, 40}},       {"Label1", {69, 6, 316, 28}},     {"Label2", {69, 39, 319, 16}},
        {"Text1", {69, 54, 316, 19}},     {"Check1", {69, 78, 16, 16}},     {"Label3", {90, 78, 298, 16}},
        {"Command1", {117, 108, 52, 22}}, {"Command2", {183, 108, 64, 22}}, {"Command3", {258, 108, 73, 22}},
    };
    std::vector<QString> wrongPlaces;
    QString title, label1, label2, label3, command1, command2, command3, focus;
    QSize size;
    bool okEnabled = true, ticked = true;
    std::vector<QString> tabChain;
    ModalAnswerer answers;
    answers.then([&](QWidget* modal) {
        for (const auto& place : places) {
            auto* widget = modal->findChild<QWidget*>(QLatin1String(place.name));
            if (widget == nullptr || widget->geometry() != place.rect)
                wrongPlaces.push_back(QLatin1String(place.name));
        }
        title = modal->windowTitle();
        size = modal->size();
        label1 = modal->findChild<QLabel*>(QStringLiteral("Label1"))->text();
        label2 = modal->findChild<QLabel*>(QStringLiteral("Label2"))->text();
        label3 = modal->findChild<QLabel*>(QStringLiteral("Label3"))->text();
        command1 = modal->findChild<QPushButton*>(QStringLiteral("Command1"))->text();
        command2 = modal->findChild<QPushButton*>(QStringLiteral("Command2"))->text();
        command3 = modal->findChild<QPushButton*>(QStringLiteral("Command3"))->text();
        okEnabled = modal->findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled();
        ticked = modal->findChild<QCheckBox*>(QStringLiteral("Check1"))->isChecked();
        focus = modal->focusWidget() ? modal->focusWidget()->objectName() : QString();
        QWidget* widget = modal->findChild<QWidget*>(QStringLiteral("Text1"));
        for (int i = 0; i < 5; ++i) {
            tabChain.push_back(widget->objectName());
            widget = widget->nextInFocusChain();
        }
        modal->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    });
    show();

    EXPECT_TRUE(wrongPlaces.empty()) << wrongPlaces.front().toStdString();
    EXPECT_EQ(title, QStringLiteral("Processing Error"));
    EXPECT_EQ(size, QSize(402, 142));
    EXPECT_EQ(label1, QStringLiteral("File not found - song.mp3"));
    EXPECT_EQ(label2, QStringLiteral("Enter the full directory name to be prefixed to the above file:"));
    EXPECT_EQ(label3, QStringLiteral("Use the above directory for any files missing their full path"));
    EXPECT_EQ(command1, QStringLiteral("&OK"));
    EXPECT_EQ(command2, QStringLiteral("&Skip File"));
    EXPECT_EQ(command3, QStringLiteral("&Ignore Errors"));
    EXPECT_FALSE(okEnabled);
    EXPECT_FALSE(ticked);
    EXPECT_EQ(focus, QStringLiteral("Text1"));
    const std::vector<QString> expectedChain = {QStringLiteral("Text1"), QStringLiteral("Command1"),
                                                QStringLiteral("Command2"), QStringLiteral("Command3"),
                                                QStringLiteral("Check1")};
    EXPECT_EQ(tabChain, expectedChain);
}

TEST_F(DialogTest, OkFollowsTheTextAndAFilledTextEnablesItAtOnce)
{
    std::vector<bool> enabledAfter;
    ModalAnswerer answers;
    answers.then([&](QWidget* modal) {
        auto* text1 = modal->findChild<QLineEdit*>(QStringLiteral("Text1"));
        auto* ok = modal->findChild<QPushButton*>(QStringLiteral("Command1"));
        enabledAfter.push_back(ok->isEnabled()); // filled with "C:\Music\"
        text1->selectAll();
        QTest::keyClick(text1, Qt::Key_Delete);
        enabledAfter.push_back(ok->isEnabled());
        QTest::keyClicks(text1, QStringLiteral("C"));
        enabledAfter.push_back(ok->isEnabled());
        QTest::keyClick(text1, Qt::Key_Backspace);
        enabledAfter.push_back(ok->isEnabled());
        QTest::keyClicks(text1, QStringLiteral("C:\\Music\\"));
        ok->click();
    });
    m_state.MissingFileDirectory = "C:\\Music\\";
    show(m_state.MissingFileDirectory);
    EXPECT_EQ(enabledAfter, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(m_state.MissingFileDirectory, "C:\\Music\\");
}

TEST_F(DialogTest, OkWithAFileNamesItAndWithNothingStaysOpen)
{
    bool stillOpenAfterNothing = false;
    ModalAnswerer answers;
    answers
        .then([&](QWidget* modal) {
            auto* text1 = modal->findChild<QLineEdit*>(QStringLiteral("Text1"));
            QTest::keyClicks(text1, QStringLiteral("C:\\NoSuchFolder\\"));
            QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
            stillOpenAfterNothing = modal->isVisible() && QApplication::activeModalWidget() == modal;
            text1->clear();
            QTest::keyClicks(text1, QStringLiteral("C:\\Music\\song.mp3"));
            QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        })
        .then(acknowledge())
        .then(skipFile());
    show();
    EXPECT_TRUE(stillOpenAfterNothing);
    ASSERT_EQ(answers.seen().size(), 3u);
    EXPECT_TRUE(answers.seen()[1].startsWith(
        QStringLiteral("Invalid Directory Name|Directory name error... C:\\Music\\song.mp3 ")))
        << answers.seen()[1].toStdString();
    EXPECT_TRUE(
        answers.seen()[1].endsWith(QStringLiteral("\nPlease specify only the directory path of the file.")));
    // The dialog stayed open with the text as typed.
    EXPECT_TRUE(answers.seen()[2].contains(QStringLiteral("|C:\\Music\\song.mp3|")));
    EXPECT_TRUE(m_state.SkipFile);
}

TEST_F(DialogTest, CloseBoxAndEscapeChangeNoField)
{
    bool openAfterEscape = false;
    ModalAnswerer answers;
    answers.then([&](QWidget* modal) {
        QTest::mouseClick(modal->findChild<QCheckBox*>(QStringLiteral("Check1")), Qt::LeftButton);
        QTest::keyClick(modal->findChild<QLineEdit*>(QStringLiteral("Text1")), Qt::Key_Escape);
        openAfterEscape = modal->isVisible();
        modal->close();
    });
    m_state.MissingFileDirectory = "C:\\Kept\\";
    show(m_state.MissingFileDirectory);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(m_state.MissingFileDirectory, "C:\\Kept\\");
    EXPECT_FALSE(m_state.SkipFile);
    EXPECT_FALSE(m_state.IgnoreErrors);
    // Only the check box's own click changed its field.
    EXPECT_EQ(m_state.UseDirectoryForAll, kavora::kTrue16);
}

TEST_F(DialogTest, SkipAndIgnoreEmptyTheDirectoryAndSetTheirFlag)
{
    struct Case {
        ModalAnswerer::Answer answer;
        bool skip, ignore;
    };
    const Case cases[] = {{skipFile(), true, false}, {ignoreErrors(), false, true}};
    for (const auto& each : cases) {
        m_state = {};
        m_state.FileSystem = std::make_shared<const kavora::platform::FileSystem>();
        m_state.MissingFileDirectory = "C:\\Music\\";
        ModalAnswerer answers;
        answers.then(each.answer);
        show(m_state.MissingFileDirectory);
        EXPECT_TRUE(m_state.MissingFileDirectory.empty());
        EXPECT_EQ(m_state.SkipFile, each.skip);
        EXPECT_EQ(m_state.IgnoreErrors, each.ignore);
        EXPECT_EQ(m_state.UseDirectoryForAll, kavora::kFalse16);
    }
}

} // namespace
