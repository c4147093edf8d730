#include "platform/LineReader.h"

#include "platform/internal/Utf8.h"

#include <algorithm>
#include <cstdint>

namespace kavora::platform {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

} // namespace

struct LineReader::Impl {
    std::unique_ptr<ByteReader> source;

    std::string raw;    // bytes read but not yet text: the start a mark is looked for in, a split UTF-16 unit
    std::string buffer; // text, lines not yet read
    std::size_t position = 0;
    bool endOfInput = false;
    bool encodingKnown = false;
    TextEncoding encoding = TextEncoding::Bytes;
    bool bigEndian = false;

    // Up to a chunk of the source appended to `into`; 0 at its end.
    std::size_t readSource(std::string& into) { return source->read(into); }

    // Reads until the first bytes tell whether a byte-order mark stands there.
    void detectEncoding()
    {
        encodingKnown = true;
        while (raw.size() < kUtf8Mark.size() && readSource(raw) > 0) {
        }
        const std::string_view start(raw);
        if (start.starts_with(kUtf8Mark)) {
            encoding = TextEncoding::Utf8WithMark;
            raw.erase(0, kUtf8Mark.size());
        } else if (start.starts_with(kUtf16LittleEndianMark) || start.starts_with(kUtf16BigEndianMark)) {
            encoding = TextEncoding::Utf16;
            bigEndian = start.starts_with(kUtf16BigEndianMark);
            raw.erase(0, kUtf16LittleEndianMark.size());
        }
    }

    char16_t unitAt(std::size_t at) const
    {
        const auto first = static_cast<std::uint8_t>(raw[at]);
        const auto second = static_cast<std::uint8_t>(raw[at + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }

    // Turns the complete UTF-16 units of `raw` into UTF-8 text; at the end of
    // the input, a unit left half or a lone surrogate becomes U+FFFD.
    void decodeUtf16(bool atInputEnd)
    {
        std::size_t at = 0;
        while (at + 2 <= raw.size()) {
            const char16_t unit = unitAt(at);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (at + 4 > raw.size() && !atInputEnd)
                    break;
                const char16_t low = at + 4 <= raw.size() ? unitAt(at + 2) : char16_t{0};
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    internal::appendUtf8(buffer,
                                         0x10000 + ((char32_t{unit} - 0xD800) << 10) + (low - 0xDC00));
                    at += 4;
                    continue;
                }
                internal::appendUtf8(buffer, kReplacement);
            } else {
                internal::appendUtf8(buffer, unit >= 0xDC00 && unit <= 0xDFFF ? kReplacement : unit);
            }
            at += 2;
        }
        raw.erase(0, at);
        if (atInputEnd && !raw.empty()) {
            internal::appendUtf8(buffer, kReplacement);
            raw.clear();
        }
    }

    // Appends the next piece of text; false when nothing more comes.
    bool fill()
    {
        if (endOfInput)
            return false;
        if (!encodingKnown)
            detectEncoding();
        const std::size_t before = buffer.size();
        bool read = false;
        if (encoding == TextEncoding::Utf16) {
            read = readSource(raw) > 0;
            decodeUtf16(!read);
        } else {
            // Bytes need no decoding: read straight into the text, after what
            // the look for a mark left over.
            buffer += raw;
            raw.clear();
            read = readSource(buffer) > 0;
        }
        endOfInput = !read;
        return read || buffer.size() > before;
    }

    // Drops consumed text once it outweighs the rest, so each byte is moved
    // at most a bounded number of times: reading stays linear in the file size.
    void compact()
    {
        if (position > 0 && position >= buffer.size() / 2) {
            buffer.erase(0, position);
            position = 0;
        }
    }

    bool atEnd()
    {
        while (position >= buffer.size()) {
            if (!fill())
                return true;
        }
        return false;
    }

    Line readLine()
    {
        if (atEnd())
            return {};
        compact();
        Line line;
        std::size_t scan = position;
        for (;;) {
            const auto begin = buffer.begin() + static_cast<std::ptrdiff_t>(scan);
            const auto terminator =
                std::find_if(begin, buffer.end(), [](char c) { return c == '\r' || c == '\n'; });
            const auto at = static_cast<std::size_t>(terminator - buffer.begin());
            const bool ended = terminator != buffer.end();
            if (!line.overlong && at - position > kLongestLine) {
                line.text = buffer.substr(position, kOverlongStart);
                line.overlong = true;
            }
            if (!ended) {
                if (line.overlong) {
                    // Only the start is kept: what was scanned goes, memory stays bounded.
                    buffer.clear();
                    position = 0;
                }
                scan = buffer.size();
                if (fill())
                    continue;
                if (!line.overlong)
                    line.text = buffer.substr(position);
                position = buffer.size();
                return line;
            }
            if (!line.overlong)
                line.text = buffer.substr(position, at - position);
            position = at + 1;
            if (buffer[at] == '\r') {
                if (position >= buffer.size())
                    fill();
                if (position < buffer.size() && buffer[position] == '\n')
                    ++position;
            }
            return line;
        }
    }
};

LineReader::LineReader(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

LineReader::~LineReader() = default;

FsResult<std::unique_ptr<LineReader>> LineReader::open(const FileSystem& fileSystem,
                                                       std::string_view windowsPath)
{
    auto opened = ByteReader::open(fileSystem, windowsPath);
    if (!opened)
        return opened.failure();
    return over(std::move(opened).value(), {});
}

std::unique_ptr<LineReader> LineReader::fromBytes(std::string bytes)
{
    return over(ByteReader::fromBytes(std::move(bytes)), {});
}

std::unique_ptr<LineReader> LineReader::over(std::unique_ptr<ByteReader> source, std::string readAhead)
{
    auto impl = std::make_unique<Impl>();
    impl->source = std::move(source);
    impl->raw = std::move(readAhead);
    return std::unique_ptr<LineReader>(new LineReader(std::move(impl)));
}

bool LineReader::atEnd()
{
    return m_impl->atEnd();
}

LineReader::Line LineReader::readLine()
{
    return m_impl->readLine();
}

TextEncoding LineReader::encoding()
{
    if (!m_impl->encodingKnown)
        m_impl->detectEncoding();
    return m_impl->encoding;
}

FileIdentity LineReader::identity() const
{
    return m_impl->source->identity();
}

const FsStatus& LineReader::status() const
{
    return m_impl->source->status();
}

FsStatus LineReader::lockExclusively()
{
    return m_impl->source->lockExclusively();
}

} // namespace kavora::platform
