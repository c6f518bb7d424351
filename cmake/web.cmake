# The browser build: the game's own sources and our platform layer compiled
# by emscripten into build-web/kelvara.js + kelvara.wasm, with the page
# (web/index.html and its glue) beside them. Included from the root
# CMakeLists.txt when the toolchain is emscripten's. No emscripten ports:
# text comes from the browser's font engine (platform/gdi/browser/) in place
# of FreeType and fontconfig, and the display is the web backend, which the
# browser's entry point (platform/entry/web_main.cpp) hands to the windowing
# layer in place of the native backend table. The libraries are the native
# build's (cmake/libraries.cmake), so the layers hold here too:
#   kv_rt <- kv_gdi <- kv_user <- kv_web <- kelvara;  kv_desktop <- kv_web
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()

add_compile_options(-ffp-contract=off -fno-fast-math -Wall -Wextra)
# The drawing layer's pixel loops vectorise natively (SSE2); wasm's 128-bit
# SIMD lets them do so here too. Every browser in current use has it.
add_compile_options(-msimd128)

# The same kelvara.res as the native build, embedded with wasm's assembler.
set(KV_RES_TEMPLATE ${CMAKE_SOURCE_DIR}/web/resource_image.cpp.in)
add_subdirectory(res)

set(KV_GLYPH_SOURCE browser)
include(${CMAKE_SOURCE_DIR}/cmake/libraries.cmake)
# the display backend
kv_platform_library(kv_web web kv_desktop kv_user)

add_executable(kelvara ${CMAKE_SOURCE_DIR}/platform/entry/web_main.cpp)
target_link_libraries(kelvara PRIVATE kv_game kv_web)

# Asyncify lets the game's pump, which never returns, give the browser a
# turn from inside (kv_page_yield). The pump's call chain goes through
# function pointers (the window procedure, the backend), so the whole
# program is instrumented; the frame benchmark measures what that costs.
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
  # The page's query string reaches main through malloc'ed memory.
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free']")

# The page and its glue, copied beside the module whenever they change.
set(KV_WEB_PAGE_OUTPUTS "")
foreach(f index.html page.js glyphs.js)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/${f}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${f} ${CMAKE_BINARY_DIR}/${f}
    DEPENDS ${CMAKE_SOURCE_DIR}/web/${f}
    VERBATIM)
  list(APPEND KV_WEB_PAGE_OUTPUTS ${CMAKE_BINARY_DIR}/${f})
endforeach()
add_custom_target(kelvara_page ALL DEPENDS ${KV_WEB_PAGE_OUTPUTS})
