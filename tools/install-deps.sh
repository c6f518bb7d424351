#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root or through sudo.
#   install-deps.sh play   what building and playing the game needs
#   install-deps.sh        that, and everything the tests and the benchmark need
set -euo pipefail

packages=(
  # build (the test programs are part of the default build, hence gtest)
  cmake ninja-build g++ clang pkg-config llvm libgtest-dev
  libx11-dev libxext-dev libxfixes-dev
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
); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
