#pragma once

#include <optional>
#include <string>
#include <utility>

namespace kavora::platform {

enum class FsError {
    NotFound,         // the path names nothing
    Ambiguous,        // several names match case-insensitively; none is taken
    TargetExists,     // a rename or create would replace an existing file
    PermissionDenied, // no right to read, write or rename
    ReadOnlyMedium,
    NoSpace,
    IsDirectory,
    NotADirectory,
    NotRegular,   // a device, pipe, socket or symbolic link where a file was wanted
    Hidden,       // the file, or a folder on its way, has a name starting with a dot
    VirtualFiles, // on a file system the kernel makes up (/proc, /sys, ...)
    SystemFolder, // in the system's own folders (/etc, /usr, ...)
    ForeignOwner, // the file belongs to another user
    NameTooLong,
    InUse,        // another job holds the file
    InvalidPath,  // a text that is no usable path (empty, bad drive, ...)
    NotAPlaylist, // content that cannot be read as a playlist: malformed markup, cut short
    Stopped,      // a long operation ended early at the caller's request
    Other,
};

// Why a file operation failed, in words that can go into a report line.
struct FsFailure {
    FsError code = FsError::Other;
    std::string reason;
};

// Outcome of an operation that yields nothing but success or a failure.
class [[nodiscard]] FsStatus final {
public:
    FsStatus() = default;
    FsStatus(FsFailure failure) : m_failure(std::move(failure)) {} // NOLINT(google-explicit-constructor)

    bool ok() const { return !m_failure.has_value(); }
    explicit operator bool() const { return ok(); }
    const FsFailure& failure() const { return *m_failure; }

private:
    std::optional<FsFailure> m_failure;
};

// A value or the failure that prevented it.
template <typename T> class [[nodiscard]] FsResult final {
public:
    FsResult(T value) : m_value(std::move(value)) {}               // NOLINT(google-explicit-constructor)
    FsResult(FsFailure failure) : m_failure(std::move(failure)) {} // NOLINT(google-explicit-constructor)

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const FsFailure& failure() const { return m_failure; }

private:
    std::optional<T> m_value;
    FsFailure m_failure;
};

} // namespace kavora::platform
