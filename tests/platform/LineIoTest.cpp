#include "TempTree.h"
#include "platform/DisplayText.h"
#include "platform/LineReader.h"
#include "platform/LineWriter.h"
#include "tests/Bounds.h"

#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#include <variant>

namespace kavora::platform::test {
namespace {

using Case = std::pair<std::string, std::string>;
using Read = std::variant<std::string, FsError>; // the lines read, or the failure

// Every line read, each followed by "|" (by "~|" when overlong), so that no
// line and an empty line differ.
std::string readAll(LineReader& reader)
{
    std::string lines;
    while (!reader.atEnd()) {
        const LineReader::Line line = reader.readLine();
        lines += line.text + (line.overlong ? "~|" : "|");
    }
    EXPECT_TRUE(reader.status().ok());
    EXPECT_EQ(reader.readLine().text, "") << "reading past the end gives nothing";
    return lines;
}

std::string utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// UTF-16 with a surrogate pair across each of the first three 64 KiB seams of
// the file, each pair a line of its own; and the lines it is read as.
std::pair<std::string, std::string> pairsAcrossSeams()
{
    const std::string note = "\xF0\x9F\x8E\xB5";
    std::u16string text;
    std::string lines;
    for (const char filler : {'a', 'b', 'c'}) {
        // The mark and each earlier seam's lines leave the high half of the
        // pair just before the seam.
        const std::size_t fill = filler == 'a' ? 32765 : 32764;
        text += std::u16string(fill, static_cast<char16_t>(filler)) + u"\n\U0001F3B5\n";
        lines += std::string(fill, filler) + "|" + note + "|";
    }
    return {utf16(text, false), lines};
}

// CR LF, CR and LF each end a line, LF CR is two; a last line needs no
// terminator; a byte-order mark is taken at the very start only. UTF-16 comes
// as UTF-8, a pair split by a seam of the reads whole, a broken unit as
// U+FFFD. A line longer than 32,767 bytes keeps its first 320 only.
TEST(LineRules, SplitAsTheRulesSay)
{
    const std::string bom = "\xEF\xBB\xBF", replaced = "\xEF\xBF\xBD";
    const std::string longest(LineReader::kLongestLine, 'x'), start(LineReader::kOverlongStart, 'y');
    const Case cases[] = {
        {"a\r\nb\rc\nd", "a|b|c|d|"},
        {"a\n\rb\r", "a||b|"},
        {"\r\n\r\na\n\n", "||a||"},
        {"", ""},
        {"\r\n", "|"},
        {bom + "a\r\nb", "a|b|"},
        {bom, ""},
        {"a\r\n" + bom + "b", "a|" + bom + "b|"},
        {"\xEF\xBB", "\xEF\xBB|"},
        {utf16(u"C:\\Caf\u00e9.mp3\r\n\r\nb\U0001F3B5", false), "C:\\Caf\xC3\xA9.mp3||b\xF0\x9F\x8E\xB5|"},
        {utf16(u"a\rb\n", true), "a|b|"},
        {utf16(u"a\xD800\nb\xDC00", false) + "c", "a" + replaced + "|b" + replaced + replaced + "|"},
        {longest + "\r\n" + longest + "z\nshort", longest + "|" + std::string(320, 'x') + "~|short|"},
        {start + std::string(100000, 'y'), start + "~|"},
        pairsAcrossSeams()};
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(readAll(*LineReader::fromBytes(bytes)), lines) << bytes.substr(0, 40);
}

class LineFiles : public TempTree {};

// The reader takes the file in reads of 64 KiB and has two of them before its
// first line: CR LF straddles that seam and a lone CR ends the third read. The
// marks are read from the disk as from memory. A device, a pipe, a folder:
// refused at once, before a byte is read, and a pipe with no writer does not
// hold the open. One line of 64 MiB (a sparse file) is read in bounded
// memory and kept by its start only.
TEST_F(LineFiles, RegularFilesAreReadAcrossChunksAndNothingElseIsOpened)
{
    const std::size_t chunk = std::size_t{64} * 1024;
    const std::string a(30000, 'a'), b(chunk - 60004, 'b'), c(chunk - 60003, 'c');
    const std::string big = a + "\n" + a + "\n" + c + "\n" + a + "\r\n" + a + "\n" + b + "\r\n" + a + "\r" +
                            a + "\n" + b + "\r" + "end";
    ASSERT_EQ(big.substr(2 * chunk - 1, 2), "\r\n");
    ASSERT_EQ(big[3 * chunk - 1], '\r');
    write("big.m3u", big);
    write("marked.m3u8", "\xEF\xBB\xBF/home/u/a.mp3\n");
    write("wide.m3u", utf16(u"#EXTM3U\r\nD:\\\u00c9t\u00e9.mp3", false));
    write("seams.m3u", pairsAcrossSeams().first);
    makeFifo("pipe.m3u");
    std::filesystem::create_directory(at("folder.m3u"));
    ASSERT_EQ(::truncate(write("zeros.m3u", "").c_str(), std::int64_t{64} << 20), 0);
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    const auto started = std::chrono::steady_clock::now();
    const struct {
        std::string path;
        Read read;
        TextEncoding encoding = TextEncoding::Bytes;
    } cases[] = {{"C:\\big.m3u", a + "|" + a + "|" + c + "|" + a + "|" + a + "|" + b + "|" + a + "|" + a +
                                     "|" + b + "|end|"},
                 {"C:\\marked.m3u8", "/home/u/a.mp3|", TextEncoding::Utf8WithMark},
                 {"C:\\wide.m3u", "#EXTM3U|D:\\\xC3\x89t\xC3\xA9.mp3|", TextEncoding::Utf16},
                 {"C:\\seams.m3u", pairsAcrossSeams().second, TextEncoding::Utf16},
                 {"C:\\zeros.m3u", std::string(LineReader::kOverlongStart, '\0') + "~|"},
                 {"Z:\\dev\\zero", FsError::NotRegular},
                 {"/dev/urandom", FsError::NotRegular},
                 {"C:\\pipe.m3u", FsError::NotRegular},
                 {"C:\\folder.m3u", FsError::IsDirectory}};
    for (const auto& file : cases) {
        const auto reader = LineReader::open(fs(), file.path);
        EXPECT_EQ(reader ? reader.value()->encoding() : TextEncoding::Bytes, file.encoding) << file.path;
        EXPECT_EQ(reader ? Read(readAll(*reader.value())) : Read(reader.failure().code), file.read)
            << file.path;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, kavora::bounds::timeBound(std::chrono::seconds(1)));
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 32 * 1024) << "kilobytes more at the peak";
}

// Whole lines with CR LF, each on disk before the close, every byte but the
// terminators kept. A line taken back, and one cut short by a full medium
// (the file size limit here), leave the file as it was before them.
TEST_F(LineFiles, WriterWritesWholeLinesOrNothing)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            everyByte += static_cast<char>(byte);
    const std::string song = "C:\\Music\\001 Song.mp3";
    const std::string written = "\xEF\xBB\xBF" + song + "\r\n\r\n" + everyByte + "\r\n";
    write("mix.kvr", ""); // an empty file left by a run that renamed nothing
    auto writer = LineWriter::create(fs(), "C:\\mix.kvr", LineWriter::Mark::Utf8);
    ASSERT_TRUE(writer.ok()) << writer.failure().reason;
    for (const std::string& line : {song, std::string(), everyByte})
        ASSERT_TRUE(writer.value()->writeLine(line).ok());
    ASSERT_TRUE(writer.value()->writeLine("taken back").ok());
    ASSERT_TRUE(writer.value()->cutBackTo(written.size()).ok());
    // One job per file: a second writer or a reader that asks for the lock is refused while it is held.
    EXPECT_EQ(failureOf(LineWriter::create(fs(), "C:\\MIX.kvr")), FsError::InUse);
    const auto held = LineReader::open(fs(), "C:\\mix.kvr");
    ASSERT_TRUE(held.ok());
    EXPECT_EQ(failureOf(held.value()->lockExclusively()), FsError::InUse);
    // Past the size limit a write fails instead of the process dying of SIGXFSZ.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{written.size() + 3, old.rlim_max}; // room for three bytes of the next line
    ::setrlimit(RLIMIT_FSIZE, &small);
    const FsStatus cutShort = writer.value()->writeLine("cut short");
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(cutShort.ok());
    EXPECT_EQ(writer.value()->size(), written.size());
    EXPECT_EQ(read(at("mix.kvr")), written) << "before close";
    ASSERT_TRUE(writer.value()->close().ok());
    EXPECT_FALSE(writer.value()->writeLine("late").ok());
    const auto reader = LineReader::open(fs(), "c:\\MIX.KVR");
    ASSERT_TRUE(reader.ok());
    EXPECT_TRUE(reader.value()->lockExclusively().ok());
    EXPECT_EQ(readAll(*reader.value()), song + "||" + everyByte + "|");
}

// What stands at the new file's path: a file with content, a link or a hard
// link (whose target stays untouched), a pipe, a device or a folder is refused; a dry run
// checks the same and creates nothing. A new name in Windows-1252 is created
// in UTF-8.
TEST_F(LineFiles, WriterRefusesAnythingButNothingOrAnEmptyFile)
{
    write("Lists/old.kvr", "C:\\Music\\001 A.mp3\r\n");
    write("Lists/precious.txt", "precious");
    std::filesystem::create_symlink(at("Lists/precious.txt"), at("Lists/link.kvr"));
    std::filesystem::create_symlink(at("Lists/gone.txt"), at("Lists/dangling.kvr"));
    write("Lists/empty.txt", "");
    std::filesystem::create_hard_link(at("Lists/empty.txt"), at("Lists/hard.kvr"));
    makeFifo("Lists/pipe.kvr");
    const FileSystem dryRun(FileSystem::View::DryRun);
    const std::pair<std::string, std::optional<FsError>> cases[] = {
        {"C:\\Lists\\old.kvr", FsError::TargetExists},
        {"C:\\Lists\\link.kvr", FsError::NotRegular},
        {"C:\\Lists\\dangling.kvr", FsError::NotRegular},
        {"C:\\Lists\\hard.kvr", FsError::NotRegular},
        {"C:\\Lists\\pipe.kvr", FsError::NotRegular},
        {"/dev/full", FsError::NotRegular},
        {"C:\\Lists", FsError::IsDirectory},
        {"C:\\Missing\\mix.kvr", FsError::NotFound},
        {"C:\\Lists\\Caf\xE9.kvr", std::nullopt}};
    for (const FileSystem* fileSystem : {&dryRun, &fs()}) {
        for (const auto& [path, failure] : cases) {
            auto writer = LineWriter::create(*fileSystem, path);
            EXPECT_EQ(failureOf(writer), failure) << path;
            EXPECT_TRUE(!writer || (writer.value()->writeLine("x").ok() && writer.value()->close().ok()));
        }
        EXPECT_EQ(exists(at("Lists/Caf\xC3\xA9.kvr")), fileSystem == &fs()) << "only a real run creates";
    }
    EXPECT_EQ(read(at("Lists/precious.txt")) + read(at("Lists/empty.txt")), "precious");
    EXPECT_EQ(read(at("Lists/old.kvr")), "C:\\Music\\001 A.mp3\r\n");
    EXPECT_FALSE(exists(at("Lists/gone.txt")));
}

// 0x80 and 0x9F are the euro sign and Y with diaeresis, 0x81 is undefined in the
// code page and kept as a C1 control; overlong forms and surrogates are no UTF-8.
// 0x9B alone is a Windows-1252 quotation mark, in UTF-8 (C2 9B) the CSI control.
TEST(DisplayText, Utf8IsKeptAndAnythingElseIsReadAsWindows1252)
{
    const Case cases[] = {
        {"\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5"}, {"Caf\xE9", "Caf\xC3\xA9"},
        {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8"},   {"\x81", "\xC2\x81"},
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},         {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}};
    for (const auto& [bytes, shown] : cases) {
        EXPECT_EQ(displayText(bytes), shown);
        EXPECT_EQ(isValidUtf8(bytes), bytes == shown) << shown;
    }
    // On a terminal no control character arrives raw, C1 ones (CSI) included.
    const Case onTerminal[] = {{"\x1B[2KOK\t\x7F", "\\x1B[2KOK\\x09\\x7F"},
                               {"\xC2\x9B"
                                "31m\xC2\x81",
                                "\\u009B31m\\u0081"},
                               {"\x9B", "\xE2\x80\xBA"}};
    for (const auto& [bytes, shown] : onTerminal)
        EXPECT_EQ(withControlsEscaped(displayText(bytes)), shown);
}

} // namespace
} // namespace kavora::platform::test
