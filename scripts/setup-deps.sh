#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run Qeto-Desk and its stand-ins.
# Idempotent: packages already present are skipped, so it is cheap to rerun.
set -euo pipefail

PKGS=(
  build-essential cmake pkg-config git ccache
  qtbase5-dev qtbase5-dev-tools qt5-qmake libqt5svg5 libqt5svg5-dev
  libasio-dev googletest libgtest-dev
  xvfb xauth x11-apps imagemagick fonts-wqy-microhei xdotool
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine64 nsis locales
  clang libclang-rt-14-dev clang-format
  gdb elfutils
  dpkg-dev fakeroot file lintian desktop-file-utils librsvg2-bin
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup-deps: all packages present"
else
  echo "setup-deps: installing ${missing[*]}"
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The Windows client under Wine runs in a Chinese locale (ANSI code page 936), and Wine decodes
# Chinese folder names with it.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  echo "setup-deps: generating the zh_CN.UTF-8 locale"
  if ! grep -qx 'zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
