#include "processing/playlist/XmlPlaylist.h"

#include "platform/ByteReader.h"
#include "platform/DisplayText.h"
#include "platform/LineReader.h"
#include "processing/playlist/XmlTracks.h"

// Debian's libexpat is built with DTD support (entities); its limits on entity
// expansion are declared behind this switch.
#define XML_DTD
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <expat.h>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

namespace kavora::playlist {

namespace {

using platform::FsError;
using platform::FsFailure;

constexpr std::size_t kLargestTextFromBases = kLargestWholePlaylist / 2;

// Past the first MiB, entities may at most double what the document holds:
// players write &amp; and the like, never text multiplied. Expat's own bound
// (a hundredfold) would let an 8 MiB playlist grow into 800 MB of entries.
constexpr unsigned long long kEntityExpansionStart = 1024 * 1024;
constexpr float kEntityAmplification = 2.0F;

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The name without its prefix, in lower case: the formats are read with or
// without their namespace (which is not looked at), and ASX names come in any
// letter case.
std::string localName(std::string_view name)
{
    if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos)
        name.remove_prefix(colon + 1);
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), lowerAscii);
    return lower;
}

// The elements the formats are made of; any other is Other.
enum class Name : std::uint8_t {
    Other,
    Playlist,
    TrackList,
    Track,
    Location,
    Title,
    Creator,
    Smil,
    Media,
    Asx,
    Entry,
    Ref,
    Author,
};

// An element's name by its local name, in any letter case.
Name nameOf(std::string_view name)
{
    if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos)
        name.remove_prefix(colon + 1);
    const auto is = [name](std::string_view local) {
        return std::equal(name.begin(), name.end(), local.begin(), local.end(),
                          [](char a, char b) { return lowerAscii(a) == b; });
    };
    // Asked for every element of a document: only the names of that length are compared.
    switch (name.size()) {
    case 3:
        return is("asx") ? Name::Asx : is("ref") ? Name::Ref : Name::Other;
    case 4:
        return is("smil") ? Name::Smil : Name::Other;
    case 5:
        return is("track")   ? Name::Track
               : is("title") ? Name::Title
               : is("media") ? Name::Media
               : is("entry") ? Name::Entry
                             : Name::Other;
    case 6:
        return is("author") ? Name::Author : Name::Other;
    case 7:
        return is("creator") ? Name::Creator : Name::Other;
    case 8:
        return is("playlist") ? Name::Playlist : is("location") ? Name::Location : Name::Other;
    case 9:
        return is("tracklist") ? Name::TrackList : Name::Other;
    default:
        return Name::Other;
    }
}

// The value of the attribute of that local name (given in lower case).
const XML_Char* attribute(const XML_Char** attributes, std::string_view wanted)
{
    for (; attributes[0] != nullptr; attributes += 2) {
        std::string_view name(attributes[0]);
        if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos)
            name.remove_prefix(colon + 1);
        if (std::equal(name.begin(), name.end(), wanted.begin(), wanted.end(),
                       [](char a, char b) { return lowerAscii(a) == b; }))
            return attributes[1];
    }
    return nullptr;
}

const XML_Char* xmlBase(const XML_Char** attributes)
{
    for (; attributes[0] != nullptr; attributes += 2) {
        if (std::string_view(attributes[0]) == "xml:base")
            return attributes[1];
    }
    return nullptr;
}

bool hasScheme(std::string_view reference)
{
    const std::size_t colon = reference.find(':');
    // One letter before ':' is a drive.
    return colon != std::string_view::npos && colon >= 2 &&
           std::all_of(reference.begin(), reference.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
           });
}

// The text without white space around it, trimmed in place.
void trim(std::string& text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t end = text.size();
    while (end > 0 && isSpace(text[end - 1]))
        --end;
    text.resize(end);
    std::size_t start = 0;
    while (start < text.size() && isSpace(text[start]))
        ++start;
    text.erase(0, start);
}

// A URI reference taken against a base URI (which may itself be relative).
std::string resolved(std::string_view base, std::string_view reference)
{
    if (base.empty() || hasScheme(reference))
        return std::string(reference);
    const std::size_t schemeEnd = hasScheme(base) ? base.find(':') + 1 : 0;
    if (reference.starts_with("//"))
        return std::string(base.substr(0, schemeEnd)).append(reference);
    if (reference.starts_with('/')) {
        const bool authority = base.substr(schemeEnd).starts_with("//");
        const std::size_t pathStart =
            authority ? std::min(base.find('/', schemeEnd + 2), base.size()) : schemeEnd;
        return std::string(base.substr(0, pathStart)).append(reference);
    }
    const std::size_t lastSlash = base.substr(0, base.find_first_of("?#")).rfind('/');
    return std::string(base.substr(0, lastSlash == std::string_view::npos ? 0 : lastSlash + 1))
        .append(reference);
}

class Reading final {
public:
    Reading() : m_parser(XML_ParserCreate(nullptr))
    {
        XML_SetUserData(m_parser.get(), this);
        XML_SetElementHandler(m_parser.get(), &Reading::started, &Reading::ended);
        XML_SetUnknownEncodingHandler(m_parser.get(), &Reading::windows1252, nullptr);
        XML_SetBillionLaughsAttackProtectionActivationThreshold(m_parser.get(), kEntityExpansionStart);
        XML_SetBillionLaughsAttackProtectionMaximumAmplification(m_parser.get(), kEntityAmplification);
    }

    // False once the document is known to be malformed.
    bool feed(std::string_view bytes, bool last)
    {
        return XML_Parse(m_parser.get(), bytes.data(), static_cast<int>(bytes.size()),
                         last ? XML_TRUE : XML_FALSE) == XML_STATUS_OK;
    }

    FsFailure failure() const
    {
        if (m_failure)
            return *m_failure;
        return atLine(XML_ErrorString(XML_GetErrorCode(m_parser.get())));
    }

    XmlEntries result() && { return XmlEntries{m_format, m_tracks.take()}; }

private:
    struct ParserFree {
        void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
    };

    FsFailure atLine(std::string_view reason) const
    {
        return FsFailure{FsError::NotAPlaylist, std::string(reason) + " at line " +
                                                    std::to_string(XML_GetCurrentLineNumber(m_parser.get()))};
    }

    void stop(std::string_view reason)
    {
        m_failure = atLine(reason);
        XML_StopParser(m_parser.get(), XML_FALSE);
    }

    // The open elements below the root, innermost last, are `names`.
    bool at(std::initializer_list<Name> names) const
    {
        return m_path.size() == names.size() + 1 &&
               std::equal(names.begin(), names.end(), m_path.begin() + 1,
                          [](Name name, const Open& open) { return name == open.name; });
    }
    // The innermost open elements are `names`, at any depth: an ASX entry
    // may stand inside a <repeat> block.
    bool within(std::initializer_list<Name> names) const
    {
        return m_path.size() > names.size() &&
               std::equal(names.begin(), names.end(),
                          m_path.end() - static_cast<std::ptrdiff_t>(names.size()),
                          [](Name name, const Open& open) { return name == open.name; });
    }
    const std::string& base() const { return m_bases.back(); }

    void collectText(std::string& into)
    {
        into.clear();
        m_textOverlong = false;
        m_textTarget = &into;
        m_textDepth = m_path.size();
        // Text is looked at only here: the white space between elements is not handed over.
        XML_SetCharacterDataHandler(m_parser.get(), &Reading::characters);
    }

    void startElement(const XML_Char* name, const XML_Char** attributes)
    {
        if (m_path.size() >= kDeepestXmlNesting)
            return stop("elements nested too deeply");
        const Name local = nameOf(name);
        if (m_path.empty()) {
            if (local == Name::Playlist)
                m_format = Format::Xspf;
            else if (local == Name::Smil)
                m_format = Format::Wpl;
            else if (local == Name::Asx)
                m_format = Format::Asx;
            else
                return stop("no XSPF, WPL or ASX playlist but a document <" + localName(name) + ">");
        }
        const XML_Char* ownBase = xmlBase(attributes);
        if (ownBase != nullptr)
            m_bases.push_back(againstBase(base(), ownBase));
        m_path.push_back(Open{local, ownBase != nullptr});

        switch (m_format) {
        case Format::Xspf:
            if (at({Name::TrackList, Name::Track}))
                beginEntry();
            else if (at({Name::TrackList, Name::Track, Name::Location}))
                collectText(m_locations.emplace_back());
            else if (at({Name::TrackList, Name::Track, Name::Title}))
                collectText(m_title);
            else if (at({Name::TrackList, Name::Track, Name::Creator}))
                collectText(m_creator);
            break;
        case Format::Wpl:
            if (local == Name::Media) {
                if (const XML_Char* source = attribute(attributes, "src")) {
                    beginEntry();
                    addLocation(source);
                    endEntry();
                }
            }
            break;
        case Format::Asx:
            if (within({Name::Entry})) {
                beginEntry();
            } else if (within({Name::Entry, Name::Ref})) {
                if (const XML_Char* reference = attribute(attributes, "href"))
                    addLocation(reference);
            } else if (within({Name::Entry, Name::Title})) {
                collectText(m_title);
            } else if (within({Name::Entry, Name::Author})) {
                collectText(m_creator);
            }
            break;
        case Format::LineList:
        case Format::Pls:
            break;
        }
    }

    void endElement()
    {
        // Expat still ends an empty element whose start stopped the parser.
        if (m_failure)
            return;
        if (m_textTarget != nullptr && m_path.size() == m_textDepth) {
            const bool isLocation = m_textTarget != &m_title && m_textTarget != &m_creator;
            trim(*m_textTarget);
            if (isLocation && m_textOverlong)
                m_overlong.push_back(m_locations.size() - 1);
            else if (isLocation && !base().empty()) // taken against the base in force on the location
                m_locations.back() = againstBase(base(), m_locations.back());
            m_textTarget = nullptr;
            XML_SetCharacterDataHandler(m_parser.get(), nullptr);
        } else if ((m_format == Format::Xspf && at({Name::TrackList, Name::Track})) ||
                   (m_format == Format::Asx && within({Name::Entry}))) {
            endEntry();
        }
        if (m_path.back().ownBase)
            m_bases.pop_back();
        m_path.pop_back();
    }

    void addCharacters(std::string_view text)
    {
        if (m_textOverlong)
            return;
        const std::size_t room = platform::LineReader::kLongestLine - m_textTarget->size();
        m_textOverlong = text.size() > room;
        m_textTarget->append(utf8Start(text, room));
    }

    // Every reference taken against a base costs a copy of it; past the
    // bound the document is refused, as one that large would be.
    std::string againstBase(std::string_view base, std::string_view reference)
    {
        if (base.empty())
            return std::string(reference);
        std::string made = resolved(base, reference);
        m_textFromBases += made.size();
        if (m_textFromBases > kLargestTextFromBases)
            stop("xml:base repeated into more than " + std::to_string(kLargestTextFromBases >> 20) + " MiB");
        return made;
    }

    void beginEntry()
    {
        m_locations.clear();
        m_overlong.clear();
        m_title.clear();
        m_creator.clear();
    }

    void addLocation(std::string_view location)
    {
        if (location.size() > platform::LineReader::kLongestLine)
            m_overlong.push_back(m_locations.size());
        m_locations.push_back(againstBase(base(), location));
    }

    void endEntry()
    {
        m_tracks.add(XmlTrack{std::move(m_locations), std::move(m_overlong), std::move(m_title),
                              std::move(m_creator)});
        beginEntry();
    }

    static void XMLCALL started(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<Reading*>(self)->startElement(name, attributes);
    }
    // What Windows Media Player's era declared besides the encodings Expat knows.
    static int XMLCALL windows1252(void*, const XML_Char* name, XML_Encoding* info)
    {
        if (localName(name) != "windows-1252")
            return XML_STATUS_ERROR;
        for (int byte = 0; byte < 256; ++byte)
            info->map[byte] =
                static_cast<int>(platform::windows1252CodePoint(static_cast<unsigned char>(byte)));
        info->data = nullptr;
        info->convert = nullptr;
        info->release = nullptr;
        return XML_STATUS_OK;
    }
    static void XMLCALL ended(void* self, const XML_Char*) { static_cast<Reading*>(self)->endElement(); }
    static void XMLCALL characters(void* self, const XML_Char* text, int length)
    {
        static_cast<Reading*>(self)->addCharacters(std::string_view(text, static_cast<std::size_t>(length)));
    }

    std::unique_ptr<XML_ParserStruct, ParserFree> m_parser;
    std::optional<FsFailure> m_failure;
    Format m_format = Format::Xspf;
    struct Open {
        Name name;
        bool ownBase; // it has an xml:base, which is on m_bases while it is open
    };
    std::vector<Open> m_path; // the open elements
    // The xml:base values in force, innermost last, above the empty base of the document.
    std::vector<std::string> m_bases{std::string()};
    std::size_t m_textFromBases = 0;
    XmlTrackEntries m_tracks;

    // The entry being read.
    std::vector<std::string> m_locations;
    std::vector<std::size_t> m_overlong; // indexes of locations too long for a path
    std::string m_title, m_creator;

    std::string* m_textTarget = nullptr; // where the text of the element being read goes
    std::size_t m_textDepth = 0;         // and how deep that element is
    bool m_textOverlong = false;
};

} // namespace

platform::FsResult<XmlEntries> readXmlPlaylist(platform::ByteReader& source, std::string readAhead)
{
    Reading reading;
    std::size_t total = readAhead.size();
    if (!reading.feed(readAhead, false))
        return reading.failure();
    std::string chunk;
    for (;;) {
        chunk.clear();
        const std::size_t count = source.read(chunk);
        if (count == 0)
            break;
        total += count;
        if (total > kLargestWholePlaylist)
            return tooLarge();
        if (!reading.feed(chunk, false))
            return reading.failure();
    }
    if (!source.status().ok())
        return source.status().failure();
    if (!reading.feed({}, true))
        return reading.failure();
    return std::move(reading).result();
}

} // namespace kavora::playlist
