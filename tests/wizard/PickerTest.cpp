// The selection window: the "&Next" enabling rules and what it does with a
// folder or drive it cannot read.
#include "WizardFixture.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTest>

#include <tuple>

namespace {

using PickerTest = WizardFixture;

TEST_F(PickerTest, NextIsEnabledAsTheTableSays)
{
    const std::string start = "C:\\My Documents\\My Music\\My Playlists";
    for (const char* file : {"a.m3u", "b.m3u", "Sub/c.m3u"})
        writeFile("My Documents/My Music/My Playlists/" + std::string(file), "x");
    writeFile("My Documents/My Music/My Playlists/Empty/not a playlist.txt", "x");
    trigger("mnuCreate");
    KVRFrmGetFilename& picked = *picker();
    auto* combo = control<QComboBox>(&picked, "Combo1");

    const std::tuple<const char*, std::function<void()>, bool> steps[] = {
        {"loaded", [] {}, false},
        {"text pasted equal to the directory", [&] { typePath(start, true); }, false},
        {"a file clicked", [&] { clickFile(QStringLiteral("a.m3u")); }, true},
        {"a type with no file chosen", [&] { QTest::keyClick(combo, Qt::Key_Down); }, false},
        {"text typed that differs", [&] { typePath("c:\\my documents\\my music\\my playlists"); }, true},
        {"the type with files chosen", [&] { QTest::keyClick(combo, Qt::Key_Up); }, true},
        {"a directory with files opened", [&] { picked.openDirectory(start + "\\Sub"); }, true},
        {"an empty text typed", [&] { typePath({}); }, true},
        {"a directory without files opened", [&] { picked.openDirectory(start + "\\Empty"); }, false},
        {"text pasted equal to the directory", [&] { typePath(start + "\\Empty", true); }, false},
        {"text typed key by key", [&] { typePath(start + "\\Empty"); }, true},
        {"a directory with files opened", [&] { picked.openDirectory(start); }, true},
        {"a file clicked", [&] { clickFile(QStringLiteral("b.m3u")); }, true},
        {"a directory opened after it", [&] { picked.openDirectory(start + "\\Sub"); }, true},
    };
    for (const auto& [event, act, nextEnabled] : steps) {
        act();
        EXPECT_EQ(control<QPushButton>(&picked, "BtnOK")->isEnabled(), nextEnabled) << event;
    }
    EXPECT_EQ(picked.inputFileText(), start + "\\Sub"); // the directory opened replaced the file's path
    click(&picked, "BtnCancel");
}

// The first type also lists ".m3u8" playlists, as Windows does under "*.m3u";
// the entry texts stay as they are.
TEST_F(PickerTest, EachTypeListsItsFiles)
{
    for (const char* file : {"a.m3u", "B.M3U8", "c.m3u8.txt", "d.kvr", "e.pl", "f.m3u8x", "g.m3"})
        writeFile(std::string("My Documents/My Music/My Playlists/") + file, "x");
    trigger("mnuCreate");
    auto* combo = control<QComboBox>(picker(), "Combo1");
    const std::pair<const char*, std::vector<std::string>> types[] = {
        {"MusicMatch playlist (*.m3u)", {"a.m3u", "B.M3U8"}},
        {"Kavora playlist (*.kvr)", {"d.kvr"}},
        {"Music playlist (*.pl)", {"e.pl"}},
        {"All files (*.*)", {"a.m3u", "B.M3U8", "c.m3u8.txt", "d.kvr", "e.pl", "f.m3u8x", "g.m3"}},
    };
    ASSERT_EQ(combo->count(), static_cast<int>(std::size(types)));
    for (int index = 0; index < combo->count(); ++index) {
        const auto& [entry, listed] = types[index];
        combo->setCurrentIndex(index);
        picker()->Combo1Click();
        EXPECT_EQ(combo->itemText(index).toStdString(), entry);
        EXPECT_EQ(picker()->listedFiles(), listed) << entry;
    }
    click(picker(), "BtnCancel");
}

TEST_F(PickerTest, AnUnreadableFolderOrDriveIsReportedAndTheWindowStaysWhereItWas)
{
    writeFile("Music/a.m3u", "x");
    trigger("mnuCreate");
    picker()->openDirectory("C:\\Music");
    ModalAnswerer answers;
    answers.then(press("OK")).then(press("OK"));
    EXPECT_FALSE(picker()->openDirectory("C:\\Gone"));
    EXPECT_EQ(picker()->currentDirectory(), "C:\\Music");
    EXPECT_EQ(control<QListWidget>(picker(), "File1")->count(), 1);

    auto* drives = control<QComboBox>(picker(), "Drive1");
    drives->setCurrentIndex(drives->findData(QChar::fromLatin1('Z')));
    ASSERT_EQ(picker()->currentDirectory(), "Z:\\");
    // Drive C: (HOME) goes away, as a medium taken out would.
    ASSERT_TRUE(QDir(QString::fromStdString(hostPath(""))).removeRecursively());
    drives->setCurrentIndex(drives->findData(QChar::fromLatin1('C')));
    EXPECT_EQ(drives->currentData().toChar(), QChar::fromLatin1('Z'));
    EXPECT_EQ(picker()->currentDirectory(), "Z:\\");
    EXPECT_EQ(picker()->inputFileText(), "Z:\\");
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_TRUE(answers.seen[0].starts_with("KVR|The folder C:\\Gone cannot be read"));
    EXPECT_TRUE(answers.seen[1].starts_with("KVR|The folder C:\\ cannot be read"));
    click(picker(), "BtnCancel");
}

} // namespace
