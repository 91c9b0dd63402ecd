#!/bin/bash
# The main job: builds both DLLs for both architectures and runs the demo
# under Wine and Xvfb: a browser frame of ours hosting the feed button and
# the explorer bar walks a user's session against the local test server.
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
status=0
timeout 600 "$WINE" "$BUILD_ROOT/x86_64/demo/demo.exe" 2>&1 | tee "$OUT/transcript.txt" ||
  status=$?
# The demo saves BMP files; PNG is what a reader opens.
for bmp in "$OUT"/*.bmp; do
  if [ -f "$bmp" ]; then convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; fi
done
echo "demo: transcript and screenshots in $OUT"
exit "$status"
