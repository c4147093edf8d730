# Every library and executable links kavora_build_options: warnings, and the
# sanitizers when KAVORA_SANITIZE is on.
add_library(kavora_build_options INTERFACE)
target_compile_options(kavora_build_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wnull-dereference
  $<$<BOOL:${KAVORA_WERROR}>:-Werror>)

if(KAVORA_SANITIZE)
  target_compile_options(kavora_build_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(kavora_build_options INTERFACE -fsanitize=address,undefined)
endif()
