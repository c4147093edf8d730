#include "processing/ReportText.h"

#include "platform/PathText.h"
#include "processing/playlist/PlaylistLine.h"

#include <initializer_list>

namespace kavora::report {

namespace {

std::string concat(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (const std::string_view piece : pieces) {
        size += piece.size();
    }
    std::string text;
    text.reserve(size);
    for (const std::string_view piece : pieces) {
        text.append(piece);
    }
    return text;
}

std::string errorLine(std::string_view what, std::string_view path)
{
    return concat({"Error - ", what, " - ", path});
}

std::string because(std::string_view what, const platform::FsFailure& failure)
{
    return concat({what, " (", failure.reason, ")"});
}

} // namespace

std::string header(std::string_view inputPlaylistPath)
{
    return concat({kCrlf, "Processing input file... ", inputPlaylistPath, kCrlf});
}

std::string renamed(std::string_view newName)
{
    return concat({"Renamed ", newName});
}

std::string wouldRename(std::string_view oldName, std::string_view newName)
{
    return concat({"Would rename ", oldName, " to ", newName});
}

std::string fileNotFound(std::string_view entry)
{
    return errorLine("File not found", entry);
}

std::string cannotOpenInput(const platform::FsFailure& failure, std::string_view path)
{
    if (failure.code == platform::FsError::NotAPlaylist)
        return errorLine(concat({"Playlist cannot be read: ", failure.reason, "; no file was touched"}),
                         path);
    return errorLine(because("Input playlist cannot be opened; no file was touched", failure), path);
}

std::string cannotReadInput(const platform::FsFailure& failure, std::string_view path)
{
    return errorLine(because("Input playlist could not be read to its end", failure), path);
}

std::string newPlaylistIsInput(std::string_view path)
{
    return errorLine("New playlist would replace the input playlist; no file was touched", path);
}

std::string playlistInUse(std::string_view path)
{
    return errorLine("Job refused, another job is using this playlist; no file was touched", path);
}

std::string newPlaylistExists(std::string_view path)
{
    return errorLine("New playlist already exists; run Remove with it first, or move it away", path);
}

std::string newPlaylistListsNumbered(std::string_view numberedFile, std::string_view path)
{
    return errorLine(concat({"New playlist still lists the numbered file ", numberedFile,
                             "; run Remove with it first, or move it away"}),
                     path);
}

std::string newPlaylistListsUnseen(std::string_view entry, std::string_view path)
{
    return errorLine(
        concat({"New playlist lists ", entry,
                ", whose folder cannot be looked at now; run Remove with it first, or move it away"}),
        path);
}

std::string cannotCreateNewPlaylist(const platform::FsFailure& failure, std::string_view path)
{
    return errorLine(because("New playlist cannot be created; no file was renamed", failure), path);
}

std::string cannotWriteNewPlaylist(const platform::FsFailure& failure, std::string_view path)
{
    return errorLine(because("New playlist cannot be written; file left as it is and job stopped", failure),
                     path);
}

std::string cannotTakeBackLine(const platform::FsFailure& failure, std::string_view path)
{
    return errorLine(because("New playlist lists a file that was not renamed; job stopped", failure), path);
}

std::string cannotCloseNewPlaylist(const platform::FsFailure& failure, std::string_view path)
{
    return errorLine(because("New playlist may be incomplete", failure), path);
}

std::string cannotRename(const platform::FsFailure& failure, std::string_view newName, std::string_view entry)
{
    return errorLine(
        because(concat({"File cannot be renamed to ", platform::fileNamePart(newName)}), failure), entry);
}

std::string fileLeftAsItIs(const platform::FsFailure& failure, std::string_view entry)
{
    return errorLine(because("File left as it is", failure), entry);
}

std::string alreadyRenamedByThisJob(std::string_view entry)
{
    return errorLine("File already renamed by this job; file left as it is", entry);
}

std::string namesOwnPlaylist(std::string_view entry)
{
    return errorLine("Entry names a playlist of this job; file left as it is", entry);
}

std::string numberLimitReached(std::string_view entry)
{
    return errorLine("More than 999 files; file left unnumbered", entry);
}

std::string carriesOtherNumber(std::string_view entry)
{
    return errorLine("File name does not carry this playlist's number; file left as it is", entry);
}

std::string notLocalFile(std::string_view line)
{
    return errorLine("Not a local file", line);
}

std::string notMusicFile(std::string_view entry)
{
    return errorLine("Not a music file; file left as it is", entry);
}

std::string playlistTooDeep(std::string_view entry, std::size_t deepest)
{
    return errorLine(concat({"Playlist named below ", std::to_string(deepest), " others; not read"}), entry);
}

std::string playlistReadAlready(std::string_view entry)
{
    return errorLine("Playlist named again; read once only", entry);
}

std::string cannotReadNamedPlaylist(const platform::FsFailure& failure, std::string_view entry)
{
    return errorLine(because("Playlist cannot be read", failure), entry);
}

std::string lineTooLong(std::string_view lineStart)
{
    return errorLine("Line too long to be a path; skipped", playlist::leadingCharacters(lineStart, 80));
}

std::string errorCount(std::uint64_t errors)
{
    return concat(
        {kCrlf, kCrlf, "<<<  Processing completed with ", std::to_string(errors), " ERRORS DETECTED  >>>"});
}

std::string createSummary(std::uint64_t renamedCount, std::uint64_t entryCount,
                          std::string_view newPlaylistPath)
{
    return concat(
        {kCrlf, kCrlf, std::to_string(renamedCount), " out of a possible ", std::to_string(entryCount),
         " files successfully added to new playlist: ", kCrlf, newPlaylistPath, kCrlf, kCrlf,
         "NOTE: Use this new playlist to burn your CD and when complete ",
         "use this new playlist as input to the Kavora ",
         "REMOVE function to rename the files and remove the numerics ", "from the file names.", kCrlf});
}

std::string createNothingRenamed(std::uint64_t renamedCount, std::uint64_t entryCount)
{
    return concat({kCrlf, kCrlf, std::to_string(entryCount - renamedCount), " out of a possible ",
                   std::to_string(entryCount), " files encountered errors during processing.", kCrlf,
                   "Remedy the errors listed above before rerunning ",
                   "the program to create your new playlist file.", kCrlf});
}

std::string removeSummary(std::uint64_t renamedCount, std::uint64_t entryCount)
{
    return concat({kCrlf, kCrlf, std::to_string(renamedCount), " out of a possible ",
                   std::to_string(entryCount), " files successfully renamed to original file names.", kCrlf});
}

} // namespace kavora::report
