#include "platform/LineReader.h"

#include "platform/FileSystem.h"
#include "platform/internal/FileDescriptor.h"
#include "platform/internal/HostError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavora::platform {

using internal::failureFromErrno;
using internal::FileDescriptor;
using internal::openHostFile;

namespace {

constexpr std::size_t kChunk = std::size_t{64} * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

struct LineReader::Impl {
    FileDescriptor file; // closed: all bytes are in `buffer` from the start
    std::string buffer;
    std::size_t position = 0;
    bool endOfInput = false;
    bool markChecked = false;
    FsStatus status;

    // Appends the next chunk of the file; false when nothing more comes.
    bool fill()
    {
        if (endOfInput)
            return false;
        if (!file.isOpen()) {
            endOfInput = true;
            return false;
        }
        const std::size_t oldSize = buffer.size();
        buffer.resize(oldSize + kChunk);
        ssize_t count = 0;
        do {
            count = ::read(file.get(), buffer.data() + oldSize, kChunk);
        } while (count < 0 && errno == EINTR);
        if (count <= 0) {
            if (count < 0)
                status = failureFromErrno(errno);
            buffer.resize(oldSize);
            endOfInput = true;
            return false;
        }
        buffer.resize(oldSize + static_cast<std::size_t>(count));
        return true;
    }

    void skipByteOrderMark()
    {
        if (markChecked)
            return;
        markChecked = true;
        while (buffer.size() < kByteOrderMark.size() && fill()) {
        }
        if (std::string_view(buffer).starts_with(kByteOrderMark))
            position = kByteOrderMark.size();
    }

    // Drops consumed bytes once they outweigh the rest, so each byte is moved
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
        skipByteOrderMark();
        while (position >= buffer.size()) {
            if (!fill())
                return true;
        }
        return false;
    }

    std::string readLine()
    {
        if (atEnd())
            return {};
        compact();
        std::size_t scan = position;
        for (;;) {
            const auto terminator = std::find_if(buffer.begin() + static_cast<std::ptrdiff_t>(scan),
                                                 buffer.end(), [](char c) { return c == '\r' || c == '\n'; });
            if (terminator == buffer.end()) {
                scan = buffer.size();
                if (fill())
                    continue;
                std::string line = buffer.substr(position);
                position = buffer.size();
                return line;
            }
            const auto at = static_cast<std::size_t>(terminator - buffer.begin());
            std::string line = buffer.substr(position, at - position);
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
    const FsResult<std::string> host = fileSystem.hostPath(windowsPath);
    if (!host)
        return host.failure();
    FsResult<FileDescriptor> opened = openHostFile(host.value(), O_RDONLY);
    if (!opened)
        return opened.failure();
    auto impl = std::make_unique<Impl>();
    impl->file = std::move(opened).value();
    struct stat info {};
    if (::fstat(impl->file.get(), &info) != 0)
        return failureFromErrno(errno);
    if (S_ISDIR(info.st_mode))
        return failureFromErrno(EISDIR);
    return std::unique_ptr<LineReader>(new LineReader(std::move(impl)));
}

std::unique_ptr<LineReader> LineReader::fromBytes(std::string bytes)
{
    auto impl = std::make_unique<Impl>();
    impl->buffer = std::move(bytes);
    return std::unique_ptr<LineReader>(new LineReader(std::move(impl)));
}

bool LineReader::atEnd()
{
    return m_impl->atEnd();
}

std::string LineReader::readLine()
{
    return m_impl->readLine();
}

const FsStatus& LineReader::status() const
{
    return m_impl->status;
}

} // namespace kavora::platform
