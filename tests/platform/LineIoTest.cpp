#include "TempTree.h"
#include "platform/DisplayText.h"
#include "platform/LineReader.h"
#include "platform/LineWriter.h"

namespace kavora::platform::test {
namespace {

using Case = std::pair<std::string, std::string>;

// Every line read, each followed by "|", so that no line and an empty line differ.
std::string readAll(LineReader& reader)
{
    std::string lines;
    while (!reader.atEnd())
        lines += reader.readLine() + "|";
    EXPECT_TRUE(reader.status().ok());
    EXPECT_EQ(reader.readLine(), "") << "reading past the end gives nothing";
    return lines;
}

// CR LF, CR and LF each end a line, LF CR is two; a last line needs no
// terminator; a byte-order mark is skipped at the very start only.
TEST(LineRules, SplitAsTheRulesSay)
{
    const std::string bom = "\xEF\xBB\xBF";
    const Case cases[] = {{"a\r\nb\rc\nd", "a|b|c|d|"},
                          {"a\n\rb\r", "a||b|"},
                          {"\r\n\r\na\n\n", "||a||"},
                          {"", ""},
                          {"\r\n", "|"},
                          {bom + "a\r\nb", "a|b|"},
                          {bom, ""},
                          {"a\r\n" + bom + "b", "a|" + bom + "b|"},
                          {"\xEF\xBB", "\xEF\xBB|"}};
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(readAll(*LineReader::fromBytes(bytes)), lines) << bytes;
}

class LineFiles : public TempTree {};

// The reader takes the file in chunks of 64 KiB: CR LF straddles the seam and a
// lone CR ends the next chunk.
TEST_F(LineFiles, TerminatorSplitAcrossReadsIsOneTerminator)
{
    const std::string first(std::size_t{64} * 1024 - 1, 'x');
    const std::string second = "second" + std::string(first.size() - 6, 'y');
    write("big.m3u", first + "\r\n" + second + "\rthird");
    const auto reader = LineReader::open(fs(), "C:\\big.m3u");
    ASSERT_TRUE(reader.ok()) << reader.failure().reason;
    EXPECT_EQ(readAll(*reader.value()), first + "|" + second + "|third|");
}

TEST_F(LineFiles, WriterWritesEachLineAtOnceWithCrLfAndEveryByteReadsBack)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            everyByte += static_cast<char>(byte);
    write("mix.kvr", "old content that is longer than the new\r\n");
    auto writer = LineWriter::create(fs(), "C:\\mix.kvr");
    ASSERT_TRUE(writer.ok()) << writer.failure().reason;
    for (const std::string& line : {std::string("C:\\Music\\001 Song.mp3"), std::string(), everyByte})
        ASSERT_TRUE(writer.value()->writeLine(line).ok());
    EXPECT_EQ(read(at("mix.kvr")), "C:\\Music\\001 Song.mp3\r\n\r\n" + everyByte + "\r\n") << "before close";
    ASSERT_TRUE(writer.value()->close().ok());
    EXPECT_FALSE(writer.value()->writeLine("late").ok());
    const auto reader = LineReader::open(fs(), "c:\\MIX.KVR");
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(readAll(*reader.value()), "C:\\Music\\001 Song.mp3||" + everyByte + "|");
}

TEST_F(LineFiles, FailuresAreValuesAndLegacyNamesAreCreatedAsUtf8)
{
    write("Lists/x.m3u");
    EXPECT_EQ(failureOf(LineReader::open(fs(), "C:\\Lists\\missing.m3u")), FsError::NotFound);
    EXPECT_EQ(failureOf(LineWriter::create(fs(), "C:\\Missing\\mix.kvr")), FsError::NotFound);
    EXPECT_EQ(failureOf(LineWriter::create(fs(), "C:\\Lists")), FsError::IsDirectory);
    auto full = LineWriter::create(fs(), "/dev/full");
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(reasonOf(full.value()->writeLine("line")), "disk full");
    auto legacy = LineWriter::create(fs(), "C:\\Lists\\Caf\xE9.kvr");
    ASSERT_TRUE(legacy.ok() && legacy.value()->close().ok());
    EXPECT_TRUE(exists(at("Lists/Caf\xC3\xA9.kvr")));
}

// 0x80 and 0x9F are the euro sign and Y with diaeresis, 0x81 is undefined in the
// code page and kept as a C1 control; overlong forms and surrogates are no UTF-8.
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
}

} // namespace
} // namespace kavora::platform::test
