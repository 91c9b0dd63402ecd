#!/bin/bash
# Configures and builds both architectures: i686 (the deliverable) and x86_64
# (the same code, run by the test suite under wine64).
# BUILD_ROOT overrides where the build trees go (default: build/).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_ROOT="${BUILD_ROOT:-$ROOT/build}"
ARCHS="${ARCHS:-i686 x86_64}"
JOBS="${JOBS:-$(nproc)}"
for arch in $ARCHS; do
  dir="$BUILD_ROOT/$arch"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch.cmake" \
      -DDEPS_DIR="$ROOT/build/deps" >/dev/null
  fi
  cmake --build "$dir" -j "$JOBS"
done
