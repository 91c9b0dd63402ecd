#!/bin/bash
# Starts the HTTPS test server for this build tree on $FEED_TEST_HOST:443,
# detached from ctest's pipes; it stops by itself after 15 minutes, or when
# called with "stop". Never fails: without a server the HTTPS test skips.
dir="$1"
pidfile="$dir/server.pid"
if [ -f "$pidfile" ]; then kill "$(cat "$pidfile")" 2>/dev/null; rm -f "$pidfile"; fi
[ "${2:-}" = stop ] && exit 0
rm -rf "$dir" && mkdir -p "$dir"
root="$(cd "$(dirname "$0")/../.." && pwd)"
host="${FEED_TEST_HOST:-127.0.0.1}"
setsid python3 "$root/tests/support/https_feed_server.py" --bind "$host" --root "$root/tests/data" \
  --dir "$dir" --lifetime 900 </dev/null >"$dir/server.log" 2>&1 &
echo $! >"$pidfile"
# Up to 30 s, as long as a test waits: a busy machine starts Python slowly.
for _ in $(seq 300); do
  (exec 3<>"/dev/tcp/$host/443") 2>/dev/null && exit 0
  sleep 0.1
done
echo "HTTPS test server did not start:"; cat "$dir/server.log"; rm -f "$dir/cert.der"
exit 0
