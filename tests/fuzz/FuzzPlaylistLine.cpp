// One playlist line in. Checks that every line gets a kind that fits it, and
// that numbering an entry in its own form (plain, %XX-escaped, file:// URI)
// writes a line that reads back as the numbered path: the folder part as it
// was, the number and the name in the file-name part.
#include "platform/PathText.h"
#include "processing/playlist/PlaylistLine.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

using kavora::playlist::EntryText;
using kavora::playlist::PlaylistItem;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// How a form reads a line back: as a URI, as a plain path, or a plain path
// with its escapes decoded.
enum class Form { Uri, Plain, Decoded };

std::optional<EntryText> readBack(Form form, const std::string& line)
{
    switch (form) {
    case Form::Uri:
        return EntryText::fileUri(line);
    case Form::Plain:
        return EntryText::plainPath(line);
    case Form::Decoded:
        return EntryText::plainPath(line).percentDecoded();
    }
    return std::nullopt;
}

void checkNumbering(const EntryText& entry, Form form)
{
    const std::string_view name = kavora::platform::fileNamePart(entry.path());
    const std::string_view folder = kavora::platform::directoryPart(entry.path());
    if (name.empty())
        return;
    for (const std::string newName : {std::string(name), std::string("Other ") + std::string(name)}) {
        const std::string line = entry.withNumberedName("012 ", newName);
        const std::optional<EntryText> back = readBack(form, line);
        check(back.has_value());
        // A name holding a separator once decoded splits elsewhere; only
        // names that stay names must read back exactly.
        if (newName.find_first_of("\\/") == std::string::npos)
            check(back->path() == std::string(folder) + "012 " + newName);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool fileThere = (data[0] & 1) != 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const PlaylistItem line =
        kavora::playlist::classify({text, false}, [fileThere](std::string_view) { return fileThere; });
    check(line.text == text);
    check((line.kind == PlaylistItem::Kind::Entry) == line.entry.has_value());
    if (line.kind == PlaylistItem::Kind::Directive)
        check(!fileThere && text.find('#') != std::string::npos);
    if (line.entry) {
        const bool uri = EntryText::fileUri(text).has_value();
        checkNumbering(*line.entry, uri ? Form::Uri : Form::Plain);
        if (const std::optional<EntryText> decoded = line.entry->percentDecoded())
            checkNumbering(*decoded, Form::Decoded);
    }
    return 0;
}
