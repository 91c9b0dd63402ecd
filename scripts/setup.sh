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

if [ "$need_install" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends $PKGS
fi

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
