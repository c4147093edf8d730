#pragma once

#include "platform/FsStatus.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kavora {

// Every text the jobs put into the report. Entry lines come without their
// leading CRLF; the job adds it when it appends them.
namespace report {

inline constexpr std::string_view kCrlf = "\r\n";

// CRLF, "Processing input file... ", the path, CRLF.
std::string header(std::string_view inputPlaylistPath);

std::string renamed(std::string_view newName);
std::string wouldRename(std::string_view oldName, std::string_view newName);
std::string fileNotFound(std::string_view entry);

// Lines of failures; each reads "Error - <what> - <path>".
std::string cannotOpenInput(const platform::FsFailure& failure, std::string_view path);
std::string cannotReadInput(const platform::FsFailure& failure, std::string_view path);
std::string newPlaylistIsInput(std::string_view path);
std::string playlistInUse(std::string_view path);
std::string newPlaylistExists(std::string_view path);
// An earlier new playlist that may still be needed by Remove, and why.
std::string newPlaylistListsNumbered(std::string_view numberedFile, std::string_view path);
std::string newPlaylistListsUnseen(std::string_view entry, std::string_view path);
std::string cannotCreateNewPlaylist(const platform::FsFailure& failure, std::string_view path);
std::string cannotWriteNewPlaylist(const platform::FsFailure& failure, std::string_view path);
std::string cannotTakeBackLine(const platform::FsFailure& failure, std::string_view path);
std::string cannotCloseNewPlaylist(const platform::FsFailure& failure, std::string_view path);
std::string cannotRename(const platform::FsFailure& failure, std::string_view newName,
                         std::string_view entry);
std::string fileLeftAsItIs(const platform::FsFailure& failure, std::string_view entry);
std::string alreadyRenamedByThisJob(std::string_view entry);
std::string namesOwnPlaylist(std::string_view entry);
std::string numberLimitReached(std::string_view entry);
std::string carriesOtherNumber(std::string_view entry);
std::string notLocalFile(std::string_view line);
std::string notMusicFile(std::string_view entry);
std::string playlistTooDeep(std::string_view entry, std::size_t deepest);
std::string playlistReadAlready(std::string_view entry);
std::string cannotReadNamedPlaylist(const platform::FsFailure& failure, std::string_view entry);
// The line's first 80 characters.
std::string lineTooLong(std::string_view lineStart);

// CRLF, CRLF, "<<<  Processing completed with N ERRORS DETECTED  >>>".
std::string errorCount(std::uint64_t errors);
// The closing lines of a Create job that renamed at least one file.
std::string createSummary(std::uint64_t renamedCount, std::uint64_t entryCount,
                          std::string_view newPlaylistPath);
// The closing lines of a Create job that renamed nothing.
std::string createNothingRenamed(std::uint64_t renamedCount, std::uint64_t entryCount);
std::string removeSummary(std::uint64_t renamedCount, std::uint64_t entryCount);

} // namespace report
} // namespace kavora
