#!/bin/bash
# Configures and builds both architectures: i686 (the deliverable) and x86_64
# (the same code, run by the test suite under wine64).
# BUILD_ROOT overrides where the build trees go (default: build/).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_ROOT="${BUILD_ROOT:-$ROOT/build}"
ARCHS="${ARCHS:-i686 x86_64}"
JOBS="${JOBS:-$(nproc)}"
source "$ROOT/scripts/qemu-version.sh"
for arch in $ARCHS; do
  dir="$BUILD_ROOT/$arch"
  # The suite runs on the x86_64 build; the i686 tree builds the deliverables
  # only unless the 32-bit test pass asks for its tests (I686_TESTS=1).
  extra=()
  if [ "$arch" = i686 ]; then
    if [ -n "${I686_TESTS:-}" ]; then
      limited=OFF
      wine32_limited && limited=ON
      extra=(-DFEEDREADER_TESTS=ON "-DCMAKE_CROSSCOMPILING_EMULATOR=$ROOT/scripts/wine32-run.sh"
        "-DWOW64_LIMITED_EMULATOR=$limited")
    else
      extra=(-DFEEDREADER_TESTS=OFF)
    fi
  fi
  # A tree configured without the tests gets them when asked, and the 32-bit
  # pass follows the emulator; one that has the tests keeps them.
  if [ ! -f "$dir/CMakeCache.txt" ] || { [ "$arch" = i686 ] && [ -n "${I686_TESTS:-}" ] && {
    grep -qx 'FEEDREADER_TESTS:BOOL=OFF' "$dir/CMakeCache.txt" ||
      ! grep -qx "WOW64_LIMITED_EMULATOR:BOOL=$limited" "$dir/CMakeCache.txt"; }; }; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch.cmake" \
      -DDEPS_DIR="$ROOT/build/deps" "${extra[@]}" >/dev/null
  fi
  cmake --build "$dir" -j "$JOBS"
done

# The setup program, from the i686 deliverables, when NSIS is at hand and an
# input changed.
setup="$BUILD_ROOT/i686/feedreader-setup.exe"
if [[ " $ARCHS " == *" i686 "* ]] && command -v makensis >/dev/null; then
  if [ ! -f "$setup" ] || [ -n "$(find "$ROOT/installer" "$BUILD_ROOT/i686/band" \
        "$BUILD_ROOT/i686/engine/Feed.dll" "$BUILD_ROOT/i686/button/rssbutton.dll" \
        -maxdepth 2 -newer "$setup" -type f \
        \( -name '*.dll' -o -name '*.htm' -o -name '*.css' -o -name '*.txt' -o -name '*.nsi' \) \
        -print -quit)" ]; then
    makensis -V2 -DBUILD_DIR="$(cd "$BUILD_ROOT/i686" && pwd)" -DOUT_FILE="$setup" "$ROOT/installer/feedreader.nsi"
  fi
fi
