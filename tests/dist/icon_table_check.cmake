# Regenerates the window-icon table and compares it with the committed one.
execute_process(COMMAND ${TOOL} --table ${FRESH} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kv_icon --table failed (${rc})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COMMITTED} ${FRESH} RESULT_VARIABLE diff)
if(NOT diff EQUAL 0)
  message(FATAL_ERROR "platform/x11/x11_icon_pixels.cpp is stale: "
                      "run `cmake --build build --target icon_table`")
endif()
