# The Windows build: the game's own sources against the real <windows.h>,
# the resource script compiled with windres, one static GUI program. Nothing
# of platform/ but win32.h is compiled here. Included from the root
# CMakeLists.txt when the target is Windows; the developer tool that checks
# our drawing layer against the real one is built here as well.
enable_language(RC)

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

# Not for windres, which shares the compile options.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffp-contract=off;-fno-fast-math;-Wall;-Wextra>")
# A bare Windows has no MinGW runtime DLLs: link everything in.
add_link_options(-static -static-libgcc -static-libstdc++)

# The game's folders and the same include wall as on Linux: KV_GAME_SOURCES
# and KV_GAME_INCLUDE_DIR.
include(${CMAKE_SOURCE_DIR}/cmake/game_include.cmake)

set(KV_GAME_RC ${CMAKE_SOURCE_DIR}/res/kelvara.rc)
# windres reads the pictures and the manifest named in the scripts; CMake
# does not see those, so they are named here.
file(GLOB KV_GAME_RC_INPUTS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/*.bmp ${CMAKE_SOURCE_DIR}/res/*.manifest ${CMAKE_SOURCE_DIR}/res/resource.h)
set_source_files_properties(${KV_GAME_RC} PROPERTIES OBJECT_DEPENDS "${KV_GAME_RC_INPUTS}")
file(GLOB KV_PROBE_RC_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/gdi_probe/bitmaps/*.bmp)
set_source_files_properties(${CMAKE_SOURCE_DIR}/tools/gdi_probe/probe.rc PROPERTIES
  OBJECT_DEPENDS "${KV_PROBE_RC_INPUTS};${CMAKE_SOURCE_DIR}/tools/gdi_probe/probe_resources.h")

# The program's version block, a script of its own beside the game's: the
# project's version as Windows writes it, four numbers.
# The parts not given are empty and drop out of the list.
set(KV_VERSION_COMMAS ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
    ${PROJECT_VERSION_TWEAK})
list(LENGTH KV_VERSION_COMMAS count)
while(count LESS 4)
  list(APPEND KV_VERSION_COMMAS 0)
  math(EXPR count "${count} + 1")
endwhile()
list(JOIN KV_VERSION_COMMAS "," KV_VERSION_COMMAS)
set(KV_VERSION_RC ${CMAKE_BINARY_DIR}/version.rc)
configure_file(${CMAKE_SOURCE_DIR}/dist/windows/version.rc.in ${KV_VERSION_RC} @ONLY)

if(EXISTS ${CMAKE_SOURCE_DIR}/app/win_main.cpp AND EXISTS ${KV_GAME_RC})
  # WIN32_EXECUTABLE: the GUI subsystem (-mwindows), WinMain entry, no console.
  add_executable(kelvara WIN32 ${KV_GAME_SOURCES} ${KV_GAME_RC} ${KV_VERSION_RC})
  target_include_directories(kelvara PRIVATE ${KV_GAME_INCLUDE_DIR} ${CMAKE_SOURCE_DIR}/res)
  # timeBeginPeriod, for the timer resolution that --pace needs.
  target_link_libraries(kelvara PRIVATE winmm)
else()
  message(STATUS "kelvara.exe: app/win_main.cpp or res/kelvara.rc not there yet")
endif()

# The drawing probe: a console program (it writes its pixel dump to a file
# named on its command line). It carries its own crafted pictures and the
# game's resource script, so the game's pictures are loaded exactly as the
# game loads them.
set(KV_PROBE_DIR ${CMAKE_SOURCE_DIR}/tools/gdi_probe)
if(EXISTS ${KV_GAME_RC})
  set(KV_PROBE_GAME_RC ${KV_GAME_RC})
else()
  set(KV_PROBE_GAME_RC "")
endif()
add_executable(gdi_probe
  ${KV_PROBE_DIR}/probe.cpp
  ${KV_PROBE_DIR}/probe_main_windows.cpp
  ${KV_PROBE_DIR}/probe.rc
  ${KV_PROBE_GAME_RC})
target_include_directories(gdi_probe PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res ${KV_PROBE_DIR})
if(KV_PROBE_GAME_RC)
  target_compile_definitions(gdi_probe PRIVATE KV_PROBE_GAME_PICTURES)
endif()
