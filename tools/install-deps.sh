#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root or through sudo, for
# the groups named; each make target names the groups it needs.
#   build     building and running the program (make build, install, run)
#   windows   the Windows build (make windows)
#   package   the Debian package and the Windows zip (make package)
#   web       the browser build (make web)
#   test      the tests and the benchmark, with the browser tests' npm
#             packages (make test, make bench)
#   fuzz      the fuzz harnesses (make fuzz)
# With no group, every one. `install-deps.sh --list GROUP...` prints the
# packages instead, one a line, and installs nothing.
set -euo pipefail

build=(
  cmake ninja-build g++ pkg-config
  libx11-dev libxext-dev libxfixes-dev libxi-dev
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  # the System font and the dialog font (Tahoma) with the interface's metrics
  fonts-wine
  # the resources: llvm-rc, which runs clang as its preprocessor
  llvm clang
  # recordings are compressed
  zlib1g-dev
  # the native Wayland backend: the client library and its protocols'
  # XML (wayland-scanner generates their code), the keyboard map, and the
  # window frames GNOME leaves to its clients (libdecor, drawn by its cairo
  # plugin, which it loads at run time)
  libwayland-dev wayland-protocols libxkbcommon-dev libdecor-0-dev libdecor-0-plugin-1-cairo
)
windows=(
  cmake ninja-build g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
)
package=(
  # the Debian package, and the Windows build's zip
  dpkg-dev fakeroot zip
  # the Windows setup program (make package, and its test under Wine)
  nsis
)
web=(
  cmake ninja-build llvm clang emscripten
  # the page draws with the desktop's typefaces: Wine's System and Tahoma,
  # and Liberation Sans
  fonts-wine fonts-liberation
  # make web-serve
  python3
)
test=(
  libgtest-dev
  # the real program in a real X server
  xvfb xdotool x11-utils imagemagick
  # the installed program checked as a distribution checks it
  desktop-file-utils appstream lintian man-db
  # the Windows build's tests under Wine (64-bit only; no i386 needed).
  # With --no-install-recommends Wine would come without its fonts and the X
  # extensions its display driver loads at run time, so they are listed.
  wine wine64
  libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1 libxcomposite1
  # the browser tests: chromium driven headless
  chromium
  # The compositor tests (tests/compositor): the program under Xwayland in
  # headless sway (run as nobody; xhost lets root's clients in, grim reads
  # the output) and headless mutter (on a private bus from dbus-daemon).
  # Their input clients speak Wayland (wayland-scanner and libwayland-client
  # from libwayland-dev) and D-Bus (sd-bus from libsystemd-dev).
  sway xwayland grim x11-xserver-utils mutter dbus-daemon libwayland-dev libsystemd-dev
  # What mutter shows is read through its screen cast, a PipeWire stream
  # (the daemon and its session manager run privately for the test).
  pipewire wireplumber libpipewire-0.3-dev
)
fuzz=(
  # libFuzzer and the sanitizer runtimes for clang
  clang libclang-rt-14-dev
)

list_only=no
if [ "${1:-}" = "--list" ]; then
  list_only=yes
  shift
fi
groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(build windows package web test fuzz)

packages=()
with_test=no
for group in "${groups[@]}"; do
  case "$group" in
    build) packages+=("${build[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    package) packages+=("${package[@]}") ;;
    web) packages+=("${web[@]}") ;;
    test)
      packages+=("${test[@]}")
      with_test=yes
      # The browser tests' client (puppeteer-core, pinned by package-lock.json)
      # needs node and npm; a node that is already there (not Debian's) will do.
      command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
      ;;
    fuzz) packages+=("${fuzz[@]}") ;;
    *)
      echo "install-deps.sh: no group '$group' (build, windows, package, web, test, fuzz)" >&2
      exit 2
      ;;
  esac
done
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | awk '!seen[$0]++')

if [ "$list_only" = yes ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

here=$(cd "$(dirname "$0")/.." && pwd)
# The browser tests' npm packages, exactly as the lock file names them.
web_test_modules() {
  if [ "$with_test" = yes ] && [ ! -d "$here/tests/web/node_modules/puppeteer-core" ]; then
    (cd "$here/tests/web" && npm ci --no-audit --no-fund)
  fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then web_test_modules; exit 0; fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
web_test_modules
