# Sourced by build.sh and wine-env.sh. qemu-user before 10 loses 32-bit Wine
# processes with threads and gives them 118 MB of address space
# (tests/wow64); the 32-bit pass and the demo then do less (see the README).

# The major version of the qemu-i386 that binfmt_misc runs 32-bit programs
# with; empty when none is registered.
qemu_i386_major() {
  local interpreter
  interpreter=$(sed -n 's/^interpreter //p' /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null)
  [ -n "$interpreter" ] || return 0
  "$interpreter" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p'
}

# Succeeds when the registered emulator has those limits.
wine32_limited() {
  local major
  major=$(qemu_i386_major)
  [ -z "$major" ] || [ "$major" -lt 10 ]
}
