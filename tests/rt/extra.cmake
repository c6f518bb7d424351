# Our zlib streams (for the browser build) are held to zlib's own.
target_link_libraries(test_rt PRIVATE ZLIB::ZLIB)
