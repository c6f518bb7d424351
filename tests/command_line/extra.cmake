# The manual page (as the build configures it) and the README are held to
# the option table.
target_compile_definitions(test_command_line PRIVATE KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
