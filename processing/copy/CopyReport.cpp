#include "processing/copy/CopyReport.h"

#include "processing/ReportText.h"

#include <array>
#include <cstdio>

namespace kavora::copy::report {

namespace {

std::string errorLine(std::string_view what, std::string_view path)
{
    return "Error - " + std::string(what) + " - " + std::string(path);
}

std::string because(std::string_view what, const platform::FsFailure& failure)
{
    return std::string(what) + " (" + failure.reason + ")";
}

} // namespace

std::string sizeText(std::uint64_t bytes)
{
    static constexpr std::array<const char*, 5> kUnits = {"KB", "MB", "GB", "TB", "PB"};
    if (bytes < 1000)
        return std::to_string(bytes) + " bytes";
    double value = static_cast<double>(bytes) / 1000;
    std::size_t unit = 0;
    while (value >= 999.95 && unit + 1 < kUnits.size()) {
        value /= 1000;
        ++unit;
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f %s", value, kUnits[unit]);
    return text.data();
}

std::string planLine(std::uint64_t fileCount, std::uint64_t totalBytes, std::string_view folder,
                     bool newFolder, std::optional<std::uint64_t> freeBytes)
{
    return "To copy: " + std::to_string(fileCount) + (fileCount == 1 ? " file, " : " files, ") +
           sizeText(totalBytes) + ", into " + std::string(folder) + (newFolder ? " (a new folder)" : "") +
           "; " + (freeBytes ? sizeText(*freeBytes) + " free there" : "its free space is not known");
}

std::string copied(std::string_view source, std::string_view name)
{
    return "Copied " + std::string(source) + " to " + std::string(name);
}

std::string wouldCopy(std::string_view source, std::string_view name)
{
    return "Would copy " + std::string(source) + " to " + std::string(name);
}

std::string cannotCopy(const platform::FsFailure& failure, std::string_view source)
{
    return errorLine(because("File cannot be copied", failure), source);
}

std::string notCopied(std::uint64_t count, bool stopped)
{
    return std::string(stopped ? "Copy stopped" : "Copy ended early") + "; " + std::to_string(count) +
           (count == 1 ? " file" : " files") + " not copied";
}

std::string targetUnusable(const platform::FsFailure& failure, std::string_view folder)
{
    return errorLine(because("Target folder cannot be used; nothing was copied", failure), folder);
}

std::string targetNotEmpty(std::string_view folder, std::string_view firstName)
{
    return errorLine(
        "Target folder is not empty (it holds " + std::string(firstName) + "); nothing was copied", folder);
}

std::string notEnoughSpace(std::uint64_t neededBytes, std::uint64_t freeBytes, std::string_view folder)
{
    return errorLine("Not enough free space (" + sizeText(neededBytes) + " needed, " + sizeText(freeBytes) +
                         " free); nothing was copied",
                     folder);
}

std::string cannotWritePlaylist(const platform::FsFailure& failure, std::string_view path)
{
    return errorLine(because("Playlist of the copies cannot be written", failure), path);
}

std::string cannotFlush(const platform::FsFailure& failure, std::string_view folder)
{
    return errorLine(because("Copies may not all be on the device yet", failure), folder);
}

std::string summary(std::uint64_t copiedCount, std::uint64_t entryCount, std::string_view folder,
                    std::string_view playlistPath, bool dryRun, bool onDevice)
{
    using kavora::report::kCrlf;
    std::string text(kCrlf);
    text += kCrlf;
    text += std::to_string(copiedCount) + " out of a possible " + std::to_string(entryCount) +
            (dryRun ? " files would be copied to " : " files copied to ") + std::string(folder);
    if (!playlistPath.empty()) {
        text += kCrlf;
        text += (dryRun ? "Playlist of the copies would be: " : "Playlist of the copies: ") +
                std::string(playlistPath);
    }
    if (onDevice) {
        text += kCrlf;
        text += "Everything is written to the device; it may be removed now.";
    }
    text += kCrlf;
    return text;
}

std::string progressText(std::uint64_t fileNumber, std::uint64_t fileCount, std::uint64_t bytesDone,
                         std::uint64_t bytesTotal)
{
    return "Copying " + std::to_string(fileNumber) + " of " + std::to_string(fileCount) + ", " +
           sizeText(bytesDone) + " of " + sizeText(bytesTotal);
}

} // namespace kavora::copy::report
