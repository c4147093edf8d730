// Playlists as players write them: the line rules, then whole playlists of
// each kind numbered and restored through the engine on real files.
#include "EngineFixture.h"
#include "platform/FileSystem.h"
#include "processing/playlist/EntryPath.h"
#include "processing/playlist/PlaylistLine.h"
#include "processing/playlist/PlaylistPreview.h"
#include "processing/playlist/PlaylistReader.h"
#include "tests/Bounds.h"

#include <sys/mount.h>
#include <sys/resource.h>

namespace kavora::test {
namespace {

using playlist::EntryText;
using playlist::PlaylistItem;
using Kind = PlaylistItem::Kind;

// What each line is, the path it names (after %XX decoding where the line is
// a URI, or where its literal reading names nothing), and the line written
// back with "012 " and the file's name on disk (`diskName`).
TEST(PlaylistLines, KindPathAndNumberedForm)
{
    const struct {
        std::string line;
        Kind kind;
        std::string path{}, diskName{}, numbered{};
    } cases[] = {
        {"", Kind::Blank},
        {" \t ", Kind::Blank},
        {"#EXTM3U", Kind::Directive},
        {"#1.mp3", Kind::Entry, "#1.mp3", "#1.mp3", "012 #1.mp3"},
        {"  #EXTINF:215,Artist - Title", Kind::Directive},
        {"http://radio.example/stream", Kind::Stream},
        {"HTTPS://radio.example/a.mp3", Kind::Stream},
        {"rtsp://cam/live", Kind::Stream},
        {"file://server/share/a.mp3", Kind::Stream},
        {"C:\\Music\\Song.mp3", Kind::Entry, "C:\\Music\\Song.mp3", "SONG.mp3", "C:\\Music\\012 SONG.mp3"},
        {"C://Music/a.mp3", Kind::Entry, "C://Music/a.mp3", "a.mp3", "C://Music/012 a.mp3"},
        {"Sub/Song.mp3", Kind::Entry, "Sub/Song.mp3", "Song.mp3", "Sub/012 Song.mp3"},
        {"file:///C:/Music/A%20B.mp3", Kind::Entry, "C:/Music/A B.mp3", "A B.mp3",
         "file:///C:/Music/012%20A%20B.mp3"},
        {"file:///home/u/It%27s.mp3", Kind::Entry, "/home/u/It's.mp3", "It's.mp3",
         "file:///home/u/012%20It%27s.mp3"},
        {"file://localhost/home/u/x%C3%A9.mp3", Kind::Entry, "/home/u/x\xC3\xA9.mp3", "X\xC3\xA9 #1.mp3",
         "file://localhost/home/u/012%20X%C3%A9%20%231.mp3"},
        {"FILE:/home/u/a.mp3", Kind::Entry, "/home/u/a.mp3", "a.mp3", "FILE:/home/u/012%20a.mp3"},
        {"file://C:/Music/a.mp3", Kind::Entry, "C:/Music/a.mp3", "a.mp3", "file://C:/Music/012%20a.mp3"},
        {"file:///c|/Music/a.mp3", Kind::Entry, "c:/Music/a.mp3", "a.mp3", "file:///c|/Music/012%20a.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        // Only "#1.mp3" is a file: a '#' line names one when it is there.
        const PlaylistItem line =
            playlist::classify({c.line, false}, [](std::string_view path) { return path == "#1.mp3"; });
        EXPECT_EQ(line.kind, c.kind);
        ASSERT_EQ(line.entry.has_value(), c.kind == Kind::Entry);
        if (line.entry) {
            EXPECT_EQ(line.entry->path(), c.path);
            EXPECT_EQ(line.entry->withNumberedName("012 ", c.diskName), c.numbered);
        }
    }
    // An overlong line is never an entry.
    EXPECT_EQ(playlist::classify({"C:\\Music\\x", true}, [](std::string_view) { return true; }).kind,
              Kind::Overlong);
    // Escapes in a plain path are a second reading, kept encoded when written.
    // A '%' without two hex digits after it, the last one too, stays as it is.
    const EntryText decoded = EntryText::plainPath("Music/A%20B%zz%2.mp3%").percentDecoded().value();
    EXPECT_EQ(decoded.path(), "Music/A B%zz%2.mp3%");
    EXPECT_EQ(decoded.withNumberedName("001 ", "A B%zz%2.mp3%"), "Music/001%20A%20B%zz%2.mp3%");
    EXPECT_FALSE(EntryText::plainPath("100% Hits.mp3").percentDecoded().has_value());
    // An escaped separator makes a folder of part of the last part: kept before the number.
    EXPECT_EQ(
        EntryText::plainPath("Music/x%5cA.mp3").percentDecoded().value().withNumberedName("001 ", "A.mp3"),
        "Music/x%5C001%20A.mp3");
    EXPECT_TRUE(playlist::isTitle("#EXTINF:1,A") && playlist::isTitle(" #extinf:-1,") &&
                !playlist::isTitle("#EXTM3U"));
    EXPECT_EQ(playlist::leadingCharacters("\xC3\xA9t\xC3\xA9 x", 3), "\xC3\xA9t\xC3\xA9");
}

TEST(PlaylistLines, NewPlaylistPathAndEntryPaths)
{
    const std::pair<std::string, std::string> newPaths[] = {
        {"C:\\Lists\\mix.m3u", "C:\\Lists\\mix.kvr"}, {"C:\\Lists\\mix.m3u8", "C:\\Lists\\mix.kvr"},
        {"C:\\Lists\\mix.pl", "C:\\Lists\\mix.kvr"},  {"C:\\Lists\\mix", "C:\\Lists\\mix.kvr"},
        {"C:\\Lists.d/mix", "C:\\Lists.d/mix.kvr"},   {"C:\\Lists\\mix.kvr", "C:\\Lists\\mix.kvr"},
        {"/home/u/.m3u", "/home/u/.m3u.kvr"}};
    for (const auto& [input, output] : newPaths)
        EXPECT_EQ(playlist::newPlaylistPath(input), output) << input;

    const std::tuple<std::string, std::string, std::string> lookups[] = {
        {"C:\\Lists\\mix.m3u", "Song.mp3", "C:\\Lists\\Song.mp3"},
        {"C:\\Lists\\mix.m3u", ".\\..\\Other\\Song.mp3", "C:\\Other\\Song.mp3"},
        {"C:\\Lists\\mix.m3u", "\\Music\\Song.mp3", "C:\\Music\\Song.mp3"},
        {"/home/u/mix.m3u", "\\Music\\Song.mp3", "\\Music\\Song.mp3"},
        {"/home/u/mix.m3u", "Music/Song.mp3", "/home/u/Music/Song.mp3"},
        {"C:\\Lists\\mix.m3u", "/home/u/Song.mp3", "/home/u/Song.mp3"},
        {"C:\\Lists\\mix.m3u", "D:\\Song.mp3", "D:\\Song.mp3"},
        {"mix.m3u", "Song.mp3", "Song.mp3"}};
    for (const auto& [playlistPath, entry, path] : lookups)
        EXPECT_EQ(lookupPath(playlistPath, entry), path) << playlistPath << " " << entry;

    const std::tuple<std::string, std::string, std::string> completions[] = {
        {"D:\\Backup\\", "C:\\Music\\B.mp3", "D:\\Backup\\B.mp3"},
        {"D:\\Backup", "/home/u/B.mp3", "D:\\Backup\\B.mp3"},
        {"C:\\Music", "song.mp3", "C:\\Music\\song.mp3"},
        {"C:\\Music\\", "Sub\\s.mp3", "C:\\Music\\Sub\\s.mp3"},
        {"", "C:\\Music\\B.mp3", "C:\\Music\\B.mp3"}};
    for (const auto& [directory, entry, completed] : completions)
        EXPECT_EQ(completedEntry(directory, entry), completed) << directory << " " << entry;
}

std::string utf16LittleEndian(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text)
        bytes += std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

// Every item the reader gives, as "<kind> <text>[ =<path>][ [<title>]]" joined
// by "|", or why it refused the playlist.
std::string itemsOf(std::string bytes)
{
    auto reader = playlist::PlaylistReader::fromBytes(std::move(bytes));
    if (!reader)
        return "failed: " + reader.failure().reason;
    std::string items;
    while (const auto item = reader.value()->next([](std::string_view) { return false; })) {
        items += items.empty() ? "" : "|";
        items += "EBDSO"[static_cast<int>(item->kind)] + (" " + item->text);
        if (item->entry && item->entry->path() != item->text)
            items += " =" + item->entry->path();
        if (!item->title.empty())
            items += " [" + item->title + "]";
    }
    return items;
}

// Each format as players write it, told by its content alone.
TEST(PlaylistFormats, EntriesInOrderWithTitlesAndTextAsWritten)
{
    std::string deep;
    for (int depth = 0; depth < 70; ++depth)
        deep += "<a>";
    const std::string longBase = "file:///" + std::string(40000, 'd') + "/"; // a short location past any path
    // Tracks enough to be read in several batches: all of them, in order.
    std::string manyTracks = "<playlist><trackList>";
    std::string manyItems;
    for (int track = 0; track < 1000; ++track) {
        manyTracks += "<track><location>t" + std::to_string(track) + ".mp3</location></track>";
        manyItems += (track == 0 ? "E t" : "|E t") + std::to_string(track) + ".mp3";
    }
    manyTracks += "</trackList></playlist>";
    const std::pair<std::string, std::string> cases[] = {
        {"#EXTM3U\r\n#EXTINF:215,Artist - A\r\nA.mp3\r\nB.mp3",
         "D #EXTM3U|D #EXTINF:215,Artist - A|E A.mp3 [Artist - A]|E B.mp3"},
        {"Winamp says hello\r\n[Playlist]\r\nfile2=B.mp3\r\ntitle2=Bee\r\nFile1=http://radio/s\r\n"
         "numberofentries=2\r\nVersion=2\r\n",
         "S http://radio/s|E B.mp3 [Bee]"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
         "xmlns=\"http://xspf.org/ns/0/\">\n"
         "<trackList>\n<track><location>http://radio.example/a.mp3</location>\n"
         "<location>\n file:///home/u/Funk%20&amp;%20Disco.mp3 </location>"
         "<title>Funk &amp; Disco</title><creator>Band</creator></track>\n"
         "<track><location><![CDATA[Sub/B & C.ogg]]></location><title>&#x42;ee</title></track>\n"
         "<track xml:base=\"file:///home/u/Music/\"><location>C%20D.flac</location></track>\n"
         "<track><location>http://radio.example/only</location></track>\n</trackList>\n</playlist>\n",
         "E file:///home/u/Funk%20&%20Disco.mp3 =/home/u/Funk & Disco.mp3 [Band - Funk & Disco]|"
         "E Sub/B & C.ogg [Bee]|E file:///home/u/Music/C%20D.flac =/home/u/Music/C D.flac|"
         "S http://radio.example/only"},
        {utf16LittleEndian(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><playlist><trackList><track>"
                           u"<location>C:\\Caf\u00e9.mp3</location></track></trackList></playlist>"),
         "E C:\\Caf\xC3\xA9.mp3"},
        {"<?xml version=\"1.0\" encoding=\"Windows-1252\"?><playlist><trackList><track>"
         "<location>C:\\Caf\xE9 \x80.mp3</location><title>\x93Hi\x94</title></track>"
         "<track xml:base=\"" +
             longBase + "\"><location>a.mp3</location></track></trackList></playlist>",
         "E C:\\Caf\xC3\xA9 \xE2\x82\xAC.mp3 [\xE2\x80\x9CHi\xE2\x80\x9D]|O " + longBase.substr(0, 320)},
        {"<?wpl version=\"1.0\"?>\r\n<smil><head><title>Mix</title></head><body><seq>"
         "<media src=\"..\\Music\\A &amp; B.wma\"/><media src=\"\\\\server\\share\\c.mp3\"/></seq>"
         "<seq><media src=\"D:\\Other\\d.mp3\" tid=\"{1}\"/></seq></body></smil>",
         "E ..\\Music\\A & B.wma|E \\\\server\\share\\c.mp3|E D:\\Other\\d.mp3"},
        {"<ASX Version=\"3.0\"><Title>List</Title><Entry><Title>One</Title><Author>Me</Author>"
         "<REF HREF=\"file:///C:/Music/one.wma\"/></Entry><Repeat><entry><ref href=\"mms://stream\"/>"
         "<ref Href=\"two.mp3\"/></entry></Repeat></ASX>",
         "E file:///C:/Music/one.wma =C:/Music/one.wma [Me - One]|E two.mp3"},
        {manyTracks, manyItems},
        {"<html><body>a.mp3</body></html>",
         "failed: no XSPF, WPL or ASX playlist but a document <html> at line 1"},
        {"<playlist>\n" + deep, "failed: elements nested too deeply at line 2"},
        // A NUL in the first 64 KiB, but for UTF-16 with its mark (above), is no text.
        {"A.mp3\r\n" + std::string(1, '\0') + "\r\nB.mp3", "failed: not a text file"},
        {utf16LittleEndian(u"A.mp3").substr(2), "failed: not a text file"},
        {"\xEF\xBB\xBF<playlist>" + std::string(1, '\0'), "failed: not a text file"},
    };
    for (const auto& [bytes, items] : cases)
        EXPECT_EQ(itemsOf(bytes), items) << bytes.substr(0, 60);
}

using PlaylistCorpus = EngineTest;

// Playlists written as common players write them, each with the files it
// names laid out: Create numbers every local file in playlist order with no
// dialog, keeps every directive and blank line in its place, and Remove gives
// back every name and byte.
TEST_F(PlaylistCorpus, EveryKindIsNumberedAndRestored)
{
    const std::string home = host("x").parent_path().string(), uber = std::string("\xC3\x9C") + "ber.flac";
    const std::string lin = home + "/Music/Lin/", uri = home + "/Music/Uri/";
    const std::string xspfHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
                                 "xmlns=\"http://xspf.org/ns/0/\">\n\t<title>Mix</title>\n\t<trackList>\n";
    const struct {
        std::string playlist, kvr;
        std::vector<std::string> files;
        std::vector<std::string> errors{}; // report lines of entries that are not local files
        std::string name = "list.m3u";
    } corpus[] = {
        // Windows extended M3U: CR LF, backslashes, relative and Windows-1252 entries
        {"#EXTM3U\r\n#EXTINF:215,Artist - Caf\xE9\r\n..\\Music\\Win\\Caf\xE9.mp3\r\n#EXTINF:200,B\r\n"
         "C:\\Music\\Win\\B.mp3\r\n",
         "#EXTM3U\r\n#EXTINF:215,Artist - Caf\xE9\r\n..\\Music\\Win\\001 Caf\xC3\xA9.mp3\r\n#EXTINF:200,B\r\n"
         "C:\\Music\\Win\\002 B.mp3\r\n",
         {"Music/Win/Caf\xC3\xA9.mp3", "Music/Win/B.mp3"}},
        // Linux M3U8: UTF-8, LF, absolute paths
        {"#EXTM3U\n#PLAYLIST:Road\n#EXTINF:100,X\n" + lin + uber + "\n#EXTINF:90,Y\n" + lin + "a.ogg\n",
         "#EXTM3U\r\n#PLAYLIST:Road\r\n#EXTINF:100,X\r\n" + lin + "001 " + uber + "\r\n#EXTINF:90,Y\r\n" +
             lin + "002 a.ogg\r\n",
         {"Music/Lin/" + uber, "Music/Lin/a.ogg"}},
        // relative percent-encoded M3U8
        {"#EXTM3U\n#EXTINF:1,A\nEnc/A%20Song.mp3\nEnc/100%25.mp3\n",
         "#EXTM3U\r\n#EXTINF:1,A\r\nEnc/001%20A%20Song.mp3\r\nEnc/002%20100%25.mp3\r\n",
         {"Lists/Enc/A Song.mp3", "Lists/Enc/100%.mp3"}},
        // file URIs
        {"file://" + uri + "R%C3%A9sum%C3%A9.ogg\nfile://localhost" + uri + "b%20c.mp3\n",
         "file://" + uri + "001%20R%C3%A9sum%C3%A9.ogg\r\nfile://localhost" + uri + "002%20b%20c.mp3\r\n",
         {"Music/Uri/R\xC3\xA9sum\xC3\xA9.ogg", "Music/Uri/b c.mp3"}},
        // CR-only with comments
        {"# my mix\rC:\\Music\\Cr\\one.mp3\r# second half\r\rC:\\Music\\Cr\\two.mp3\r",
         "# my mix\r\nC:\\Music\\Cr\\001 one.mp3\r\n# second half\r\n\r\nC:\\Music\\Cr\\002 two.mp3\r\n",
         {"Music/Cr/one.mp3", "Music/Cr/two.mp3"}},
        // UTF-16 with blank lines
        {utf16LittleEndian(u"C:\\Music\\Wide\\\u00dcn\u00ef.mp3\r\n\r\n\r\nC:\\Music\\Wide\\z.mp3\r\n"),
         "\xEF\xBB\xBF"
         "C:\\Music\\Wide\\001 \xC3\x9Cn\xC3\xAF.mp3\r\n\r\n\r\nC:\\Music\\Wide\\002 z.mp3\r\n",
         {"Music/Wide/\xC3\x9Cn\xC3\xAF.mp3", "Music/Wide/z.mp3"}},
        // streams mixed in
        {"#EXTM3U\n#EXTINF:-1,Radio\nhttp://radio.example/stream\n#EXTINF:1,Local\nC:\\Music\\Mixed\\l.mp3\n"
         "mms://old.example/x\n",
         "#EXTM3U\r\n#EXTINF:1,Local\r\nC:\\Music\\Mixed\\001 l.mp3\r\n",
         {"Music/Mixed/l.mp3"},
         {"Error - Not a local file - http://radio.example/stream",
          "Error - Not a local file - mms://old.example/x"}},
        // VLC's XSPF: file URIs with entities, a relative location, a stream
        {xspfHead + "\t\t<track>\n\t\t\t<location>file://" + uri +
             "Funk%20&amp;%20Disco.mp3</location>\n"
             "\t\t\t<title>Funk &amp; Disco</title>\n\t\t\t<creator>Band</creator>\n"
             "\t\t\t<duration>215000</duration>\n\t\t</track>\n"
             "\t\t<track><location>http://radio.example/s</location></track>\n"
             "\t\t<track><location>../Music/Uri/b.ogg</location></track>\n\t</trackList>\n</playlist>\n",
         "#EXTM3U\r\n#EXTINF:-1,Band - Funk & Disco\r\nfile://" + uri +
             "001%20Funk%20&%20Disco.mp3\r\n../Music/Uri/002 b.ogg\r\n",
         {"Music/Uri/Funk & Disco.mp3", "Music/Uri/b.ogg"},
         {"Error - Not a local file - http://radio.example/s"},
         "list.xspf"},
        // UTF-16 XSPF without a namespace: xml:base, CDATA
        {utf16LittleEndian(
             u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<playlist><trackList xml:base=\"file://" +
             std::u16string(uri.begin(), uri.end()) +
             u"\"><track><location><![CDATA[Caf%C3%A9.mp3]]></location></track></trackList></playlist>"),
         "#EXTM3U\r\nfile://" + uri + "001%20Caf%C3%A9.mp3\r\n",
         {"Music/Uri/Caf\xC3\xA9.mp3"},
         {},
         "list.xspf"},
        // PLS with lower-case keys after other lines, under another format's name
        {"Saved by a player\r\n[playlist]\r\nfile1=C:\\Music\\P\\a.mp3\r\ntitle1=A\r\nlength1=100\r\n"
         "File2=http://radio.example/p\r\nFILE3=..\\Music\\P\\b.mp3\r\nnumberofentries=3\r\nVersion=2\r\n",
         "#EXTM3U\r\n#EXTINF:-1,A\r\nC:\\Music\\P\\001 a.mp3\r\n..\\Music\\P\\002 b.mp3\r\n",
         {"Music/P/a.mp3", "Music/P/b.mp3"},
         {"Error - Not a local file - http://radio.example/p"},
         "list.asx"},
        // WPL: several seq blocks, an entity, relative and Windows paths, a
        // decomposed name (by a character reference) for a composed one
        {"<?wpl version=\"1.0\"?>\r\n<smil>\r\n<head><title>Mix</title></head>\r\n<body>\r\n<seq>\r\n"
         "<media src=\"..\\Music\\V\\Rock &amp; Roll.wma\"/>\r\n</seq>\r\n<seq>\r\n"
         "<media src=\"C:\\Music\\V\\b.mp3\"/>\r\n<media src=\"C:\\Music\\V\\Cafe&#x301;.mp3\"/>\r\n"
         "</seq>\r\n</body>\r\n</smil>\r\n",
         "#EXTM3U\r\n..\\Music\\V\\001 Rock & Roll.wma\r\nC:\\Music\\V\\002 b.mp3\r\n"
         "C:\\Music\\V\\003 Caf\xC3\xA9.mp3\r\n",
         {"Music/V/Rock & Roll.wma", "Music/V/b.mp3", "Music/V/Caf\xC3\xA9.mp3"},
         {},
         "list.wpl"},
        // ASX in mixed case, under an M3U name
        {"<ASX VERSION=\"3.0\">\r\n<ENTRY><TITLE>One</TITLE><REF HREF=\"C:\\Music\\A\\one.wma\"/></ENTRY>\r\n"
         "<Entry><Ref href=\"mms://x\"/><Ref Href=\"..\\Music\\A\\two.mp3\"/></Entry>\r\n</ASX>\r\n",
         "#EXTM3U\r\n#EXTINF:-1,One\r\nC:\\Music\\A\\001 one.wma\r\n..\\Music\\A\\002 two.mp3\r\n",
         {"Music/A/one.wma", "Music/A/two.mp3"}},
    };
    for (const auto& entry : corpus) {
        SCOPED_TRACE(entry.kvr);
        fs::remove_all(host("Music"));
        fs::remove_all(host("Lists"));
        for (const std::string& file : entry.files)
            write(file, file);
        write("Lists/" + entry.name, entry.playlist);
        const auto before = snapshot();
        window.progressValues.clear();
        const JobResult result = runJob("Create", "C:\\Lists\\" + entry.name);
        EXPECT_EQ(read("Lists/list.kvr"), entry.kvr);
        EXPECT_TRUE(user.log.empty()) << user.log.front();
        EXPECT_EQ(result.renamedCount, entry.files.size());
        EXPECT_EQ(result.entryCount, entry.files.size() + entry.errors.size());
        EXPECT_EQ(window.progressValues.size(), result.entryCount + 1) << "a progress step per entry only";
        for (const std::string& error : entry.errors)
            EXPECT_TRUE(reported("\r\n" + error + "\r\n")) << error;
        EXPECT_EQ(static_cast<bool>(reported("Error - ")), !entry.errors.empty()) << window.report;
        expectRemoveRestores(before, "Lists/list.kvr");
    }
}

// A playlist an entry names is read in its place, from its own folder and
// each file once, eight deep at most; a file that is no music by its name
// is left as it is, unasked. Each entry of the input (and of the playlists it
// names) with its report line, in order.
TEST_F(PlaylistCorpus, NamedPlaylistsAreReadInPlaceAndOnlyMusicIsNumbered)
{
    write({{"Music/a.mp3", "a"}, {"Music/b.mp3", "b"}, {"Music/c.flac", "c"}, {"Music/cover.jpg", "j"}});
    write({{"Music/notes.pdf", "p"},
           {"Lists/sub/rec_2.m3u", "#EXTM3U\n#EXTINF:5,A\n..\\..\\Music\\a.mp3\n..\\top.m3u\nrec_2.m3u\n"}});
    for (int level = 1; level <= 9; ++level)
        write("Lists/chain" + std::to_string(level) + ".m3u",
              level == 8 ? "C:\\Music\\c.flac\nchain9.m3u\n"
                         : "chain" + std::to_string(level + 1) + ".m3u\n");
    // A playlist that opens and then fails to read, in a folder of no virtual file system.
    write("Lists/mem.m3u", "");
    const bool unreadable =
        ::mount("/proc/self/mem", host("Lists/mem.m3u").c_str(), nullptr, MS_BIND, nullptr) == 0;
    const AtScopeExit unmount{[&] { ::umount2(host("Lists/mem.m3u").c_str(), MNT_DETACH); }};
    std::vector<std::pair<std::string, std::string>> answers = {
        {"#EXTINF:1,Sub\r\nsub/rec_2.m3u", "Renamed C:\\Music\\001 a.mp3"},
        {"", "Error - Playlist named again; read once only - C:\\Lists\\top.m3u"},
        {"", "Error - Playlist named again; read once only - C:\\Lists\\sub\\rec_2.m3u"},
        {"C:\\Music\\cover.jpg", "Error - Not a music file; file left as it is - C:\\Music\\cover.jpg"},
        {"C:\\Music\\notes.pdf", "Error - Not a music file; file left as it is - C:\\Music\\notes.pdf"},
        {"missing.m3u", "Error - File not found - missing.m3u"},
        {"C:\\Music\\b.mp3", "Renamed C:\\Music\\002 b.mp3"},
        {"chain1.m3u", "Renamed C:\\Music\\003 c.flac"},
        {"", "Error - Playlist named below 8 others; not read - C:\\Lists\\chain9.m3u"},
    };
    if (unreadable) // reported in its place
        answers.insert(
            answers.begin() + 7,
            {"mem.m3u", "Error - Playlist cannot be read (Input/output error) - C:\\Lists\\mem.m3u"});
    std::vector<std::string> entries, reportLines;
    for (const auto& [entry, line] : answers) {
        if (!entry.empty())
            entries.push_back(entry);
        reportLines.push_back(line);
    }
    write("Lists/top.m3u", lines(entries));
    user.script = {{"skip"}};
    const auto before = snapshot();
    runJob("Create", "C:\\Lists\\top.m3u");
    EXPECT_TRUE(reported(reportOf("C:\\Lists\\top.m3u", reportLines) + "\r\n<<<  Processing completed with " +
                         std::to_string(6 + int{unreadable})));
    EXPECT_EQ(read("Lists/top.kvr"), "#EXTINF:-1,A\r\nC:\\Music\\001 a.mp3\r\nC:\\Music\\002 b.mp3\r\n"
                                     "C:\\Music\\003 c.flac\r\n");
    EXPECT_EQ(user.log.size(), 1U);
    expectRemoveRestores(before, "Lists/top.kvr");
    if (!unreadable)
        GTEST_SKIP() << "no file can be bound here (not root): the unreadable playlist was left out";
}

// A playlist that cannot be read whole, or 200 MB that are no text, is
// reported by one line, within a second and in bounded memory, by both jobs;
// no file is touched, no dialog shown and no new playlist made.
TEST_F(PlaylistCorpus, UnreadablePlaylistTouchesNothing)
{
    std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE p [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n";
    for (char level = 'b'; level <= 'k'; ++level) {
        bomb += std::string("<!ENTITY ") + level + " \"";
        for (int copy = 0; copy < 10; ++copy)
            bomb += std::string("&") + static_cast<char>(level - 1) + ";";
        bomb += "\">\n";
    }
    std::string tracks, spread;
    for (int track = 0; track < 1200; ++track)
        tracks += "<track><location>a.mp3</location></track>";
    // One entity named by every track: 800 KB that would read as 60 MB.
    for (int track = 0; track < 20000; ++track)
        spread += "<track><location>&e;</location></track>";
    const struct {
        std::string name, bytes, reason;
    } cases[] = {
        {"bad.xspf",
         "<playlist><trackList>\n<track><location>C:\\Music\\a.mp3</track>\n</trackList></playlist>",
         "mismatched tag at line 2"},
        {"cut.pls", "[playlist]\nNumberOfEntries=3\nFile1=C:\\Music\\a.mp3\nFile2=C:\\Music\\b.mp3\n",
         "PLS playlist cut short: 3 entries declared, 2 found"},
        {"bomb.xspf",
         bomb + "]>\n<playlist><trackList><track><location>&k;</location></track></trackList></playlist>",
         "limit on input amplification factor (from DTD and entities) breached at line 15"},
        {"spread.xspf",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE p [<!ENTITY e \"" + std::string(3000, 'e') +
             ".mp3\">]>\n<playlist><trackList>" + spread + "</trackList></playlist>",
         "limit on input amplification factor (from DTD and entities) breached at line 3"},
        {"bases.xspf",
         "<playlist xml:base=\"file:///" + std::string(30000, 'd') + "/\"><trackList>" + tracks +
             "</trackList></playlist>",
         "xml:base repeated into more than 4 MiB at line 1"},
        {"huge.xspf", "<?xml version=\"1.0\"?>\n<playlist>" + std::string(64 * 1024, ' '),
         "larger than 8 MiB"},
        {"noise.m3u", "C:\\Music\\a.mp3\r\n\x7F" + std::string(1, '\0') + "ELF\r\n", "not a text file"},
    };
    write({{"Music/a.mp3", "a"}, {"Music/b.mp3", "b"}});
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    const auto files = snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write("Lists/" + c.name, c.bytes);
        if (c.name.starts_with("huge") || c.name.starts_with("noise"))
            fs::resize_file(host("Lists/" + c.name), std::uintmax_t{200} << 20);
        for (const std::string mode : {"Create", "Remove"}) {
            const auto started = std::chrono::steady_clock::now();
            EXPECT_FALSE(runJob(mode, "C:\\Lists\\" + c.name).ran);
            EXPECT_LT(std::chrono::steady_clock::now() - started,
                      kavora::bounds::timeBound(std::chrono::seconds(1)));
            EXPECT_TRUE(reported("\r\nError - Playlist cannot be read: " + c.reason +
                                 "; no file was touched - C:\\Lists\\" + c.name + "\r\n"));
        }
        fs::remove(host("Lists/" + c.name));
        EXPECT_EQ(snapshot(), files);
    }
    EXPECT_TRUE(user.log.empty());
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    if (kavora::bounds::kResidentSizeMeasured) {
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024) << "kilobytes more at the peak";
    }
}

// The preview reads as the jobs do, and shows a long playlist, or a long line,
// only up to a limit that its text says.
TEST_F(PlaylistCorpus, PreviewShowsThePlaylistAsTheJobsReadIt)
{
    std::string many;
    for (int index = 0; index < 25000; ++index)
        many += "C:\\Music\\Track " + std::to_string(index) + ".mp3\n";
    write("Lists/many.m3u", many);
    write("Lists/wide.m3u", utf16LittleEndian(u"#EXTM3U\r\nC:\\\u00c9t\u00e9.mp3"));
    write("Lists/long.m3u", "a.mp3\n" + std::string(5000, 'x') + "\n" + std::string(40000, 'y') + "\nb.mp3");
    const platform::FileSystem fileSystem;
    const auto preview = [&](const std::string& path) {
        const auto shown = playlist::previewPlaylist(fileSystem, path);
        return shown ? shown.value() : playlist::Preview{"failed: " + shown.failure().reason, false};
    };
    EXPECT_EQ(preview("C:\\Lists\\wide.m3u").text, "#EXTM3U\r\nC:\\\xC3\x89t\xC3\xA9.mp3");
    EXPECT_EQ(preview("C:\\Lists\\long.m3u").text,
              "a.mp3\r\n" + std::string(1024, 'x') + "...\r\n" + std::string(80, 'y') + "...\r\nb.mp3");
    const playlist::Preview cut = preview("C:\\Lists\\many.m3u");
    EXPECT_FALSE(cut.complete);
    EXPECT_TRUE(cut.text.starts_with("C:\\Music\\Track 0.mp3\r\n"));
    EXPECT_TRUE(cut.text.ends_with(
        "\r\nC:\\Music\\Track 19999.mp3\r\n[The preview ends here; the playlist goes on.]"));
    EXPECT_EQ(preview("Z:\\dev\\zero").text, "failed: not a regular file but a device, pipe or socket");
}

} // namespace
} // namespace kavora::test
