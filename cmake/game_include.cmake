# The game's include path: a folder in the build tree that holds the game's
# own folders, the interface header platform/win32.h and the resource
# identifiers res/resource.h, and nothing else of the source tree. A game file
# that names a platform internal therefore does not compile.
set(KV_GAME_FOLDERS sim timing app render state)
set(KV_GAME_INCLUDE_DIR ${CMAKE_BINARY_DIR}/game_include)

file(REMOVE_RECURSE ${KV_GAME_INCLUDE_DIR})
file(MAKE_DIRECTORY ${KV_GAME_INCLUDE_DIR}/platform ${KV_GAME_INCLUDE_DIR}/res)
set(KV_GAME_SOURCE_GLOBS "")
foreach(folder ${KV_GAME_FOLDERS})
  if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${folder})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${KV_GAME_INCLUDE_DIR}/${folder} SYMBOLIC)
  endif()
  list(APPEND KV_GAME_SOURCE_GLOBS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
endforeach()
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/platform/win32.h ${KV_GAME_INCLUDE_DIR}/platform/win32.h SYMBOLIC)
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/res/resource.h ${KV_GAME_INCLUDE_DIR}/res/resource.h SYMBOLIC)

file(GLOB KV_GAME_SOURCES CONFIGURE_DEPENDS ${KV_GAME_SOURCE_GLOBS})
