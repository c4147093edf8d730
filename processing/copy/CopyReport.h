#pragma once

#include "platform/FsStatus.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The texts a copy puts into the report and the status bar. Entry lines come
// without their leading CRLF, as those of the other jobs do.
namespace kavora::copy::report {

// "7.3 MB": decimal units, as drives are labelled.
std::string sizeText(std::uint64_t bytes);

// What the plan found: the files, their size, the target and its room.
std::string planLine(std::uint64_t fileCount, std::uint64_t totalBytes, std::string_view folder,
                     bool newFolder, std::optional<std::uint64_t> freeBytes);

std::string copied(std::string_view source, std::string_view name);
std::string wouldCopy(std::string_view source, std::string_view name);
std::string cannotCopy(const platform::FsFailure& failure, std::string_view source);
// The copy ended before these files: stopped by the user, or the target failed.
std::string notCopied(std::uint64_t count, bool stopped);

std::string targetUnusable(const platform::FsFailure& failure, std::string_view folder);
std::string targetNotEmpty(std::string_view folder, std::string_view firstName);
std::string notEnoughSpace(std::uint64_t neededBytes, std::uint64_t freeBytes, std::string_view folder);
std::string cannotWritePlaylist(const platform::FsFailure& failure, std::string_view path);
std::string cannotFlush(const platform::FsFailure& failure, std::string_view folder);

// The closing lines: how many were copied, where the playlist of the copies
// is, and, once everything is on the device, that it may be removed.
std::string summary(std::uint64_t copiedCount, std::uint64_t entryCount, std::string_view folder,
                    std::string_view playlistPath, bool dryRun, bool onDevice);

// The status bar during a copy: "Copying 12 of 140, 310 MB of 1.2 GB".
std::string progressText(std::uint64_t fileNumber, std::uint64_t fileCount, std::uint64_t bytesDone,
                         std::uint64_t bytesTotal);

} // namespace kavora::copy::report
