#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root or through sudo.
#   install-deps.sh play   what building and playing the game needs
#   install-deps.sh        that, and everything the tests and the benchmark need
set -euo pipefail

packages=(
  # build (the test programs are part of the default build, hence gtest)
  cmake ninja-build g++ clang pkg-config llvm libgtest-dev
  libx11-dev libxext-dev libxfixes-dev libxi-dev
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  # the System font and the dialog font (Tahoma) with the interface's metrics
  fonts-wine
  # recordings are compressed
  zlib1g-dev
)
if [ "${1:-all}" != "play" ]; then packages+=(
  # tests and benchmark
  xvfb xdotool x11-utils imagemagick
  # make fuzz: libFuzzer and the sanitizer runtimes for clang
  clang libclang-rt-14-dev
  # the installed program checked as a distribution checks it, and packaging
  desktop-file-utils appstream lintian man-db dpkg-dev fakeroot zip
  # the Windows build and its tests under Wine (64-bit only; no i386 needed).
  # With --no-install-recommends Wine would come without its fonts and the X
  # extensions its display driver loads at run time, so they are listed.
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64
  libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1 libxcomposite1
  # the browser build and its tests: emscripten, and chromium driven headless
  emscripten chromium python3
  # The compositor tests (tests/compositor): the program under Xwayland in
  # headless sway (run as nobody; xhost lets root's clients in, grim reads
  # the output) and headless mutter (on a private bus from dbus-daemon).
  # Their input clients speak Wayland (wayland-scanner and libwayland-client
  # from libwayland-dev) and D-Bus (sd-bus from libsystemd-dev).
  sway xwayland grim x11-xserver-utils mutter dbus-daemon libwayland-dev libsystemd-dev
); fi
# The browser tests' client (puppeteer-core, pinned by package-lock.json)
# needs node and npm; a node that is already there (not Debian's) will do.
if [ "${1:-all}" != "play" ] && ! command -v npm >/dev/null 2>&1; then packages+=(nodejs npm); fi

here=$(cd "$(dirname "$0")/.." && pwd)
# The browser tests' npm packages, exactly as the lock file names them.
web_test_modules() {
  if [ "${1:-all}" != "play" ] && [ ! -d "$here/tests/web/node_modules/puppeteer-core" ]; then
    (cd "$here/tests/web" && npm ci --no-audit --no-fund)
  fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then web_test_modules "${1:-all}"; exit 0; fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
web_test_modules "${1:-all}"
