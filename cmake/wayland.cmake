# The Wayland backend (platform/wayland/): the protocols' client code is
# generated at build time from the XML that wayland-protocols installs, so
# that it always matches the libwayland it links.
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET
                  wayland-client wayland-cursor xkbcommon libdecor-0)
pkg_get_variable(KV_WAYLAND_PROTOCOLS wayland-protocols pkgdatadir)
pkg_get_variable(KV_WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT KV_WAYLAND_PROTOCOLS OR NOT KV_WAYLAND_SCANNER)
  message(FATAL_ERROR "wayland-protocols and wayland-scanner are needed "
                      "(tools/install-deps.sh build installs them)")
endif()

set(KV_WAYLAND_GENERATED ${CMAKE_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${KV_WAYLAND_GENERATED})
set(KV_WAYLAND_PROTOCOL_SOURCES)
foreach(xml
    stable/xdg-shell/xdg-shell.xml
    unstable/xdg-decoration/xdg-decoration-unstable-v1.xml
    unstable/relative-pointer/relative-pointer-unstable-v1.xml
    unstable/pointer-constraints/pointer-constraints-unstable-v1.xml)
  get_filename_component(name ${xml} NAME_WE)
  set(header ${KV_WAYLAND_GENERATED}/${name}-client-protocol.h)
  set(code ${KV_WAYLAND_GENERATED}/${name}-protocol.c)
  add_custom_command(OUTPUT ${header}
    COMMAND ${KV_WAYLAND_SCANNER} client-header ${KV_WAYLAND_PROTOCOLS}/${xml} ${header}
    DEPENDS ${KV_WAYLAND_PROTOCOLS}/${xml})
  add_custom_command(OUTPUT ${code}
    COMMAND ${KV_WAYLAND_SCANNER} private-code ${KV_WAYLAND_PROTOCOLS}/${xml} ${code}
    DEPENDS ${KV_WAYLAND_PROTOCOLS}/${xml})
  list(APPEND KV_WAYLAND_PROTOCOL_SOURCES ${header} ${code})
endforeach()

kv_platform_library(kv_wayland wayland kv_user PkgConfig::WAYLAND)
target_sources(kv_wayland PRIVATE ${KV_WAYLAND_PROTOCOL_SOURCES})
# The backend's files name the generated headers by their own names.
target_include_directories(kv_wayland PRIVATE ${KV_WAYLAND_GENERATED})
