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

const std::string playlistType = "audio/x-kavora-playlist";

TEST(MimeTypeTest, KvrNamesResolveToThePlaylistTypeInAnyLetterCase)
{
    const QMimeDatabase database;
    for (const char* name : {"mix.kvr", "MIX.KVR", "/home/me/Lists/001 mix.Kvr"})
        EXPECT_EQ(
            database.mimeTypeForFile(QLatin1String(name), QMimeDatabase::MatchExtension).name().toStdString(),
            playlistType)
            << name;
}

// The content of an extended playlist matches M3U's own magic; the name must
// still win, as the new type is the more specific of the two.
TEST(MimeTypeTest, AnExtendedPlaylistWrittenAsKvrKeepsItsType)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile playlist(folder.filePath(QStringLiteral("mix.kvr")));
    ASSERT_TRUE(playlist.open(QIODevice::WriteOnly));
    playlist.write("#EXTM3U\r\n#EXTINF:201,Artist - A\r\nC:\\Music\\001 A.mp3\r\n");
    playlist.close();
    EXPECT_EQ(QMimeDatabase().mimeTypeForFile(playlist.fileName()).name().toStdString(), playlistType);
}

TEST(MimeTypeTest, ThePlaylistTypeIsAnM3uTextPlaylistWithItsOwnIcon)
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromStdString(playlistType));
    ASSERT_TRUE(type.isValid());
    EXPECT_TRUE(type.inherits(QStringLiteral("audio/x-mpegurl")));
    // Through M3U's own entry in the system's database.
    EXPECT_TRUE(type.inherits(QStringLiteral("text/plain")));
    EXPECT_FALSE(type.comment().isEmpty());
    EXPECT_EQ(type.iconName().toStdString(), "audio-x-kavora-playlist");
    EXPECT_EQ(type.genericIconName().toStdString(), "audio-x-generic");
}

} // namespace
