#!/bin/bash
# Installs every build and test dependency from Debian's packages and builds
# TinyXML from Debian's source package. Safe to run again.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
THIRD="$ROOT/build/deps"
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

PKGS="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libwine-dev
wine wine64 wine64-preloader xvfb imagemagick fonts-wqy-microhei locales dpkg-dev
googletest python3 xdotool x11-utils nsis openssl libgnutls30:amd64"

need_install=0
for p in $PKGS; do
  dpkg -s "$p" >/dev/null 2>&1 || { need_install=1; break; }
done

add_deb_src() {
  # apt-get source needs deb-src entries for the Debian archive.
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    else
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee -a /etc/apt/sources.list >/dev/null
    fi
    need_install=1
  fi
}
add_deb_src

# The shipped DLLs are 32-bit: 32-bit Wine runs them through qemu-user, as this
# kernel cannot exec 32-bit programs itself.
# Without the preloader, 32-bit Wine reserves its address space by trial under
# qemu, which takes minutes of CPU for each process.
PKGS32="wine32:i386 wine32-preloader:i386 qemu-user-static"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_install=1
fi
for p in $PKGS32; do
  dpkg -s "$p" >/dev/null 2>&1 || need_install=1
done
# Debian 12's qemu 7.2 loses 32-bit Wine processes that have threads and gives
# them 118 MB of address space (tests/wow64); qemu 10 from bookworm-backports
# runs them all. Later Debian releases have qemu 10 themselves.
QEMU_FROM=""
if grep -qs '^VERSION_CODENAME=bookworm' /etc/os-release; then
  QEMU_FROM="-t bookworm-backports"
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo 'deb http://deb.debian.org/debian bookworm-backports main' |
      $SUDO tee /etc/apt/sources.list.d/bookworm-backports.list >/dev/null
    need_install=1
  fi
  qemu_version=$(dpkg-query -W -f '${Version}' qemu-user-static 2>/dev/null || true)
  case "$qemu_version" in 1:[1-9][0-9].*) ;; *) need_install=1 ;; esac
fi

# Other processes may be running apt on this machine: wait for its lock.
APT="apt-get -o DPkg::Lock::Timeout=600"
if [ "$need_install" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO $APT update -q
  $SUDO $APT install -y -q --no-install-recommends $PKGS
  $SUDO $APT install -y -q --no-install-recommends $PKGS32 ||
    echo "setup: 32-bit Wine could not be installed; the i686 test pass will be skipped"
  if [ -n "$QEMU_FROM" ]; then
    $SUDO $APT install -y -q --no-install-recommends $QEMU_FROM qemu-user-static ||
      echo "setup: qemu 10 could not be installed from bookworm-backports; the i686 test pass runs the programs qemu 7.2 can run"
  fi
fi
register_qemu_i386() {
  local dir=/proc/sys/fs/binfmt_misc
  [ -x /usr/bin/qemu-i386-static ] && [ -x /usr/lib/wine/wine-preloader ] || {
    echo "setup: 32-bit Wine or qemu-user-static is missing; the i686 test pass will be skipped"
    return 0
  }
  if [ "$(id -u)" != 0 ]; then
    [ -e "$dir/qemu-i386" ] ||
      echo "setup: not root, cannot register qemu-i386 with binfmt_misc; the i686 test pass will be skipped"
    return 0
  fi
  [ -e "$dir/register" ] || mount -t binfmt_misc binfmt_misc "$dir" 2>/dev/null || true
  # "F" keeps the interpreter the registration opened, even once a newer one
  # is installed: register it anew.
  [ -e "$dir/qemu-i386" ] && echo -1 >"$dir/qemu-i386" 2>/dev/null
  if [ -e "$dir/register" ]; then
    # "F" opens the interpreter now, so it also serves chroots and containers.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >"$dir/register" 2>/dev/null || true
  fi
  [ -e "$dir/qemu-i386" ] ||
    echo "setup: cannot register qemu-i386 with binfmt_misc; the i686 test pass will be skipped"
}
register_qemu_i386

if ! locale -a 2>/dev/null | grep -qi 'zh_CN.utf8'; then
  $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi

# TinyXML sources from Debian's source package, with Debian's patches applied.
if [ ! -f "$THIRD/tinyxml/tinyxml.h" ]; then
  mkdir -p "$THIRD" && cd "$THIRD"
  rm -rf tinyxml tinyxml-*
  apt-get source -q tinyxml >/dev/null
  mv "$(ls -d tinyxml-*/ | head -1)" tinyxml
fi
echo "setup: done"
