# The extensions of music and video files: the *.ext globs of every audio/*
# and video/* type in shared-mime-info's own database source, taken when the
# build is configured. That file holds the freedesktop.org types alone, so the
# list does not change with other packages on the build machine (their types,
# ours among them, are merged into the installed globs), and a job reads no
# file for it at run time.
set(KAVORA_MIME_SOURCE /usr/share/mime/packages/freedesktop.org.xml CACHE FILEPATH
    "shared-mime-info's database source, for the music file extensions")

function(kavora_generate_music_extensions output)
  if(NOT EXISTS "${KAVORA_MIME_SOURCE}")
    message(FATAL_ERROR "${KAVORA_MIME_SOURCE} not found: install shared-mime-info")
  endif()
  file(STRINGS "${KAVORA_MIME_SOURCE}" lines REGEX "<mime-type type=|<glob pattern=")
  set(extensions "")
  set(media FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "<mime-type type=\"([^\"]*)\"")
      string(REGEX MATCH "^(audio|video)/" media "${CMAKE_MATCH_1}")
    elseif(media AND line MATCHES "<glob pattern=\"\\*\\.([A-Za-z0-9_+-]+)\"")
      string(TOLOWER "${CMAKE_MATCH_1}" extension)
      list(APPEND extensions "${extension}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES extensions)
  list(SORT extensions)
  list(LENGTH extensions count)
  list(JOIN extensions "\",\n    \"" body)
  file(CONFIGURE OUTPUT "${output}" CONTENT "// Generated from @KAVORA_MIME_SOURCE@ by cmake/MusicExtensions.cmake.
#include \"processing/playlist/MusicFile.h\"

namespace kavora::playlist {

namespace {

constexpr std::string_view kExtensions[@count@] = {
    \"@body@\",
};

} // namespace

std::span<const std::string_view> musicExtensions()
{
    return kExtensions;
}

} // namespace kavora::playlist
" @ONLY)
endfunction()
