#include "platform/qt/InstanceRequest.h"

namespace kavora::platform {

namespace {

bool isPlaylistPath(std::string_view path)
{
    return !path.empty() && path.size() <= kLongestPlaylistPath && path.find('\0') == std::string_view::npos;
}

} // namespace

std::string encodeRequest(const InstanceRequest& request)
{
    const bool open = request.kind == InstanceRequest::Kind::OpenPlaylist;
    if (open && !isPlaylistPath(request.playlist))
        return {};
    const std::string_view bytes = open ? std::string_view(request.playlist) : std::string_view();
    const auto length = static_cast<std::uint32_t>(bytes.size());
    std::string message;
    message.reserve(kRequestHeaderSize + bytes.size());
    message += static_cast<char>(request.kind);
    for (const int shift : {24, 16, 8, 0})
        message += static_cast<char>((length >> shift) & 0xFFu);
    message += bytes;
    return message;
}

std::optional<InstanceRequest> decodeRequest(std::string_view message)
{
    if (message.size() < kRequestHeaderSize)
        return std::nullopt;
    std::uint32_t length = 0;
    for (std::size_t at = 1; at < kRequestHeaderSize; ++at)
        length = (length << 8) | static_cast<unsigned char>(message[at]);
    const std::string_view bytes = message.substr(kRequestHeaderSize);
    if (bytes.size() != length)
        return std::nullopt;
    switch (static_cast<unsigned char>(message[0])) {
    case static_cast<unsigned char>(InstanceRequest::Kind::RestoreAndForeground):
        if (!bytes.empty())
            return std::nullopt;
        return InstanceRequest{};
    case static_cast<unsigned char>(InstanceRequest::Kind::OpenPlaylist):
        if (!isPlaylistPath(bytes))
            return std::nullopt;
        return InstanceRequest{InstanceRequest::Kind::OpenPlaylist, std::string(bytes)};
    default:
        return std::nullopt;
    }
}

} // namespace kavora::platform
