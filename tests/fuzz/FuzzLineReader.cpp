// Bytes in, lines out. Checks that no line holds a terminator, that an
// overlong line keeps only its start, that the lines are the input without
// mark and terminators, that UTF-16 comes out as UTF-8, and that writing the
// lines back with CR LF reads back as the same lines.
#include "platform/DisplayText.h"
#include "platform/LineReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using kavora::platform::LineReader;

namespace {

std::vector<LineReader::Line> readAll(std::string bytes)
{
    const auto reader = LineReader::fromBytes(std::move(bytes));
    std::vector<LineReader::Line> lines;
    while (!reader->atEnd())
        lines.push_back(reader->readLine());
    if (!reader->status().ok())
        std::abort();
    return lines;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::vector<LineReader::Line> lines = readAll(input);
    const bool utf16 = input.starts_with("\xFF\xFE") || input.starts_with("\xFE\xFF");

    std::string_view body = input;
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);
    std::string withoutTerminators;
    for (const char c : body)
        if (c != '\r' && c != '\n')
            withoutTerminators += c;

    std::string joined;
    std::string rejoined = "\xEF\xBB\xBF"; // a leading mark is dropped again on reading
    bool anyOverlong = false;
    for (const LineReader::Line& line : lines) {
        check(line.text.find_first_of("\r\n") == std::string::npos);
        check(!line.overlong || line.text.size() <= LineReader::kOverlongStart);
        check(line.overlong || line.text.size() <= LineReader::kLongestLine);
        check(!utf16 || line.overlong || kavora::platform::isValidUtf8(line.text));
        anyOverlong = anyOverlong || line.overlong;
        joined += line.text;
        rejoined += line.text;
        rejoined += "\r\n";
    }
    if (anyOverlong)
        return 0;
    const std::vector<LineReader::Line> again = readAll(rejoined);
    check(again.size() == lines.size());
    for (std::size_t i = 0; i < again.size(); ++i)
        check(again[i].text == lines[i].text && !again[i].overlong);
    if (utf16)
        return 0;
    check(joined == withoutTerminators);
    // Never more lines than terminators plus the last one.
    std::size_t terminators = 0;
    for (std::size_t i = 0; i < body.size(); ++i)
        if (body[i] == '\n' || (body[i] == '\r' && (i + 1 == body.size() || body[i + 1] != '\n')))
            ++terminators;
    check(lines.size() <= terminators + 1);
    return 0;
}
