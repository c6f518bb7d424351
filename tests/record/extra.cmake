# The program tests run the kelvara of the same build on tests/replays.
target_compile_definitions(test_record PRIVATE KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(test_record kelvara)
