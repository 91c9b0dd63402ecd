#!/bin/bash
# The main job: builds both DLLs for both architectures and runs the demo
# under Wine and Xvfb. Screenshots and the transcript go to out/demo/.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh"
source "$ROOT/scripts/wine-env.sh"
start_display
start_wine
start_http_server
OUT="${DEMO_OUT:-$ROOT/out/demo}"
mkdir -p "$OUT"
export DEMO_OUT="$OUT"
"$WINE" "$BUILD_ROOT/x86_64/demo/demo.exe" 2>&1 | tee "$OUT/transcript.txt"
# The band in its browser frame; its screenshots come as BMP files.
"$WINE" "$BUILD_ROOT/x86_64/demo/band_demo.exe" 2>&1 | tee "$OUT/band_transcript.txt"
for bmp in "$OUT"/band*.bmp; do
  if [ -f "$bmp" ]; then convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; fi
done
# The demo saves the open menu as a bitmap; PNG is what the report shows.
if [ -f "$OUT/menu.bmp" ]; then
  convert "$OUT/menu.bmp" "$OUT/menu.png" && rm -f "$OUT/menu.bmp"
fi
echo "demo: output in $OUT"
