# The bitmap-font reader is checked glyph for glyph against FreeType's
# reading of the same file.
target_link_libraries(test_gdi PRIVATE PkgConfig::FONTS)
