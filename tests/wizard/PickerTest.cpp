// The selection window: start folder, lists, the "&Next" enabling rules and
// its two ways out.
#include "ModalAnswerer.h"
#include "WizardFixture.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

using PickerTest = WizardFixture;

TEST_F(PickerTest, StartsInTheFirstDefaultFolderThatHoldsAFile)
{
    struct Layout {
        const char* name;
        std::vector<std::string> files;
        std::vector<std::string> directories;
        const char* expected;
    };
    const Layout layouts[] = {
        {"all three hold files",
         {"My Documents/My Music/My Playlists/a.m3u", "My Documents/My Music/b.txt", "My Documents/c.txt"},
         {},
         "C:\\My Documents\\My Music\\My Playlists"},
        {"playlists folder empty",
         {"My Documents/My Music/b.txt"},
         {"My Documents/My Music/My Playlists"},
         "C:\\My Documents\\My Music"},
        {"music holds only subdirectories",
         {"My Documents/My Music/Album/x.mp3", "My Documents/c.txt"},
         {"My Documents/My Music/My Playlists"},
         "C:\\My Documents"},
        {"only hidden files", {"My Documents/.hidden"}, {}, "C:\\"},
        {"none exists", {}, {}, "C:\\"},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        QDir(QString::fromStdString(hostPath("My Documents"))).removeRecursively();
        for (const auto& directory : layout.directories)
            makeDirectory(directory);
        for (const auto& file : layout.files)
            writeFile(file, "x");
        trigger("mnuCreate");
        ASSERT_NE(picker(), nullptr);
        EXPECT_EQ(picker()->currentDirectory(), layout.expected);
        EXPECT_EQ(picker()->inputFileText(), layout.expected);
        EXPECT_EQ(picker()->filePattern(), "*.m3u");
        EXPECT_EQ(control<QComboBox>(picker(), "Combo1")->currentIndex(), 0);
        EXPECT_FALSE(button(picker(), "BtnOK")->isEnabled());
        click(picker(), "BtnCancel");
        settle();
    }
}

TEST_F(PickerTest, NextIsEnabledAsTheTableSays)
{
    writeFile("My Documents/My Music/My Playlists/a.m3u", "x");
    writeFile("My Documents/My Music/My Playlists/b.m3u", "x");
    writeFile("My Documents/My Music/My Playlists/Sub/c.m3u", "x");
    makeDirectory("My Documents/My Music/My Playlists/Empty");
    const std::string start = "C:\\My Documents\\My Music\\My Playlists";
    trigger("mnuCreate");
    KVRFrmGetFilename& window = *picker();
    auto* combo = control<QComboBox>(&window, "Combo1");

    struct Step {
        const char* event;
        std::function<void()> act;
        bool nextEnabled;
    };
    const Step steps[] = {
        {"loaded", [] {}, false},
        {"text pasted equal to the directory", [&] { pastePath(QString::fromStdString(start)); }, false},
        {"a file clicked", [&] { clickFile(QStringLiteral("a.m3u")); }, true},
        {"a type with no file chosen", [&] { QTest::keyClick(combo, Qt::Key_Down); }, false},
        {"text typed that differs",
         [&] { typePath(QStringLiteral("c:\\my documents\\my music\\my playlists")); }, true},
        {"the type with files chosen", [&] { QTest::keyClick(combo, Qt::Key_Up); }, true},
        {"a directory with files opened", [&] { window.openDirectory(start + "\\Sub"); }, true},
        {"an empty text typed", [&] { typePath({}); }, true},
        {"a directory without files opened", [&] { window.openDirectory(start + "\\Empty"); }, false},
        {"text pasted equal to the directory", [&] { pastePath(QString::fromStdString(start + "\\Empty")); },
         false},
        {"text typed key by key", [&] { typePath(QString::fromStdString(start + "\\Empty")); }, true},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(button(&window, "BtnOK")->isEnabled(), step.nextEnabled) << step.event;
    }
    // A directory opened after a file was clicked leaves its path in the text.
    window.openDirectory(start);
    clickFile(QStringLiteral("b.m3u"));
    window.openDirectory(start + "\\Sub");
    EXPECT_TRUE(button(&window, "BtnOK")->isEnabled());
    EXPECT_EQ(window.inputFileText(), start + "\\Sub");
    click(&window, "BtnCancel");
}

TEST_F(PickerTest, AFileAtTheDriveRootGetsTwoBackslashes)
{
    writeFile("root.m3u", "C:\\x.mp3\r\n");
    trigger("mnuCreate");
    ASSERT_EQ(picker()->currentDirectory(), "C:\\");
    clickFile(QStringLiteral("root.m3u"));
    EXPECT_EQ(control<QLineEdit>(picker(), "tbInputFile")->text(), QStringLiteral("C:\\\\root.m3u"));
    click(picker(), "BtnOK");
    settle();
    EXPECT_EQ(state().InputPlaylistPath, "C:\\\\root.m3u");
    EXPECT_EQ(state().PlaylistDirectory, "C:\\");
    expectMainState(mainWindow(), MainState::Preview);
    EXPECT_EQ(mainWindow().reportText(), "C:\\x.mp3");
}

TEST_F(PickerTest, DirectoryListShowsTheChainThenSubdirectoriesAndOpensOnDoubleClick)
{
    writeFile("Music/Rock/Old/a.m3u", "x");
    makeDirectory("Music/Rock/New");
    trigger("mnuCreate");
    picker()->openDirectory("C:\\Music\\Rock");
    auto* dir1 = control<QTreeWidget>(picker(), "Dir1");
    // Each entry with its depth: the chain nests step by step, the
    // subdirectories one step below the current directory.
    QStringList shown;
    std::vector<QTreeWidgetItem*> rows;
    for (QTreeWidgetItemIterator it(dir1); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        shown << QString::number(depth) + QLatin1Char(' ') + (*it)->text(0);
        rows.push_back(*it);
    }
    EXPECT_EQ(shown, (QStringList{"0 C:\\", "1 Music", "2 Rock", "3 New", "3 Old"}));
    ASSERT_EQ(rows.size(), 5u);

    // A real double-click: a click, then the double-click event.
    const auto doubleClick = [dir1](QTreeWidgetItem* item) {
        const QPoint centre = dir1->visualItemRect(item).center();
        QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, centre);
    };
    doubleClick(rows[4]);
    EXPECT_EQ(picker()->currentDirectory(), "C:\\Music\\Rock\\Old");
    EXPECT_EQ(picker()->inputFileText(), "C:\\Music\\Rock\\Old");
    EXPECT_EQ(control<QListWidget>(picker(), "File1")->count(), 1);

    doubleClick(dir1->topLevelItem(0));
    EXPECT_EQ(picker()->currentDirectory(), "C:\\");
    click(picker(), "BtnCancel");
}

TEST_F(PickerTest, TypingIntoTheTypeBoxChangesNothing)
{
    trigger("mnuCreate");
    auto* combo = control<QComboBox>(picker(), "Combo1");
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("*.kvr"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(picker()->filePattern(), "*.m3u");
    EXPECT_EQ(combo->count(), 4);
    click(picker(), "BtnCancel");
}

TEST_F(PickerTest, AnUnreadableFolderIsReportedAndTheWindowStaysWhereItWas)
{
    writeFile("Music/a.m3u", "x");
    trigger("mnuCreate");
    picker()->openDirectory("C:\\Music");
    ModalAnswerer answers;
    answers.then(acknowledge());
    EXPECT_FALSE(picker()->openDirectory("C:\\Gone"));
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_TRUE(answers.seen()[0].startsWith(QStringLiteral("KVR|The folder C:\\Gone cannot be read")));
    EXPECT_EQ(picker()->currentDirectory(), "C:\\Music");
    EXPECT_EQ(control<QListWidget>(picker(), "File1")->count(), 1);
    click(picker(), "BtnCancel");
}

TEST_F(PickerTest, AnUnreadableDriveIsReportedAndTheListStaysOnItsDrive)
{
    trigger("mnuCreate");
    auto* drives = control<QComboBox>(picker(), "Drive1");
    drives->setCurrentIndex(drives->findData(QChar::fromLatin1('Z')));
    ASSERT_EQ(picker()->currentDirectory(), "Z:\\");
    // Drive C: (HOME) goes away, as a medium taken out would.
    ASSERT_TRUE(QDir(QString::fromStdString(hostPath(""))).removeRecursively());

    ModalAnswerer answers;
    answers.then(acknowledge());
    drives->setCurrentIndex(drives->findData(QChar::fromLatin1('C')));
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_TRUE(answers.seen()[0].startsWith(QStringLiteral("KVR|The folder C:\\ cannot be read")));
    EXPECT_EQ(drives->currentData().toChar(), QChar::fromLatin1('Z'));
    EXPECT_EQ(picker()->currentDirectory(), "Z:\\");
    EXPECT_EQ(picker()->inputFileText(), "Z:\\");
    click(picker(), "BtnCancel");
}

TEST_F(PickerTest, DrivesKeepTheirCurrentDirectoryAcrossOpenings)
{
    makeDirectory("Music");
    trigger("mnuCreate");
    auto* drives = control<QComboBox>(picker(), "Drive1");
    const int zIndex = drives->findData(QChar::fromLatin1('Z'));
    const int cIndex = drives->findData(QChar::fromLatin1('C'));
    ASSERT_GE(zIndex, 0);
    ASSERT_GE(cIndex, 0);
    drives->setCurrentIndex(zIndex);
    EXPECT_EQ(picker()->currentDirectory(), "Z:\\");
    EXPECT_EQ(picker()->inputFileText(), "Z:\\");
    ASSERT_TRUE(picker()->openDirectory("Z:\\tmp"));
    drives->setCurrentIndex(cIndex);
    picker()->openDirectory("C:\\Music");
    click(picker(), "BtnCancel");
    settle();

    // A new opening starts afresh on C:, but each drive remembers its folder.
    trigger("mnuCreate");
    drives = control<QComboBox>(picker(), "Drive1");
    EXPECT_EQ(picker()->currentDirectory(), "C:\\");
    drives->setCurrentIndex(zIndex);
    EXPECT_EQ(picker()->currentDirectory(), "Z:\\tmp");
    picker()->openDirectory("Z:\\");
    drives->setCurrentIndex(cIndex);
    EXPECT_EQ(picker()->currentDirectory(), "C:\\");
    click(picker(), "BtnCancel");
}

TEST_F(PickerTest, ChoosingAnActionAgainOnlyRaisesTheOpenWindow)
{
    writeFile("Music/a.m3u", "x");
    trigger("mnuCreate");
    KVRFrmGetFilename* first = picker();
    first->openDirectory("C:\\Music");
    clickFile(QStringLiteral("a.m3u"));
    trigger("mnuRemove");
    EXPECT_EQ(picker(), first);
    EXPECT_EQ(state().OperationMode, "Remove");
    EXPECT_EQ(picker()->inputFileText(), "C:\\Music\\a.m3u");
    EXPECT_TRUE(button(picker(), "BtnOK")->isEnabled());
    click(picker(), "BtnCancel");
}

} // namespace
