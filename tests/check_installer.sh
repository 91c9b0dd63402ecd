#!/bin/bash
# Builds the shipped setup program from the i686 tree and checks it without
# running it (the suite's Wine is 64-bit; installer_roundtrip.sh runs an
# amd64 build of the same script).
# Checks that the uninstaller takes away every file the installer puts down,
# undoes the band's registration, and that the program is a PE32 NSIS
# installer carrying the product's name and version.
# The tools print in the suite's Chinese locale otherwise.
export LC_ALL=C
set -u
script="$1"; tree="$2"; out="$3"
fail=0
mkdir -p "$(dirname "$out")"
if ! makensis -V2 -DBUILD_DIR="$tree" -DOUT_FILE="$out" "$script" >"$out.log" 2>&1; then
  cat "$out.log"; echo "installer: makensis failed"; exit 1
fi

# Section bodies without comments, one statement a line.
section() {
  awk -v name="$1" '/^Section / { on = ($2 == "\"" name "\"") ; next }
                    /^SectionEnd/ { on = 0 }
                    on { sub(/^[ \t]+/, ""); if ($0 !~ /^;/ && $0 != "") print }' "$script"
}
install="$(section Install)"; uninstall="$(section Uninstall)"

# Where each File statement puts its files: "<folder>\<name>".
placed="$(awk '/^SetOutPath / { dir = $2; gsub(/"/, "", dir); next }
              /^File / { f = $NF; gsub(/"/, "", f); n = split(f, p, "\\\\");
                         print dir "\\" p[n] }' <<<"$install")"
[ -n "$placed" ] || { echo "installer: installs nothing"; fail=1; }
while read -r target; do
  [ -z "$target" ] && continue
  folder="${target%\\*}"; name="${target##*\\}"
  if [ "$name" = '*.*' ]; then
    grep -Fqx "RMDir /r \"$folder\"" <<<"$uninstall" \
      || { echo "installer: uninstall leaves $folder"; fail=1; }
  else
    # The plug-in folder is read back from the uninstall key into \$1.
    grep -Fq "Delete \"$target\"" <<<"$uninstall" || grep -Fq "Delete \"\$1\\$name\"" <<<"$uninstall" \
      || { echo "installer: uninstall leaves $target"; fail=1; }
  fi
done <<<"$placed"
grep -Fq 'Delete "$INSTDIR\uninstall.exe"' <<<"$uninstall" \
  || { echo "installer: uninstaller leaves itself"; fail=1; }
grep -Fq 'regsvr32.exe" /s "$INSTDIR\rssband.dll"' <<<"$install" \
  || { echo "installer: band not registered"; fail=1; }
grep -Fq 'regsvr32.exe" /s /u "$INSTDIR\rssband.dll"' <<<"$uninstall" \
  || { echo "installer: band not unregistered"; fail=1; }
# Unregistering needs the DLL: it must come before the DLL's removal.
unreg=$(grep -n 'regsvr32.exe" /s /u' <<<"$uninstall" | cut -d: -f1)
removal=$(grep -n 'Delete "$INSTDIR\\rssband.dll"' <<<"$uninstall" | cut -d: -f1)
[ -n "$unreg" ] && [ -n "$removal" ] && [ "$unreg" -lt "$removal" ] \
  || { echo "installer: band removed before it is unregistered"; fail=1; }
for key in $(grep -o 'WriteReg[A-Za-z]* HK[A-Z]* "[^"]*"' <<<"$install" | awk '{print $3}' | sort -u); do
  grep -Fq "DeleteRegKey HKLM $key" <<<"$uninstall" || { echo "installer: leaves key $key"; fail=1; }
done

objdump -f "$out" 2>/dev/null | grep -q 'file format pei-i386' || i686-w64-mingw32-objdump -f "$out" \
  | grep -q 'file format pei-i386' || { echo "installer: not a PE32 program"; fail=1; }
grep -aq 'NullsoftInst' "$out" || { echo "installer: no NSIS archive"; fail=1; }
rc="$(i686-w64-mingw32-windres -i "$out" -O rc 2>/dev/null)"
grep -q 'VALUE "ProductName", L"RSS\\x8ba2\\x9605"' <<<"$rc" \
  || { echo "installer: no product name"; fail=1; }
grep -q 'VALUE "ProductVersion", "1.0.0.1"' <<<"$rc" || { echo "installer: no product version"; fail=1; }

[ $fail = 0 ] && echo "installer: ok ($(stat -c %s "$out") bytes)"
exit $fail
