// Bytes in, lines out. Checks that no line holds a terminator, that the lines
// are the input without BOM and terminators, and that writing the lines back
// with CR LF reads back as the same lines.
#include "platform/LineReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using kavora::platform::LineReader;

namespace {

std::vector<std::string> readAll(std::string bytes)
{
    const auto reader = LineReader::fromBytes(std::move(bytes));
    std::vector<std::string> lines;
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
    const std::vector<std::string> lines = readAll(input);

    std::string_view body = input;
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);
    std::string withoutTerminators;
    for (const char c : body)
        if (c != '\r' && c != '\n')
            withoutTerminators += c;

    std::string joined;
    std::string rejoined = "\xEF\xBB\xBF"; // a leading mark is dropped again on reading
    for (const std::string& line : lines) {
        check(line.find_first_of("\r\n") == std::string::npos);
        joined += line;
        rejoined += line;
        rejoined += "\r\n";
    }
    check(joined == withoutTerminators);
    check(readAll(rejoined) == lines);
    // Never more lines than terminators plus the last one.
    std::size_t terminators = 0;
    for (std::size_t i = 0; i < body.size(); ++i)
        if (body[i] == '\n' || (body[i] == '\r' && (i + 1 == body.size() || body[i + 1] != '\n')))
            ++terminators;
    check(lines.size() <= terminators + 1);
    return 0;
}
