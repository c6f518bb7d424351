# `make install` (PREFIX, DESTDIR) and what an installed Kelvara carries: the
# program, its desktop entry, icon, AppStream metadata and manual page. The
# program needs nothing else from the source tree: its pictures, menu and
# About box are inside it.
include(GNUInstallDirs)

# The manual page and the AppStream metadata name the release (its version
# and date, from CMakeLists.txt).
set(KV_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
configure_file(${CMAKE_SOURCE_DIR}/dist/kelvara.6.in ${KV_DIST_DIR}/kelvara.6 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/io.github.kelvara.Kelvara.metainfo.xml.in
               ${KV_DIST_DIR}/io.github.kelvara.Kelvara.metainfo.xml @ONLY)

install(TARGETS kelvara RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/dist/kelvara.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KV_DIST_DIR}/io.github.kelvara.Kelvara.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KV_DIST_DIR}/kelvara.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The icon as tools/icon draws it into build/icons.
set(KV_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
foreach(size 16 32 48 64 128 256)
  install(FILES ${KV_ICON_DIR}/kelvara-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kelvara.png)
endforeach()
install(FILES ${KV_ICON_DIR}/kelvara.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvara)
