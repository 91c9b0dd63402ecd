#!/bin/bash
# The 32-bit demo walk: its verdict is its summary. qemu-user may lose the
# process while Wine ends its threads after the summary (threads.c beside
# this file), which would otherwise count as a failed walk.
# Usage: demo_walk.sh EMULATOR DEMO_EXE ARGS...
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
"$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
grep -qE $' steps ok\r?$' "$log" && ! grep -qE 'FAILED|stopped by an unexpected error' "$log" ||
  exit 1
if [ "$status" != 0 ]; then
  echo "demo: the emulator lost the process after its summary (exit $status; tests/wow64/threads.c)"
fi
