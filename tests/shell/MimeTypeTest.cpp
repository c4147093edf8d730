// Run by CheckInstall.cmake once update-mime-database has built the database
// of a scratch install: XDG_DATA_DIRS names that prefix in front of the
// system's directories, so each name and file resolves as a file manager
// resolves it, against every other type the system knows.
#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <string>

namespace {

// By name in any letter case, and by file: an extended playlist's content
// matches M3U's own magic, and the name must still win, as the new type is
// the more specific of the two.
TEST(MimeTypeTest, KvrFilesResolveToTheM3uTextPlaylistTypeWithItsOwnIcon)
{
    const QMimeDatabase database;
    for (const char* name : {"mix.kvr", "MIX.KVR", "/home/me/Lists/001 mix.Kvr"})
        EXPECT_EQ(
            database.mimeTypeForFile(QLatin1String(name), QMimeDatabase::MatchExtension).name().toStdString(),
            "audio/x-kavora-playlist")
            << name;
    const QTemporaryDir folder;
    QFile playlist(folder.filePath(QStringLiteral("mix.kvr")));
    ASSERT_TRUE(playlist.open(QIODevice::WriteOnly));
    playlist.write("#EXTM3U\r\n#EXTINF:201,Artist - A\r\nC:\\Music\\001 A.mp3\r\n");
    playlist.close();
    const QMimeType type = database.mimeTypeForFile(playlist.fileName());
    EXPECT_EQ(type.name().toStdString(), "audio/x-kavora-playlist");

    EXPECT_TRUE(type.inherits(QStringLiteral("audio/x-mpegurl")));
    // Through M3U's own entry in the system's database.
    EXPECT_TRUE(type.inherits(QStringLiteral("text/plain")));
    EXPECT_FALSE(type.comment().isEmpty());
    EXPECT_EQ(type.iconName().toStdString(), "audio-x-kavora-playlist");
    EXPECT_EQ(type.genericIconName().toStdString(), "audio-x-generic");
}

} // namespace
