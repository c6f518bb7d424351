#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# they are missing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ clang pkg-config llvm
  libx11-dev libxext-dev libxfixes-dev
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  # tests and benchmark
  libgtest-dev libbenchmark-dev xvfb xdotool x11-utils imagemagick
)

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
