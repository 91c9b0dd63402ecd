#!/bin/bash
# Each deliverable is a PE DLL that imports only system DLLs and exports its
# names undecorated.
set -u
triple="$1"; button="$2"; band="$3"
objdump="$triple-objdump"
fail=0
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|SHLWAPI|OLE32|OLEAUT32|COMCTL32|WININET|URLMON|VERSION|MSVCRT|MSIMG32|COMDLG32)\.dll$'
check() {
  local dll="$1"; shift
  local dump; dump="$("$objdump" -p "$dll")"
  if [ "$triple" = i686-w64-mingw32 ]; then
    grep -q 'file format pei-i386' <<<"$dump" || { echo "$dll: not PE32"; fail=1; }
  fi
  while read -r imp; do
    grep -Eiq "$allowed" <<<"$imp" || { echo "$dll: imports $imp"; fail=1; }
  done < <(grep 'DLL Name:' <<<"$dump" | awk '{print $3}')
  for name in "$@"; do
    grep -Eq "^\s+\[\s*[0-9]+\] $name$" <<<"$dump" || { echo "$dll: no export $name"; fail=1; }
  done
}
check "$button" OnButtonMessage
check "$band" DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer
[ $fail = 0 ] && echo "binaries: ok"
exit $fail
