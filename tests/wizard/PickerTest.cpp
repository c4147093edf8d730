// The selection window alone, without a main window: the "&Next" enabling
// rules, the listed types, what it does with a folder or drive it cannot read,
// and the signals by which it says what the user asked for.
#include "WizardFixture.h"
#include "platform/FileSystem.h"
#include "processing/MessageBoxes.h"

#include <QDir>
#include <QSignalSpy>
#include <QTreeWidget>

#include <tuple>

namespace {

const std::string kStart = "C:\\My Documents\\My Music\\My Playlists";
const std::string kStartHost = "My Documents/My Music/My Playlists/";

class PickerTest : public WizardFixture, public kavora::MessageBoxes {
protected:
    KVRFrmGetFilename* picker() override { return m_picker; }
    // Loads the window over the files written so far.
    KVRFrmGetFilename& open()
    {
        m_picker = new KVRFrmGetFilename(m_fileSystem, *this, m_fileSystem.drives());
        m_picker->show();
        return *m_picker;
    }
    void TearDown() override
    {
        delete m_picker.data();
        WizardFixture::TearDown();
    }
    // Message boxes only noted, as "title|prompt".
    void show(std::string_view prompt, std::string_view title, kavora::MessageIcon) override
    {
        m_shown.push_back(std::string(title) + '|' + std::string(prompt));
    }

    std::vector<std::string> m_shown;

private:
    const kavora::platform::FileSystem m_fileSystem;
    QPointer<KVRFrmGetFilename> m_picker;
};

TEST_F(PickerTest, NextIsEnabledAsTheTableSays)
{
    for (const char* file : {"a.m3u", "b.m3u", "Sub/c.m3u", "Empty/not a playlist.txt"})
        writeFile(kStartHost + file, "x");
    KVRFrmGetFilename& picked = open();
    auto* combo = control<QComboBox>(&picked, "Combo1");

    const std::tuple<const char*, std::function<void()>, bool> steps[] = {
        {"loaded", [] {}, false},
        {"text pasted equal to the directory", [&] { typePath(kStart, true); }, false},
        {"a file clicked", [&] { clickFile(QStringLiteral("a.m3u")); }, true},
        {"a type with no file chosen", [&] { QTest::keyClick(combo, Qt::Key_Down); }, false},
        {"text typed that differs", [&] { typePath("c:\\my documents\\my music\\my playlists"); }, true},
        {"the type with files chosen", [&] { QTest::keyClick(combo, Qt::Key_Up); }, true},
        {"a directory with files opened", [&] { picked.openDirectory(kStart + "\\Sub"); }, true},
        {"an empty text typed", [&] { typePath({}); }, true},
        {"a directory without files opened", [&] { picked.openDirectory(kStart + "\\Empty"); }, false},
        {"text pasted equal to the directory", [&] { typePath(kStart + "\\Empty", true); }, false},
        {"text typed key by key", [&] { typePath(kStart + "\\Empty"); }, true},
        {"a directory with files opened", [&] { picked.openDirectory(kStart); }, true},
        {"a file clicked", [&] { clickFile(QStringLiteral("b.m3u")); }, true},
        {"a directory opened after it", [&] { picked.openDirectory(kStart + "\\Sub"); }, true},
    };
    for (const auto& [event, act, nextEnabled] : steps) {
        act();
        EXPECT_EQ(control<QPushButton>(&picked, "BtnOK")->isEnabled(), nextEnabled) << event;
    }
    EXPECT_EQ(picked.inputFileText(), kStart + "\\Sub"); // the directory opened replaced the file's path
}

// The first type also lists ".m3u8" playlists, as Windows does under "*.m3u";
// the entry texts stay as they are. Only a choice from the list changes the
// type: text typed into the type box that names another type, however the
// editing ends, chooses nothing. Dot-folders are listed, as players keep
// playlists there; Enter in the folder list opens one.
TEST_F(PickerTest, EachTypeListsItsFilesAndTypingInTheTypeBoxChoosesNone)
{
    for (const char* file : {"a.m3u", "B.M3U8", "c.m3u8.txt", "d.kvr", "e.pl", "f.m3u8x", "g.m3",
                             ".old/h.m3u", "i.pls", "j.XSPF", "k.wpl", "l.asx"})
        writeFile(kStartHost + file, "x");
    KVRFrmGetFilename& picked = open();
    auto* folders = control<QTreeWidget>(&picked, "Dir1");
    const auto dotFolder = folders->findItems(QStringLiteral(".old"), Qt::MatchRecursive);
    ASSERT_EQ(dotFolder.size(), 1);
    folders->setCurrentItem(dotFolder.front());
    QTest::keyClick(folders, Qt::Key_Return); // opens it
    EXPECT_EQ(picked.currentDirectory(), kStart + "\\.old");
    EXPECT_EQ(picked.listedFiles(), std::vector<std::string>{"h.m3u"});
    picked.openDirectory(kStart);
    auto* combo = control<QComboBox>(&picked, "Combo1");
    const std::pair<const char*, std::vector<std::string>> types[] = {
        {"MusicMatch playlist (*.m3u)", {"a.m3u", "B.M3U8"}},
        {"Kavora playlist (*.kvr)", {"d.kvr"}},
        {"Music playlist (*.pl)", {"e.pl"}},
        {"All files (*.*)",
         {"a.m3u", "B.M3U8", "c.m3u8.txt", "d.kvr", "e.pl", "f.m3u8x", "g.m3", "i.pls", "j.XSPF", "k.wpl",
          "l.asx"}},
        {"PLS playlist (*.pls)", {"i.pls"}},
        {"XSPF playlist (*.xspf)", {"j.XSPF"}},
        {"Windows Media playlist (*.wpl;*.asx)", {"k.wpl", "l.asx"}},
    };
    ASSERT_EQ(combo->count(), static_cast<int>(std::size(types)));
    EXPECT_EQ(picked.listedFiles(), types[0].second) << "as loaded";
    for (int index = combo->count() - 1; index >= 0; --index) {
        const auto& [entry, listed] = types[index];
        combo->setCurrentIndex(index);
        picked.Combo1Click();
        EXPECT_EQ(combo->itemText(index).toStdString(), entry);
        EXPECT_EQ(picked.listedFiles(), listed) << entry;
    }

    QSignalSpy next(&picked, &KVRFrmGetFilename::nextRequested);
    const std::pair<const char*, std::function<void(QLineEdit*)>> endings[] = {
        {"Enter", [](QLineEdit* text) { QTest::keyClick(text, Qt::Key_Return); }},
        {"keypad Enter", [](QLineEdit* text) { QTest::keyClick(text, Qt::Key_Enter, Qt::KeypadModifier); }},
        {"focus leaving",
         [](QLineEdit* text) {
             QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
             QCoreApplication::sendEvent(text, &out);
         }},
    };
    for (const auto& [ending, end] : endings) {
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("Kavora playlist (*.kvr)"));
        end(combo->lineEdit());
        EXPECT_EQ(combo->currentIndex(), 0) << ending;
        EXPECT_EQ(picked.listedFiles(), types[0].second) << ending;
        EXPECT_TRUE(picked.isVisible() && next.isEmpty()) << ending;
    }
}

TEST_F(PickerTest, AnUnreadableFolderOrDriveIsReportedAndTheWindowStaysWhereItWas)
{
    writeFile("Music/a.m3u", "x");
    KVRFrmGetFilename& picked = open();
    picked.openDirectory("C:\\Music");
    EXPECT_FALSE(picked.openDirectory("C:\\Gone"));
    EXPECT_EQ(picked.currentDirectory(), "C:\\Music");
    EXPECT_EQ(control<QListWidget>(&picked, "File1")->count(), 1);

    chooseDrive('Z');
    ASSERT_EQ(picked.currentDirectory(), "Z:\\");
    // Drive C: (HOME) goes away, as a medium taken out would.
    ASSERT_TRUE(QDir(QString::fromStdString(hostPath(""))).removeRecursively());
    chooseDrive('C');
    EXPECT_EQ(control<QComboBox>(&picked, "Drive1")->currentData().toChar(), QChar::fromLatin1('Z'));
    EXPECT_EQ(picked.currentDirectory(), "Z:\\");
    EXPECT_EQ(picked.inputFileText(), "Z:\\");
    ASSERT_EQ(m_shown.size(), 2U);
    EXPECT_TRUE(m_shown[0].starts_with("KVR|The folder C:\\Gone cannot be read"));
    EXPECT_TRUE(m_shown[1].starts_with("KVR|The folder C:\\ cannot be read"));
}

// "&Next", pressed by Enter, hands on the text as it stands and the directory
// shown, and leaves closing to its receiver; "&Back" and the close box close the window. A file
// picked at a drive root is joined with a second backslash; a picked name
// keeps its bytes, UTF-8 or not.
TEST_F(PickerTest, SaysWhatTheUserAskedForBySignals)
{
    writeFile("a.m3u", "x");
    writeFile("Caf\xE9.m3u", "x");
    for (const bool closeBoxed : {false, true}) {
        SCOPED_TRACE(closeBoxed ? "close box" : "Back");
        KVRFrmGetFilename& picked = open();
        QSignalSpy next(&picked, &KVRFrmGetFilename::nextRequested);
        QSignalSpy back(&picked, &KVRFrmGetFilename::backRequested);
        QSignalSpy closed(&picked, &KVRFrmGetFilename::closed);
        auto* text = control<QLineEdit>(&picked, "tbInputFile");
        QTest::keyClick(text, Qt::Key_Return); // "&Next" is disabled: nothing
        const auto nextGives = [&](const std::string& inputFile) {
            QTest::keyClick(text, Qt::Key_Return);
            ASSERT_EQ(next.size(), 1);
            const QVariantList given = next.takeFirst();
            EXPECT_EQ(given.value(0).value<std::string>() + '|' + given.value(1).value<std::string>(),
                      inputFile + "|C:\\");
        };
        if (!closeBoxed) {
            clickFile(QStringLiteral("a.m3u"));
            nextGives("C:\\\\a.m3u");
            typePath("C:\\Other\\b.m3u"); // another folder
            nextGives("C:\\Other\\b.m3u");
            clickFile(QStringLiteral("Caf\u00E9.m3u"));
            nextGives("C:\\\\Caf\xE9.m3u");
        }
        EXPECT_TRUE(closed.isEmpty() && picked.isVisible()) << "Next closed the window";
        if (closeBoxed)
            EXPECT_TRUE(closeBox(&picked));
        else
            click(&picked, "BtnCancel");
        EXPECT_EQ(back.size(), closeBoxed ? 0 : 1);
        EXPECT_EQ(closed.size(), 1);
        EXPECT_TRUE(next.isEmpty());
        EXPECT_EQ(picker(), nullptr) << "a closed window deletes itself";
    }
}

} // namespace
