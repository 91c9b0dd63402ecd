#!/bin/bash
# Builds the reduced cases beside this file for both architectures and runs
# each RUNS times (default 5) in $WINEPREFIX: the i686 build under 32-bit Wine
# (qemu-user, pinned to one CPU), the x86_64 build under wine64. Needs a
# WoW64 prefix, a running wineserver and, for download, an HTTP address.
# Usage: run.sh OUT_DIR [URL]
set -u
here="$(cd "$(dirname "$0")" && pwd)"
out="$1" url="${2:-}" runs="${RUNS:-5}"
mkdir -p "$out"
for arch in i686 x86_64; do
  cc=$arch-w64-mingw32-gcc
  $cc -O1 -o "$out/threads-$arch.exe" "$here/threads.c" || exit 1
  $cc -O1 -o "$out/room-$arch.exe" "$here/room.c" || exit 1
  $cc -O1 -municode -o "$out/download-$arch.exe" "$here/download.c" -lurlmon || exit 1
done
attempt() { # label command...
  local ok=0
  for ((i = 0; i < runs; i++)); do
    timeout -k 5 60 "${@:2}" >/dev/null 2>&1 </dev/null && ok=$((ok + 1))
  done
  echo "$1: $ok of $runs clean"
}
echo "room, i686: $(taskset -c 0 /usr/lib/wine/wine "$out/room-i686.exe" </dev/null 2>/dev/null)"
echo "room, x86_64: $(/usr/lib/wine/wine64 "$out/room-x86_64.exe" </dev/null 2>/dev/null)"
for n in 0 1 2 8; do
  attempt "threads $n, i686" taskset -c 0 /usr/lib/wine/wine "$out/threads-i686.exe" "$n"
  attempt "threads $n, x86_64" /usr/lib/wine/wine64 "$out/threads-x86_64.exe" "$n"
done
if [ -n "$url" ]; then
  attempt "download, i686" taskset -c 0 /usr/lib/wine/wine "$out/download-i686.exe" "$url" "$out/d32"
  attempt "download, x86_64" /usr/lib/wine/wine64 "$out/download-x86_64.exe" "$url" "$out/d64"
fi
