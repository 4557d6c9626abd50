#!/usr/bin/env bash
# Installs what the build needs (Debian 12), then configures and builds the
# game with its data into build/game/. Safe to run again: it only installs
# what is missing and only rebuilds what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake pkg-config git
  libsdl2-dev libgl1-mesa-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev
  libgtest-dev libfreetype-dev fonts-dejavu-core flite sox libsox-fmt-all
  xvfb xauth x11-utils xdotool xfonts-base imagemagick python3 clang libclang-rt-14-dev libbenchmark-dev
  clang-format clang-tidy dpkg-dev file desktop-file-utils appstream lintian)
[ "${SNOWQUILL_EXTRA_PACKAGES:-}" ] && PACKAGES+=(${SNOWQUILL_EXTRA_PACKAGES})

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${SNOWQUILL_CMAKE_ARGS:-}
# SNOWQUILL_BUILD_TARGETS limits the build (scripts/play.sh: only the game and its data).
cmake --build "$BUILD_DIR" -j"$(nproc)" ${SNOWQUILL_BUILD_TARGETS:+--target $SNOWQUILL_BUILD_TARGETS}
