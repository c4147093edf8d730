#include "TempTree.h"
#include "platform/LineReader.h"
#include "platform/LineWriter.h"

namespace kavora::platform::test {
namespace {

using Lines = std::vector<std::string>;

Lines readAll(LineReader& reader)
{
    Lines lines;
    while (!reader.atEnd())
        lines.push_back(reader.readLine());
    return lines;
}

struct LineCase {
    const char* why;
    std::string bytes;
    Lines lines;
};

// Names the case in test output; the bytes themselves may be unprintable.
void PrintTo(const LineCase& c, std::ostream* out)
{
    *out << c.why;
}

class LineRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineRules, SplitAsTheRulesSay)
{
    const auto reader = LineReader::fromBytes(GetParam().bytes);
    EXPECT_EQ(readAll(*reader), GetParam().lines) << GetParam().why;
    EXPECT_TRUE(reader->status().ok());
    EXPECT_EQ(reader->readLine(), "") << "reading past the end gives nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineRules,
    ::testing::Values(LineCase{"CR LF", "a\r\nb\r\n", {"a", "b"}}, LineCase{"CR alone", "a\rb\r", {"a", "b"}},
                      LineCase{"LF alone", "a\nb\n", {"a", "b"}},
                      LineCase{"mixed terminators", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                      LineCase{"LF CR is two terminators", "a\n\rb", {"a", "", "b"}},
                      LineCase{"last line without terminator", "a\r\nlast", {"a", "last"}},
                      LineCase{"empty lines are entries", "\r\n\r\na\r\n\r\n", {"", "", "a", ""}},
                      LineCase{"empty file", "", {}}, LineCase{"single terminator", "\r\n", {""}},
                      LineCase{"byte-order mark skipped",
                               "\xEF\xBB\xBF"
                               "a\r\nb",
                               {"a", "b"}},
                      LineCase{"only a byte-order mark", "\xEF\xBB\xBF", {}},
                      LineCase{"mark inside a line kept",
                               "a\r\n\xEF\xBB\xBF"
                               "b",
                               {"a", "\xEF\xBB\xBF"
                                     "b"}},
                      LineCase{"partial mark kept", "\xEF\xBB", {"\xEF\xBB"}},
                      LineCase{"bytes untouched",
                               std::string("C:\\Caf\xE9\x00\xFF#.mp3\r\n", 16),
                               {std::string("C:\\Caf\xE9\x00\xFF#.mp3", 14)}}));

class LineFiles : public TempTree {};

TEST_F(LineFiles, TerminatorSplitAcrossReadsIsOneTerminator)
{
    // The reader takes the file in chunks of 64 KiB; put CR LF across the seam
    // and a lone CR at the very end of a chunk.
    const std::size_t chunk = std::size_t{64} * 1024;
    std::string bytes(chunk - 1, 'x');
    bytes += "\r\nsecond";
    bytes += std::string(chunk - bytes.size() % chunk - 1, 'y');
    bytes += "\rthird";
    write("big.m3u", bytes);

    const auto reader = LineReader::open(fs(), "C:\\big.m3u");
    ASSERT_TRUE(reader.ok()) << reader.failure().reason;
    const Lines lines = readAll(*reader.value());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::string(chunk - 1, 'x'));
    EXPECT_EQ(lines[1].substr(0, 6), "second");
    EXPECT_EQ(lines[2], "third");
    EXPECT_TRUE(reader.value()->status().ok());
}

TEST_F(LineFiles, OpeningWhatIsNoFileFails)
{
    makeDir("Lists");
    EXPECT_EQ(LineReader::open(fs(), "C:\\Lists\\missing.m3u").failure().code, FsError::NotFound);
    EXPECT_EQ(LineReader::open(fs(), "C:\\Lists").failure().code, FsError::IsDirectory);
}

TEST_F(LineFiles, WriterWritesCrLfAndReaderReadsBackEveryByte)
{
    Lines lines = {"C:\\Music\\001 Song.mp3", "", "Caf\xE9", "#comment"};
    std::string allBytes;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            allBytes += static_cast<char>(byte);
    lines.push_back(allBytes);

    auto writer = LineWriter::create(fs(), "C:\\mix.kvr");
    ASSERT_TRUE(writer.ok()) << writer.failure().reason;
    for (const std::string& line : lines)
        ASSERT_TRUE(writer.value()->writeLine(line).ok());
    // Each line reaches the file before close.
    EXPECT_EQ(read(home() + "/mix.kvr").substr(0, 25), "C:\\Music\\001 Song.mp3\r\n\r\n");
    ASSERT_TRUE(writer.value()->close().ok());
    EXPECT_FALSE(writer.value()->writeLine("late").ok());
    EXPECT_FALSE(writer.value()->close().ok());

    const auto reader = LineReader::open(fs(), "c:\\MIX.KVR");
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(readAll(*reader.value()), lines);
}

TEST_F(LineFiles, WriterEmptiesAnExistingFile)
{
    write("Lists/mix.kvr", "old content that is longer\r\n");
    {
        auto writer = LineWriter::create(fs(), "C:\\Lists\\mix.kvr");
        ASSERT_TRUE(writer.ok());
        ASSERT_TRUE(writer.value()->writeLine("new").ok());
    } // destroyed without close: the line is on disk all the same
    EXPECT_EQ(read(home() + "/Lists/mix.kvr"), "new\r\n");

    auto empty = LineWriter::create(fs(), "C:\\Lists\\mix.kvr");
    ASSERT_TRUE(empty.ok());
    ASSERT_TRUE(empty.value()->close().ok());
    EXPECT_EQ(read(home() + "/Lists/mix.kvr"), "");
}

TEST_F(LineFiles, WriterFailuresAreValues)
{
    makeDir("Lists");
    EXPECT_EQ(LineWriter::create(fs(), "C:\\Missing\\mix.kvr").failure().code, FsError::NotFound);
    EXPECT_EQ(LineWriter::create(fs(), "C:\\Lists").failure().code, FsError::IsDirectory);
    if (exists("/dev/full")) {
        auto full = LineWriter::create(fs(), "/dev/full");
        ASSERT_TRUE(full.ok());
        const FsStatus status = full.value()->writeLine("line");
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.failure().code, FsError::NoSpace);
        EXPECT_EQ(status.failure().reason, "disk full");
    }
}

TEST_F(LineFiles, Windows1252NameIsCreatedAsUtf8)
{
    makeDir("Lists");
    auto writer = LineWriter::create(fs(), "C:\\Lists\\Caf\xE9.kvr");
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer.value()->close().ok());
    EXPECT_TRUE(exists(home() + "/Lists/Caf\xC3\xA9.kvr"));
    EXPECT_TRUE(LineReader::open(fs(), "C:\\Lists\\Caf\xE9.kvr").ok());
}

} // namespace
} // namespace kavora::platform::test
