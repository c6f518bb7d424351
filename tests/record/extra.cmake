# The program tests run the kelvara of the same build on tests/replays.
target_compile_definitions(test_record PRIVATE KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(test_record kelvara)

# Round trips with real X input at each level: record under Xvfb, then verify
# headless. Only the plain build runs programs in an X server.
find_program(KV_XVFB_FOR_RECORD Xvfb)
find_program(KV_XDOTOOL_FOR_RECORD xdotool)
if(NOT KV_SANITIZE AND KV_XVFB_FOR_RECORD AND KV_XDOTOOL_FOR_RECORD)
  foreach(level easy medium hard champion)
    add_test(NAME record_round_trip_${level}
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/record/record_match.sh $<TARGET_FILE:kelvara>
                     ${CMAKE_BINARY_DIR}/round_trip_${level}.kvr ${level} 3)
    set_tests_properties(record_round_trip_${level} PROPERTIES LABELS e2e TIMEOUT 180
                         PASS_REGULAR_EXPRESSION ", matches")
  endforeach()
  # At a pace the program reads the performance counter and waits on it: a
  # paced recording verifies, with and without the pace on the replay. The
  # script's status says it (a replay that does not match exits non-zero).
  add_test(NAME record_round_trip_paced
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/record/record_match.sh $<TARGET_FILE:kelvara>
                   ${CMAKE_BINARY_DIR}/round_trip_paced.kvr easy 3)
  set_tests_properties(record_round_trip_paced PROPERTIES LABELS e2e TIMEOUT 180
                       ENVIRONMENT "KV_RECORD_ARGS=--pace 500")
endif()
