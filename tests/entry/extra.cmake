# The platform's sources are read for the options they name.
target_compile_definitions(test_entry PRIVATE KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
