// A playlist handed to the main window by its path: chosen as the selection
// window would have chosen it, and opened only when the window is free.
#include "wizard/OpenPlaylist.h"

#include "WizardFixture.h"
#include "platform/DriveMap.h"
#include "platform/FileSystem.h"
#include "wizard/PlaylistTypes.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

#include <filesystem>
#include <sys/stat.h>

namespace {

TEST(ChoosePlaylist, TakesThePlaylistAsTheSelectionWindowWould)
{
    using kavora::platform::Drive;
    const kavora::platform::DriveMap drives({Drive{'C', "/home/u", "c: [home]"},
                                             Drive{'D', "/media/usb", "d: [usb]"},
                                             Drive{'Z', "/", "z: [/]"}});
    const struct {
        std::string path, mode, input, directory;
    } cases[] = {
        {"/home/u/Lists/mix.m3u", "Create", "C:\\Lists\\mix.m3u", "C:\\Lists"},
        {"/home/u/Lists/mix.KVR", "Remove", "C:\\Lists\\mix.KVR", "C:\\Lists"},
        {"/home/u/mix.kvr", "Remove", "C:\\\\mix.kvr", "C:\\"},
        {"/home/u/Lists/../Old/./mix.pl", "Create", "C:\\Old\\mix.pl", "C:\\Old"},
        {"/media/usb/Lists/mix.m3u8", "Create", "D:\\Lists\\mix.m3u8", "D:\\Lists"},
        {"/tmp/mix.kvr.txt", "Create", "Z:\\tmp\\mix.kvr.txt", "Z:\\tmp"},
        {"C:\\Lists\\mix.kvr", "Remove", "C:\\Lists\\mix.kvr", "C:\\Lists"},
        {"c:/Lists//mix.m3u", "Create", "C:\\Lists\\mix.m3u", "C:\\Lists"},
        {"C:\\\\mix.m3u", "Create", "C:\\\\mix.m3u", "C:\\"},
        {"C:mix.kvr", "Remove", "C:mix.kvr", ""},
    };
    for (const auto& c : cases) {
        const ChosenPlaylist chosen = choosePlaylist(drives, c.path);
        EXPECT_EQ(chosen.operationMode, c.mode) << c.path;
        EXPECT_EQ(chosen.inputPlaylistPath, c.input) << c.path;
        EXPECT_EQ(chosen.playlistDirectory, c.directory) << c.path;
    }
}

using OpenPlaylistTest = WizardFixture;

TEST_F(OpenPlaylistTest, OnlyAFileWithAPlaylistNameIsAPlaylistFile)
{
    for (const char* name : {"a.m3u", "b.M3U8", "c.Pl", "d.KVR", "e.txt", "f.m3u.bak", "Sub.m3u/x"})
        writeFile(std::string("Lists/") + name, "x");
    ASSERT_EQ(::mkfifo(hostPath("Lists/pipe.m3u").c_str(), 0644), 0);
    std::filesystem::create_symlink("a.m3u", hostPath("Lists/link.m3u"));
    std::filesystem::create_symlink("gone.m3u", hostPath("Lists/dangling.m3u"));
    const kavora::platform::FileSystem fileSystem;
    const std::pair<const char*, bool> cases[] = {
        {"a.m3u", true},     {"b.M3U8", true},    {"c.Pl", true},          {"d.KVR", true},
        {"link.m3u", true},  {"e.txt", false},    {"f.m3u.bak", false},    {"Sub.m3u", false},
        {"pipe.m3u", false}, {"gone.m3u", false}, {"dangling.m3u", false},
    };
    for (const auto& [name, playlist] : cases) {
        EXPECT_EQ(isPlaylistFile(fileSystem, hostPath(std::string("Lists/") + name)), playlist) << name;
        EXPECT_EQ(isPlaylistFile(fileSystem, std::string("C:\\Lists\\") + name), playlist) << name;
    }
}

// A drag over `target` and its drop, as the window system hands them over:
// entering, moving, then the drop, each only if the one before was accepted.
// True when the drop was taken.
bool dragAndDrop(QWidget* target, const QList<QUrl>& urls)
{
    QMimeData dragged;
    dragged.setUrls(urls);
    const QPoint at = target->rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, actions, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, actions, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), actions, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents(); // the drop opens the playlist once it is over
    return drop.isAccepted();
}

QUrl fileUrl(const std::string& hostPath)
{
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(hostPath)));
}

// Dropped on the window, or on the report area over most of it, in the idle,
// preview and done states: the operation its type calls for, its own folder,
// its text, and the preview's buttons ("&Done" gone, "Ready" again).
TEST_F(OpenPlaylistTest, ADroppedPlaylistOpensInIdlePreviewAndDone)
{
    writeFile("Music/001 A.mp3", "A");
    writeFile("Lists/mix.m3u", "../Music/A.mp3\n");
    writeFile("Lists/mix.KVR", "C:\\Music\\001 A.mp3\r\n");
    EXPECT_TRUE(dragAndDrop(&window(), {fileUrl(hostPath("Lists/mix.KVR"))}));
    EXPECT_EQ(mainState(), kPreview);
    EXPECT_EQ(state().OperationMode, "Remove");
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Lists\\mix.KVR");
    EXPECT_EQ(window().reportText(), "C:\\Music\\001 A.mp3");
    QWidget* report = control<QPlainTextEdit>(&window(), "RichTextBox1")->viewport();
    EXPECT_TRUE(dragAndDrop(report, {fileUrl(hostPath("Lists/mix.KVR"))}));
    EXPECT_EQ(mainState(), kPreview);
    click(&window(), "BtnOK");
    ASSERT_EQ(mainState(), kDone);
    EXPECT_TRUE(dragAndDrop(report, {fileUrl(hostPath("Lists/../Lists/mix.m3u"))}));
    EXPECT_EQ(mainState(), kPreview);
    EXPECT_EQ(state().OperationMode, "Create");
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Lists\\mix.m3u");
    EXPECT_EQ(state().PlaylistDirectory, "C:\\Lists");
    EXPECT_EQ(window().reportText(), "../Music/A.mp3");
    click(&window(), "BtnCancel");
    click(picker(), "BtnCancel");
}

// Only one file with a playlist's name is taken; the window stays idle.
TEST_F(OpenPlaylistTest, AnythingElseDroppedIsRefused)
{
    writeFile("Lists/mix.m3u", "A.mp3\n");
    writeFile("Lists/other.pl", "B.mp3\n");
    writeFile("Lists/notes.txt", "x");
    writeFile("Lists/Folder.m3u/x", "x");
    const std::pair<const char*, QList<QUrl>> drops[] = {
        {"two playlists", {fileUrl(hostPath("Lists/mix.m3u")), fileUrl(hostPath("Lists/other.pl"))}},
        {"a folder", {fileUrl(hostPath("Lists"))}},
        {"a folder with a playlist's name", {fileUrl(hostPath("Lists/Folder.m3u"))}},
        {"a web address", {QUrl(QStringLiteral("http://radio.example/mix.m3u"))}},
        {"a file that is no playlist", {fileUrl(hostPath("Lists/notes.txt"))}},
        {"a playlist that is not there", {fileUrl(hostPath("Lists/gone.m3u"))}},
        {"no address at all", {}},
    };
    for (const auto& [what, urls] : drops) {
        EXPECT_FALSE(dragAndDrop(&window(), urls)) << what;
        EXPECT_EQ(mainState(), kIdle) << what;
    }
    trigger("mnuCreate");
    EXPECT_FALSE(dragAndDrop(&window(), {fileUrl(hostPath("Lists/mix.m3u"))})) << "selection window open";
    EXPECT_EQ(mainState(), kChoosing);
    click(picker(), "BtnCancel");
}

// Dragged in while the processing-error dialog waits, and when the job is
// over but still counts as running: refused both times, and the report stays.
// The same while a message box is open.
TEST_F(OpenPlaylistTest, ADropIsRefusedWhileAJobRunsOrADialogIsOpen)
{
    writeFile("Lists/mix.m3u", "Gone.mp3\n");
    writeFile("Lists/other.m3u", "Other.mp3\n");
    const QList<QUrl> other = {fileUrl(hostPath("Lists/other.m3u"))};
    OpenPlaylist(window(), hostPath("Lists/mix.m3u"));
    ModalAnswerer answers;
    answers.then([&](QWidget* dialog) {
        EXPECT_FALSE(dragAndDrop(&window(), other));
        EXPECT_EQ(mainState(), kRunning);
        press("&Ignore Errors")(dialog);
    });
    int ending = 0;
    const auto connection = QObject::connect(&window(), &KVRFrmStart::jobEnding, [&] {
        ++ending;
        EXPECT_FALSE(dragAndDrop(&window(), other));
    });
    click(&window(), "BtnOK");
    QObject::disconnect(connection);
    EXPECT_EQ(ending, 1);
    EXPECT_EQ(mainState(), kDone);
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Lists\\mix.m3u");

    answers.then([&](QWidget* box) {
        EXPECT_FALSE(dragAndDrop(&window(), other));
        press("OK")(box);
    });
    OpenPlaylist(window(), hostPath("Lists/gone.m3u"));
    EXPECT_EQ(answers.seen.size(), 2u);
    EXPECT_TRUE(dragAndDrop(&window(), other)); // the box is gone
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Lists\\other.m3u");
    click(&window(), "BtnCancel");
    click(picker(), "BtnCancel");
}

} // namespace
