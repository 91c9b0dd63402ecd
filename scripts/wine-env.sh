# Sourced by the test and demo scripts: a throwaway Wine prefix in the build
# tree, the Chinese locale (ANSI code page 936), an Xvfb display, one
# persistent wineserver and the local HTTP test server. Cleans up on exit.
ROOT="${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
BUILD_ROOT="${BUILD_ROOT:-$ROOT/build}"
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX="${WINEPREFIX:-$BUILD_ROOT/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export no_proxy=127.0.0.1,localhost NO_PROXY=127.0.0.1,localhost
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
export FEED_TEST_HOST="${FEED_TEST_HOST:-127.0.0.1}"
export FEED_TEST_LOG="${FEED_TEST_LOG:-$BUILD_ROOT/http-requests.log}"

_wine_env_pids=()
wine_env_cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  for p in "${_wine_env_pids[@]}"; do kill "$p" >/dev/null 2>&1 || true; done
}
trap wine_env_cleanup EXIT

start_display() {
  if [ -n "${FEED_DISPLAY:-}" ]; then export DISPLAY="$FEED_DISPLAY"; fi
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    local n=99
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    _wine_env_pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 300); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
}

source "$ROOT/scripts/qemu-version.sh"

# 32-bit Wine runs the i686 build through qemu-user. Prints why not when it
# cannot run here.
wine32_missing() {
  if [ ! -x /usr/lib/wine/wine-preloader ] || [ ! -x /usr/bin/qemu-i386-static ]; then
    echo "32-bit Wine (wine32:i386, wine32-preloader:i386) or qemu-user-static is not installed"
  elif ! grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
    echo "qemu-i386 is not registered (or is disabled) with binfmt_misc"
  else
    return 1
  fi
}

start_wine() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  # With qemu-i386 registered, a new prefix gets its 32-bit side (WoW64) too;
  # one made without it gets that side here.
  local wow64="$WINEPREFIX/.wow64"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating prefix $WINEPREFIX (takes a few minutes)"
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
    wine32_missing >/dev/null || touch "$wow64"
  elif [ ! -f "$wow64" ] && ! wine32_missing >/dev/null; then
    echo "wine: adding the 32-bit side to $WINEPREFIX (takes a few minutes)"
    "$WINE" wineboot -u </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$wow64"
  fi
  # One server for the whole run; the warm-up starts Wine's services outside
  # ctest so that they do not hold its output pipe.
  "$WINESERVER" -p
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
  # There is no window manager: a managed window would make Wine wait for one
  # (about 2 s) each time a shown window is hidden or destroyed.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  # A 32-bit program that crashes ends at once: the debugger Wine would start
  # (its default when none is named) runs under qemu too and can hang there.
  if [ -f "$WINEPREFIX/.wow64" ]; then
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
      /d 'cmd /c rem %ld %ld' /f /reg:32 </dev/null >/dev/null 2>&1 || true
  fi
}

start_http_server() {
  if ! (exec 3<>"/dev/tcp/$FEED_TEST_HOST/80") 2>/dev/null; then
    python3 "$ROOT/standins/http/test_server.py" --bind "$FEED_TEST_HOST" --port 80 \
      --root "$ROOT/tests/data" --log "$FEED_TEST_LOG" >/dev/null 2>&1 &
    _wine_env_pids+=($!)
    # Up to 30 s, as long as a test waits: a busy machine starts Python slowly.
    for _ in $(seq 300); do (exec 3<>"/dev/tcp/$FEED_TEST_HOST/80") 2>/dev/null && break; sleep 0.1; done
  fi
}
