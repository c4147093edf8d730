// A playlist handed to the main window by its path: chosen as the selection
// window would have chosen it, and opened only when the window is free.
#include "wizard/OpenPlaylist.h"

#include "WizardFixture.h"
#include "platform/DriveMap.h"
#include "platform/FileSystem.h"
#include "wizard/PlaylistTypes.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

#include <sys/stat.h>

namespace {

TEST(ChoosePlaylist, TakesThePlaylistAsTheSelectionWindowWould)
{
    using kavora::platform::Drive;
    const kavora::platform::DriveMap drives({Drive{'C', "/home/u", "c: [home]"},
                                             Drive{'D', "/media/usb", "d: [usb]"},
                                             Drive{'Z', "/", "z: [/]"}});
    // The path handed over, then the operation, input path and directory.
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/Lists/mix.m3u", "Create|C:\\Lists\\mix.m3u|C:\\Lists"},
        {"/home/u/Lists/mix.KVR", "Remove|C:\\Lists\\mix.KVR|C:\\Lists"},
        {"/home/u/mix.kvr", "Remove|C:\\\\mix.kvr|C:\\"},
        {"/home/u/Lists/../Old/./mix.pl", "Create|C:\\Old\\mix.pl|C:\\Old"},
        {"/media/usb/Lists/mix.m3u8", "Create|D:\\Lists\\mix.m3u8|D:\\Lists"},
        {"/tmp/mix.kvr.txt", "Create|Z:\\tmp\\mix.kvr.txt|Z:\\tmp"},
        {"C:\\Lists\\mix.kvr", "Remove|C:\\Lists\\mix.kvr|C:\\Lists"},
        {"c:/Lists//mix.m3u", "Create|C:\\Lists\\mix.m3u|C:\\Lists"},
        {"C:\\\\mix.m3u", "Create|C:\\\\mix.m3u|C:\\"},
        {"C:mix.kvr", "Remove|C:mix.kvr|"},
    };
    for (const auto& [path, expected] : cases) {
        const ChosenPlaylist chosen = choosePlaylist(drives, path);
        EXPECT_EQ(chosen.operationMode + '|' + chosen.inputPlaylistPath + '|' + chosen.playlistDirectory,
                  expected);
    }
}

class OpenPlaylistTest : public WizardFixture {
protected:
    QUrl url(const std::string& relative) const
    {
        return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(hostPath(relative))));
    }
    // The operation, the input path, the directory and the report.
    std::string opened()
    {
        return state().OperationMode + '|' + state().InputPlaylistPath + '|' + state().PlaylistDirectory +
               '|' + window().reportText();
    }
};

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
    QDragMoveEvent move(at, actions, &dragged, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(at), actions, &dragged, Qt::LeftButton, Qt::NoModifier);
    for (QEvent* event : std::initializer_list<QEvent*>{&enter, &move, &drop}) {
        QCoreApplication::sendEvent(target, event);
        if (!event->isAccepted())
            return false;
    }
    QCoreApplication::processEvents(); // the drop opens the playlist once it is over
    return true;
}

// Dropped on the window, or on the report area over most of it, in the idle,
// preview and done states, a playlist opens: the operation its type calls for,
// its own folder, its text, and the preview's buttons ("&Done" gone, "Ready"
// again). While a job runs (its processing-error dialog waiting, or over but
// still counting as running) or a message box is open, a drop is refused.
TEST_F(OpenPlaylistTest, ADroppedPlaylistOpensOnlyWhileTheWindowIsFree)
{
    writeFile("Lists/mix.m3u", "Gone.mp3\n");
    writeFile("Lists/old.KVR", "C:\\Music\\001 A.mp3\r\n");
    const QList<QUrl> kvr = {url("Lists/old.KVR")};
    EXPECT_TRUE(dragAndDrop(&window(), kvr));
    EXPECT_EQ(mainState(), kPreview);
    EXPECT_EQ(opened(), "Remove|C:\\Lists\\old.KVR|C:\\Lists|C:\\Music\\001 A.mp3");
    QWidget* report = control<QPlainTextEdit>(&window(), "RichTextBox1")->viewport();
    EXPECT_TRUE(dragAndDrop(report, {url("Lists/../Lists/mix.m3u")}));
    EXPECT_EQ(mainState(), kPreview);
    EXPECT_EQ(opened(), "Create|C:\\Lists\\mix.m3u|C:\\Lists|Gone.mp3");

    ModalAnswerer answers;
    answers.then([&](QWidget* dialog) {
        EXPECT_FALSE(dragAndDrop(&window(), kvr));
        EXPECT_EQ(mainState(), kRunning);
        press("&Ignore Errors")(dialog);
    });
    int ending = 0;
    const auto connection = QObject::connect(&window(), &KVRFrmStart::jobEnding, [&] {
        ++ending;
        EXPECT_FALSE(dragAndDrop(&window(), kvr));
    });
    click(&window(), "BtnOK");
    QObject::disconnect(connection);
    EXPECT_EQ(ending, 1);
    EXPECT_EQ(mainState(), kDone);
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Lists\\mix.m3u");
    EXPECT_TRUE(dragAndDrop(report, kvr));
    EXPECT_EQ(mainState(), kPreview);
    EXPECT_EQ(opened(), "Remove|C:\\Lists\\old.KVR|C:\\Lists|C:\\Music\\001 A.mp3");

    answers.then([&](QWidget* box) {
        EXPECT_FALSE(dragAndDrop(&window(), {url("Lists/mix.m3u")}));
        press("OK")(box);
    });
    OpenPlaylist(window(), hostPath("Lists/gone.m3u"));
    EXPECT_EQ(answers.seen.size(), 2U);
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Lists\\gone.m3u");
    EXPECT_TRUE(dragAndDrop(&window(), kvr)); // the box is gone
    EXPECT_EQ(state().InputPlaylistPath, "C:\\Lists\\old.KVR");
    click(&window(), "BtnCancel");
    click(picker(), "BtnCancel");
}

// Only one file with a playlist's name is taken; the window stays idle. Nor
// is one taken while the selection window is open.
TEST_F(OpenPlaylistTest, AnythingElseDroppedIsRefused)
{
    writeFile("Lists/mix.m3u", "A.mp3\n");
    writeFile("Lists/other.pl", "B.mp3\n");
    writeFile("Lists/notes.txt", "x");
    const std::pair<const char*, QList<QUrl>> drops[] = {
        {"two playlists", {url("Lists/mix.m3u"), url("Lists/other.pl")}},
        {"a folder", {url("Lists")}},
        {"a web address", {QUrl(QStringLiteral("http://radio.example/mix.m3u"))}},
        {"a file that is no playlist", {url("Lists/notes.txt")}},
        {"a playlist that is not there", {url("Lists/gone.m3u")}},
        {"no address at all", {}},
    };
    for (const auto& [what, urls] : drops) {
        EXPECT_FALSE(dragAndDrop(&window(), urls)) << what;
        EXPECT_EQ(mainState(), kIdle) << what;
    }
    trigger("mnuCreate");
    EXPECT_FALSE(dragAndDrop(&window(), {url("Lists/mix.m3u")})) << "selection window open";
    EXPECT_EQ(mainState(), kChoosing);
    click(picker(), "BtnCancel");
}

} // namespace
