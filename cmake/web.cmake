# The browser build: the game's own sources and our platform layer compiled
# by emscripten into build-web/kelvara.js + kelvara.wasm, with the page
# (web/index.html and its glue) and the typefaces it draws with beside them.
# Included from the root CMakeLists.txt when the toolchain is emscripten's.
# No emscripten ports (they would be downloaded): text comes from our reader
# of Wine's System font and from the browser's font engine
# (platform/gdi/browser/) in place of FreeType and fontconfig, recordings
# unpack with our own zlib streams (platform/web/zlib/), and the display is
# the web backend, which the browser's entry point (platform/entry/
# web_main.cpp) hands to the windowing layer, behind a replay when the page
# plays a recording. The libraries are the native build's
# (cmake/libraries.cmake), so the layers hold here too:
#   kv_rt <- kv_gdi <- kv_user <- kv_web <- kelvara;  kv_desktop <- kv_web, kv_record
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()

add_compile_options(-ffp-contract=off -fno-fast-math -Wall -Wextra)
# The drawing layer's pixel loops vectorise natively (SSE2); wasm's 128-bit
# SIMD lets them do so here too. Bulk memory makes a block copy one wasm
# instruction (memory.copy) where emscripten's memcpy would hand every copy
# of 512 bytes or more to JavaScript (a frame copies whole pictures a row
# at a time). The crossing is cheap in a plain run, but a profiled page
# pays dearly for it, which hid the frame's real costs. Every browser in
# current use has both.
add_compile_options(-msimd128 -mbulk-memory)
add_link_options(-mbulk-memory)

# The typefaces the desktop draws with (tools/install-deps.sh web installs
# their packages): Wine's System font is built into the module; Tahoma and
# Liberation Sans are shipped beside the page, with their licences.
set(KV_WINE_FONT_DIR /usr/share/wine/fonts CACHE PATH "Wine's fonts (fonts-wine)")
set(KV_LIBERATION_DIR /usr/share/fonts/truetype/liberation CACHE PATH "Liberation fonts (fonts-liberation)")
set(KV_WEB_FONTS
  ${KV_WINE_FONT_DIR}/tahoma.ttf ${KV_WINE_FONT_DIR}/tahomabd.ttf
  ${KV_LIBERATION_DIR}/LiberationSans-Regular.ttf ${KV_LIBERATION_DIR}/LiberationSans-Bold.ttf)
set(KV_SYSTEM_FONT_FILE ${KV_WINE_FONT_DIR}/vgasys.fon)
foreach(f ${KV_SYSTEM_FONT_FILE} ${KV_WEB_FONTS})
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "${f} is missing: the page draws with it (tools/install-deps.sh web "
                        "installs fonts-wine and fonts-liberation)")
  endif()
endforeach()

# The same kelvara.res as the native build, embedded with wasm's assembler.
set(KV_RES_TEMPLATE ${CMAKE_SOURCE_DIR}/web/resource_image.cpp.in)
add_subdirectory(res)

set(KV_GLYPH_SOURCE browser)
include(${CMAKE_SOURCE_DIR}/cmake/libraries.cmake)
set(KV_SYSTEM_FONT_EMBED ${CMAKE_BINARY_DIR}/system_font.cpp)
configure_file(${CMAKE_SOURCE_DIR}/web/font_file.cpp.in ${KV_SYSTEM_FONT_EMBED} @ONLY)
set_source_files_properties(${KV_SYSTEM_FONT_EMBED} PROPERTIES OBJECT_DEPENDS ${KV_SYSTEM_FONT_FILE})
target_sources(kv_glyphs PRIVATE ${KV_SYSTEM_FONT_EMBED})

# zlib's interface for the recordings, on our own streams.
add_library(kv_zlib STATIC ${CMAKE_SOURCE_DIR}/platform/web/zlib/zlib.cpp)
target_include_directories(kv_zlib PUBLIC ${CMAKE_SOURCE_DIR}/platform/web/zlib ${CMAKE_SOURCE_DIR})
target_link_libraries(kv_zlib PUBLIC kv_rt)
add_library(ZLIB::ZLIB ALIAS kv_zlib)

# the display backend, and recordings played back at its seam
kv_platform_library(kv_web web kv_desktop kv_user)
kv_platform_library(kv_record record kv_desktop kv_rt ZLIB::ZLIB)

# The entry: the one reading of the arguments before static initialisation,
# and the program described to the platform, as natively.
add_executable(kelvara
  ${CMAKE_SOURCE_DIR}/platform/entry/web_main.cpp
  ${CMAKE_SOURCE_DIR}/platform/entry/early_start.cpp
  ${CMAKE_SOURCE_DIR}/platform/entry/arguments.cpp
  ${CMAKE_SOURCE_DIR}/platform/entry/program.cpp)
target_include_directories(kelvara PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kelvara PRIVATE kv_game kv_web kv_record)

# Asyncify lets the game's pump, which never returns, give the browser a
# turn from inside (kv_page_yield). The pump's call chain goes through
# function pointers (the window procedure, the backend), so the whole
# program is instrumented; the frame benchmark measures what that costs.
# Each run of the program is a fresh instance (MODULARIZE): the page starts
# one for the game and another for a recording dropped on it, and writes
# the recording into the instance's file system (FS) before it starts.
target_link_options(kelvara PRIVATE
  -sASYNCIFY
  "-sASYNCIFY_IMPORTS=['kv_page_yield']"
  -sASYNCIFY_STACK_SIZE=65536
  # The interface tells a resource number from a string pointer by the
  # address being below 65536; wasm's memory starts at 0, so the program's
  # data (and the stack and heap after it) start well above.
  -sGLOBAL_BASE=1048576
  -sALLOW_MEMORY_GROWTH=1
  -sINITIAL_MEMORY=67108864
  -sENVIRONMENT=web
  -sEXIT_RUNTIME=0
  -sMODULARIZE=1
  -sEXPORT_NAME=createKelvara
  -sFORCE_FILESYSTEM=1
  "-sEXPORTED_RUNTIME_METHODS=['FS']"
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free']")

# The page and its glue, copied beside the module whenever they change; the
# shipped typefaces in fonts/, with where they come from and their licences
# (the Debian packages' copyright files and the licence texts they name).
set(KV_WEB_PAGE_OUTPUTS "")
foreach(f index.html page.js glyphs.js)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/${f}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${f} ${CMAKE_BINARY_DIR}/${f}
    DEPENDS ${CMAKE_SOURCE_DIR}/web/${f}
    VERBATIM)
  list(APPEND KV_WEB_PAGE_OUTPUTS ${CMAKE_BINARY_DIR}/${f})
endforeach()
foreach(f ${KV_WEB_FONTS})
  get_filename_component(name ${f} NAME)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/fonts/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${f} ${CMAKE_BINARY_DIR}/fonts/${name}
    DEPENDS ${f}
    VERBATIM)
  list(APPEND KV_WEB_PAGE_OUTPUTS ${CMAKE_BINARY_DIR}/fonts/${name})
endforeach()
set(KV_FONT_LICENCES
  ${CMAKE_SOURCE_DIR}/web/fonts-readme.txt
  /usr/share/doc/fonts-wine/copyright /usr/share/common-licenses/LGPL-2.1
  /usr/share/doc/fonts-liberation/copyright /usr/share/common-licenses/GPL-2)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/fonts/README.txt
  COMMAND ${CMAKE_COMMAND} -DOUT=${CMAKE_BINARY_DIR}/fonts/README.txt
          "-DPARTS=${KV_FONT_LICENCES}" -P ${CMAKE_SOURCE_DIR}/cmake/web_font_licences.cmake
  DEPENDS ${KV_FONT_LICENCES} ${CMAKE_SOURCE_DIR}/cmake/web_font_licences.cmake
  VERBATIM)
list(APPEND KV_WEB_PAGE_OUTPUTS ${CMAKE_BINARY_DIR}/fonts/README.txt)
add_custom_target(kelvara_page ALL DEPENDS ${KV_WEB_PAGE_OUTPUTS})

# The browser tests' text probe (tests/web/), beside the page, built only
# when they ask for it: the drawing layer's text in this build, to hold
# against the native build's.
add_executable(text_probe EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/web/text_probe.cpp)
target_link_libraries(text_probe PRIVATE kv_gdi)
target_link_options(text_probe PRIVATE -sMODULARIZE=1 -sEXPORT_NAME=createTextProbe
                    -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sGLOBAL_BASE=1048576)
add_custom_command(TARGET text_probe POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/tests/web/text_probe.html
          ${CMAKE_BINARY_DIR}/text_probe.html
  VERBATIM)
