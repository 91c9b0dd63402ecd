#!/bin/bash
# From a fresh Debian machine to a passing test suite: installs what is
# missing, builds both architectures, runs the x86_64 tests under wine64 and
# then the i686 build's (the shipped DLLs) under 32-bit Wine in the same
# WoW64 prefix. Arguments go to both ctest runs. Fails when either pass fails.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/wine-env.sh"

timings=()
started=$SECONDS
timed() { # name command...
  local from=$SECONDS status=0
  "${@:2}" || status=$?
  timings+=("$1 $((SECONDS - from))s")
  return "$status"
}
print_timings() {
  echo "time: ${timings[*]}; total $((SECONDS - started))s"
}

timed setup bash "$ROOT/scripts/setup.sh"
if why=$(wine32_missing); then
  echo "i686 (WoW64) pass skipped: $why"
  skip32=1
else
  skip32=""
  export I686_TESTS=1
fi
timed build bash "$ROOT/scripts/build.sh"
start_display
timed prefix start_wine
start_http_server

# One test program per core at a time; what programs share is declared as
# ctest resource locks in tests/CMakeLists.txt.
status=0
cd "${BUILD_ROOT}/x86_64"
timed ctest-x86_64 ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@" || status=1

if [ -z "$skip32" ]; then
  echo "== i686 (WoW64) =="
  cd "${BUILD_ROOT}/i686"
  timed ctest-i686 ctest --output-on-failure --timeout 900 -j "$(nproc)" "$@" || status=1
fi
print_timings
exit "$status"
