#!/bin/bash
# From a fresh Debian machine to a passing test suite: installs what is
# missing, builds both architectures and runs the x86_64 tests under wine64.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh"
source "$ROOT/scripts/wine-env.sh"
start_display
start_wine
start_http_server
cd "${BUILD_ROOT}/x86_64"
# One test program per core at a time; what programs share is declared as
# ctest resource locks in tests/CMakeLists.txt.
ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
