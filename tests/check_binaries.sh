#!/bin/bash
# Each deliverable is a PE DLL for its machine that imports only DLLs every
# Windows XP SP2 has (no compiler runtime), calls no function XP lacks,
# exports exactly its names undecorated and carries the product's version.
# The feed engine carries its own version, and neither it nor the plug-in
# carries any of the switches that only the tests' builds read.
#   check_binaries.sh <triple> <rssbutton.dll> <rssband.dll> <Feed.dll>
set -u
# The tools' messages are matched in English.
export LC_ALL=C
triple="$1"; button="$2"; band="$3"; engine="$4"
objdump="$triple-objdump"
windres="$triple-windres"
fail=0
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|SHLWAPI|OLE32|OLEAUT32|COMCTL32|WININET|URLMON|VERSION|MSVCRT|MSIMG32|COMDLG32)\.dll$'
# Functions that arrived after XP SP2 and that this code or its runtime could
# plausibly reach for; a static import of any of them stops the DLL loading
# on XP.
post_xp='^(GetTickCount64|InitializeSRWLock|AcquireSRWLock(Exclusive|Shared)|ReleaseSRWLock(Exclusive|Shared)|TryAcquireSRWLock(Exclusive|Shared)|InitializeConditionVariable|SleepConditionVariable(CS|SRW)|WakeA?l?l?ConditionVariable|InitOnce(ExecuteOnce|BeginInitialize|Complete)|InitializeCriticalSectionEx|Create(Event|Mutex|Semaphore|WaitableTimer)Ex[AW]|FlsAlloc|FlsFree|FlsGetValue|FlsSetValue|GetThreadId|GetCurrentProcessorNumber|GetLogicalProcessorInformation|GetSystemTimePreciseAsFileTime|GetFinalPathNameByHandle[AW]|GetFileInformationByHandleEx|SetFileInformationByHandle|CancelIoEx|CreateSymbolicLink[AW]|QueryFullProcessImageName[AW]|GetErrorMode|SetThreadStackGuarantee|Wow64DisableWow64FsRedirection|Wow64RevertWow64FsRedirection|GetLocaleInfoEx|LCIDToLocaleName|LocaleNameToLCID|CompareStringEx|LCMapStringEx|GetUserDefaultLocaleName|ResolveLocaleName|K32[A-Za-z]+|RaiseFailFastException|ChangeWindowMessageFilter(Ex)?|SetProcessDPIAware|IsProcessDPIAware|GetDpiFor(Window|System)|RegisterPowerSettingNotification|AddClipboardFormatListener|ShutdownBlockReason(Create|Destroy)|RegisterTouchWindow|CalculatePopupWindowPosition|LogicalToPhysicalPoint|SHGetKnownFolderPath|SHGetKnownFolderIDList|SHCreateItemFromParsingName|SHCreateItemFromIDList|SHGetIDListFromObject|SHGetStockIconInfo|SHGetPropertyStoreForWindow|SHOpenWithDialog|SetCurrentProcessExplicitAppUserModelID|TaskDialog|TaskDialogIndirect|LoadIconMetric|LoadIconWithScaleDown|RegGetValue[AW]|RegDeleteTree[AW]|RegDeleteKeyEx[AW]|RegSetKeyValue[AW]|RegCopyTree[AW]|RegLoadMUIString[AW]|EventRegister|EventWrite(String)?|CoGetApartmentType)$'

# "DLL-name function" per imported function, by name.
imports() {
  awk '/DLL Name:/ { dll = $3; next }
       /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ && dll != "" { print dll, $3 }
       /^$/ { dll = "" }' <<<"$1"
}

# Names of the export table, one a line.
exports() {
  awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
       on && /^\t\[ *[0-9]+\] / { print $NF; next }
       on && /^$/ { on = 0 }' <<<"$1"
}

check() {
  local dll="$1"; shift
  [ -f "$dll" ] || { echo "$dll: missing"; fail=1; return; }
  local dump; dump="$("$objdump" -p "$dll")"
  local machine=x86-64
  [ "$triple" = i686-w64-mingw32 ] && machine=i386
  grep -q "file format pei-$machine" <<<"$dump" || { echo "$dll: not PE for $machine"; fail=1; }
  if [ "$machine" = i386 ]; then
    grep -q 'Magic.*10b.*(PE32)' <<<"$dump" || { echo "$dll: optional header is not PE32"; fail=1; }
  fi

  while read -r imp; do
    grep -Eiq "$allowed" <<<"$imp" || { echo "$dll: imports $imp"; fail=1; }
  done < <(grep 'DLL Name:' <<<"$dump" | awk '{print $3}')
  # Only the 32-bit build ships to XP, stripped.
  if [ "$machine" = i386 ]; then
    "$objdump" -f "$dll" | grep -q HAS_SYMS && { echo "$dll: not stripped"; fail=1; }
    while read -r from fn; do
      grep -Eq "$post_xp" <<<"$fn" && { echo "$dll: imports $fn from $from, missing on XP"; fail=1; }
    done < <(imports "$dump")
  fi

  local want got
  want="$(printf '%s\n' "$@" | sort)"
  got="$(exports "$dump" | sort)"
  [ "$want" = "$got" ] || { echo "$dll: exports" $got "instead of" $want; fail=1; }
}

check_version() {
  local dll="$1"
  [ -f "$dll" ] || return
  # The version resource, as the resource compiler writes it back as text.
  local rc; rc="$("$windres" -i "$dll" -O rc 2>/dev/null)"
  grep -q 'VALUE "ProductName", L"RSS \\x8ba2\\x9605"' <<<"$rc" \
    || { echo "$dll: no product name in VERSIONINFO"; fail=1; }
  grep -q 'VALUE "ProductVersion", "1, 0, 0, 1"' <<<"$rc" \
    || { echo "$dll: no product version string in VERSIONINFO"; fail=1; }
  grep -q '^ PRODUCTVERSION 1, 0, 0, 1$' <<<"$rc" \
    || { echo "$dll: no PRODUCTVERSION in VERSIONINFO"; fail=1; }
}
check "$button" OnButtonMessage
check_version "$button"
check "$band" DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer
check_version "$band"
check "$engine" EntryPoint
# The environment variables of the tests' builds, in either character width.
if [ -f "$button" ]; then
  if strings -a "$button" | grep -q RSSBUTTON_TEST || strings -a -el "$button" | grep -q RSSBUTTON_TEST; then
    echo "$button: reads switches only the tests use"; fail=1
  fi
fi
if [ -f "$engine" ]; then
  if strings -a "$engine" | grep -q FEED_ENGINE_ || strings -a -el "$engine" | grep -q FEED_ENGINE_; then
    echo "$engine: reads switches only the tests use"; fail=1
  fi
fi
[ $fail = 0 ] && echo "binaries: ok"
exit $fail
