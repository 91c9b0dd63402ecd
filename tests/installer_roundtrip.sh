#!/bin/bash
# Runs the setup program and its uninstaller silently under Wine and checks
# the files and the registry before, between and after. The shipped program
# is 32-bit; the suite's Wine is 64-bit only, so the same script is built
# here for amd64 from the x86_64 tree.
#   installer_roundtrip.sh <feedreader.nsi> <x86_64 build tree> <out.exe>
export LC_ALL=C
set -u
script="$1"; tree="$2"; out="$3"
: "${WINE:?run from the test script}"
fail=0
check() { if ! eval "$2"; then echo "roundtrip: $1"; fail=1; fi; }
mkdir -p "$(dirname "$out")"
if ! makensis -V2 -DTARGET=amd64-unicode -DBUILD_DIR="$tree" -DOUT_FILE="$out" "$script" \
     >"$out.log" 2>&1; then
  cat "$out.log"; echo "roundtrip: makensis failed"; exit 1
fi

clsid='{8755CE6E-0BF7-4441-8751-FB728941B0B4}'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\FeedReader'
reg_has() { "$WINE" reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | grep -q "$2"; }
reg_value() { "$WINE" reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' \
  | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
unix_path() { "$WINE" winepath -u "$1" </dev/null 2>/dev/null | tr -d '\r'; }

check "installed before the run" '! reg_has "$uninstall_key" InstallLocation'
start=$(date +%s)
timeout 300 "$WINE" "$(cd "$(dirname "$out")" && pwd)/$(basename "$out")" /S </dev/null
code=$?
check "setup ended with $code" '[ $code -eq 0 ]'
location="$(reg_value "$uninstall_key" InstallLocation)"
check "no InstallLocation in the uninstall key" '[ -n "$location" ]'
dir="$(unix_path "$location")"
plugin_folder="$(reg_value "$uninstall_key" PluginFolder)"
check "no PluginFolder in the uninstall key" '[ -n "$plugin_folder" ]'
plugin_dir="$(unix_path "$plugin_folder")"
for f in rssband.dll Feed.dll rss.htm uninstall.exe css/css.txt; do
  check "missing $location\\$f" '[ -f "$dir/$f" ]'
done
check "missing the plug-in in $plugin_dir" '[ -f "$plugin_dir/rssbutton.dll" ]'
check "installed an engine other than the shipped one" 'cmp -s "$dir/Feed.dll" "$tree/engine/Feed.dll"'
server="$("$WINE" reg query "HKCR\\CLSID\\$clsid\\InprocServer32" </dev/null 2>/dev/null \
  | tr -d '\r' | grep -i REG_SZ | head -1)"
check "band not registered to the installed copy ($server)" 'grep -qi "FeedReader.rssband.dll" <<<"$server"'
echo "installed in $(( $(date +%s) - start )) s: $dir, plug-in in $plugin_dir"

# The uninstaller copies itself away and returns at once: wait for its work.
"$WINE" "$location\\uninstall.exe" /S </dev/null
for _ in $(seq 1 120); do
  [ ! -e "$dir" ] && ! reg_has "$uninstall_key" InstallLocation && break
  sleep 0.5
done
check "install folder left behind" '[ ! -e "$dir" ]'
check "plug-in left behind" '[ ! -e "$plugin_dir/rssbutton.dll" ]'
check "uninstall key left behind" '! reg_has "$uninstall_key" InstallLocation'
check "band still registered" '! "$WINE" reg query "HKCR\\CLSID\\$clsid" </dev/null >/dev/null 2>&1'
echo "round trip in $(( $(date +%s) - start )) s"
exit $fail
