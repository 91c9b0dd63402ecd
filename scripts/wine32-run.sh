#!/bin/bash
# Runs a 32-bit Windows program with 32-bit Wine (through qemu-user) in the
# run's WoW64 prefix, pinned to one CPU so that its threads never run at once:
# qemu-user 7.2 keeps one GDT for them all (tests/wow64/threads.c), and under
# qemu 10 a pinned program costs nothing more. Programs that run side by side
# take different CPUs while one is free.
LOADER=/usr/lib/wine/wine
LOCKS="${WINE32_CPU_LOCKS:-${WINEPREFIX:-/tmp}/.cpu-locks}"
mkdir -p "$LOCKS" 2>/dev/null
ncpu=$(nproc)
for ((cpu = 0; cpu < ncpu; cpu++)); do
  exec {lock}>"$LOCKS/cpu$cpu"
  # The lock stays with the program for its life (its descriptor is inherited).
  if flock -n "$lock"; then exec taskset -c "$cpu" "$LOADER" "$@"; fi
  exec {lock}>&-
done
exec taskset -c "$(($$ % ncpu))" "$LOADER" "$@"
