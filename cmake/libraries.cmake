# The libraries every build on our own platform layer has (native and the
# browser's), so the layers hold the same way in both: one library per
# module of platform/, each linking only those below it, and the game.
#   kv_rt <- kv_gdi <- kv_user        kv_desktop
# The caller adds its backends above them (cmake: the root CMakeLists.txt
# and web.cmake), and names the glyph source kv_gdi draws text with:
# KV_GLYPH_SOURCE, a folder of platform/gdi/ (freetype natively, browser in
# the browser), whose library kv_glyphs the caller may link further.
# Their include path is the source root: they, the tests and the tools may
# name platform internals; the game may not (see kv_game).
function(kv_platform_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# resources, resource templates, runtime, wall clock, UTF-8, byte reading
kv_platform_library(kv_rt rt kelvara_resources)
# where the font cache's faces and glyphs come from
kv_platform_library(kv_glyphs gdi/${KV_GLYPH_SOURCE})
# drawing objects, memory and surface contexts, pixels, fonts
kv_platform_library(kv_gdi gdi kv_rt kv_glyphs)
# windows, messages, menus, dialogs, window contexts, the backend in use
kv_platform_library(kv_user user kv_gdi kv_rt)
# one desktop in memory: windows, stacking, the pointer's target, the grab,
# surfaces; what the headless backend, the browser's and the replay stand on
kv_platform_library(kv_desktop desktop)

# The game: it sees the interface header and its own folders only. It links
# the windowing and drawing layer that implements the interface, without
# taking that layer's include path.
include(${CMAKE_SOURCE_DIR}/cmake/game_include.cmake)
add_library(kv_game STATIC ${KV_GAME_SOURCES})
target_include_directories(kv_game PRIVATE ${KV_GAME_INCLUDE_DIR})
target_link_libraries(kv_game INTERFACE $<LINK_ONLY:kv_user>)
