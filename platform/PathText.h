#pragma once

#include <string>
#include <string_view>

// The rules of path texts as users and playlists write them: Windows paths with
// "\" and "/" alike as separators, and host paths. Text only: nothing here
// looks at the disk.
namespace kavora::platform {

inline bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Where the file-name part starts: after the last separator, else 0.
std::size_t fileNameStart(std::string_view path);
// Everything up to and including the last separator; empty when there is none.
std::string_view directoryPart(std::string_view path);
// Everything after the last separator; the whole path when there is none.
std::string_view fileNamePart(std::string_view path);

// True when a name holds "*" or "?".
bool hasWildcard(std::string_view name);

enum class PathForm {
    Relative,      // "Song.mp3", "Sub\Song.mp3", "..\Song.mp3"
    DriveRooted,   // "\Music\Song.mp3": from the root of the current drive
    HostAbsolute,  // "/home/u/Song.mp3"
    DriveAbsolute, // "C:\Music\Song.mp3", "C:/Music/Song.mp3"
    DriveRelative, // "C:Song.mp3": against the drive's own current directory
};
PathForm formOf(std::string_view path);

// "C:" of a path on a drive, else empty.
std::string_view drivePart(std::string_view path);

// The path with "." components dropped and ".." taken back against the name
// before it, as the path is resolved; never above a root. Separators are given
// as the path's first one, doubled ones as one.
std::string lexicallyNormal(std::string path);
// True when lexicallyNormal() would give the path as it is.
bool isLexicallyNormal(std::string_view path);

// A directory in the form a directory list reports it: without a trailing
// backslash, except at a drive's root ("C:\Music", "C:\"); a bare drive
// ("C:") is its root.
std::string listedDirectory(std::string_view directory);

// The directory, then the path, with one separator between them when neither
// side has one (the separator the directory uses, else "\"). An empty
// directory gives the path unchanged.
std::string joinPath(std::string_view directory, std::string_view path);

} // namespace kavora::platform
