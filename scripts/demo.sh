#!/bin/bash
# The main job: builds both DLLs for both architectures and runs the demo
# under Wine and Xvfb: a browser frame of ours hosting the feed button and
# the explorer bar walks a user's session against the local test server.
# The walk is the shipped i686 build's where 32-bit Wine is set up, else the
# x86_64 build's; the transcript's first line says which.
# The transcript and the screenshots go to out/demo/ (or $DEMO_OUT).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh"
source "$ROOT/scripts/wine-env.sh"
start_display
start_wine
start_http_server
OUT="${DEMO_OUT:-$ROOT/out/demo}"
rm -f "$OUT"/*.png "$OUT"/*.bmp "$OUT"/transcript.txt
mkdir -p "$OUT"
export DEMO_OUT="$OUT"
if why=$(wine32_missing); then
  echo "demo: walking the x86_64 build: $why"
  walk=("$WINE" "$BUILD_ROOT/x86_64/demo/demo.exe")
elif ! wine32_limited; then
  walk=("$ROOT/scripts/wine32-run.sh" "$BUILD_ROOT/i686/demo/demo.exe")
else
  # qemu before 10 loses the i686 engine and the pictures of a 32-bit walk:
  # its band is given the x86_64 engine, which it finds running, the x86_64
  # demo.exe takes the pictures, the walk ends before the manage dialog and
  # its verdict is its summary. The README says why.
  x64="$BUILD_ROOT/x86_64"
  walk=(bash "$ROOT/tests/wow64/demo_walk.sh" "$ROOT/scripts/wine32-run.sh"
    "$BUILD_ROOT/i686/demo/demo.exe" "--engine=$x64/band/Feed.dll"
    "--camera=$x64/demo/demo.exe" --leave-out-manage)
fi
status=0
timeout 900 "${walk[@]}" 2>&1 | tee "$OUT/transcript.txt" || status=$?
# The demo saves BMP files; PNG is what a reader opens.
for bmp in "$OUT"/*.bmp; do
  if [ -f "$bmp" ]; then convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; fi
done
echo "demo: transcript and screenshots in $OUT"
exit "$status"
