#!/usr/bin/env bash
# Builds the Qt 5 the Windows client needs (Core, Gui, Widgets, Network, Test, Svg, the windows and
# offscreen platforms, the Vista style, the image-format and icon-engine plugins) for
# x86_64-w64-mingw32 from Debian's own Qt source, and installs it into a cache folder keyed by the
# source versions, the compiler and the configure options. A complete cache is reused as it is, so
# only the first run on a machine pays for the build.
#
# Prints the install prefix as its last line. QETO_CACHE overrides ~/.cache/qeto-desk. Runs one at a
# time per cache: a second call (the Windows stage while scripts/test.sh builds Qt in the background)
# waits for the first and then finds the cache complete.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
JOBS=${JOBS:-$(nproc)}
CACHE=${QETO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qeto-desk}

# shellcheck source=scripts/mingw-env.sh
source "$ROOT/scripts/mingw-env.sh"

# Only what the client and its suites use: no SQL, XML, D-Bus, printing, OpenGL or ICU. Debian's
# source lacks the tablet header wintab.h, hence no tablet events.
CONFIGURE=(
  -opensource -confirm-license -release -shared -silent
  -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
  -nomake examples -nomake tests -no-compile-examples
  -no-opengl -no-dbus -no-icu -no-openssl -no-angle -no-vulkan
  -no-feature-tabletevent -no-feature-sql -no-feature-xml -no-feature-concurrent
  -no-feature-printer -no-feature-direct2d -no-feature-bearermanagement
  -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype
)

apt_src_version() { apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n 1; }

ensure_deb_src() {
  if [ -n "$(apt_src_version qtbase-opensource-src)" ]; then return; fi
  # Debian's own mirrors, source entries for the suites the machine already uses.
  local list=/etc/apt/sources.list.d/qeto-deb-src.sources
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo tee "$list" >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update -q >/dev/null
}

mkdir -p "$CACHE"
exec 9>"$CACHE/.build.lock"
if ! flock -n 9; then
  echo "build-qt-mingw: waiting for the build already running" >&2
  flock -w 5400 9 || { echo "build-qt-mingw: the other build did not end in 90 minutes" >&2; exit 1; }
fi

ensure_deb_src
QTBASE_V=$(apt_src_version qtbase-opensource-src)
QTSVG_V=$(apt_src_version qtsvg-opensource-src)
if [ -z "$QTBASE_V" ] || [ -z "$QTSVG_V" ]; then
  echo "build-qt-mingw: Debian's Qt source packages are not available" >&2
  exit 1
fi
CC_V=$(x86_64-w64-mingw32-g++ -dumpfullversion 2>/dev/null || x86_64-w64-mingw32-g++ -dumpversion)
KEY=$(printf '%s\n' "$QTBASE_V" "$QTSVG_V" "$CC_V" "${CONFIGURE[@]}" | sha256sum | cut -c1-12)
PREFIX="$CACHE/qt-${QTBASE_V%%+*}-mingw64-$KEY"

if [ -f "$PREFIX/.complete" ]; then
  echo "build-qt-mingw: cached"
  echo "$PREFIX"
  exit 0
fi

WORK="$CACHE/work-$KEY"
rm -rf "$PREFIX" "$WORK"
mkdir -p "$WORK"
start=$(date +%s)
(
  cd "$WORK"
  apt-get source -q qtbase-opensource-src="$QTBASE_V" qtsvg-opensource-src="$QTSVG_V" >source.log 2>&1 ||
    { cat source.log >&2; exit 1; }
)
BASE_SRC=$(find "$WORK" -maxdepth 1 -type d -name 'qtbase-opensource-src-*' | head -n 1)
SVG_SRC=$(find "$WORK" -maxdepth 1 -type d -name 'qtsvg-opensource-src-*' | head -n 1)

mkdir -p "$WORK/qtbase-build"
(
  cd "$WORK/qtbase-build"
  echo "build-qt-mingw: configuring qtbase $QTBASE_V"
  "$BASE_SRC/configure" -prefix "$PREFIX" "${CONFIGURE[@]}" >configure.log 2>&1 ||
    { tail -n 60 configure.log >&2; exit 1; }
  echo "build-qt-mingw: building qtbase with $JOBS jobs"
  make -j"$JOBS" >make.log 2>&1 || { grep -m 20 -B 2 -A 8 -E 'error|Error' make.log >&2; exit 1; }
  make install >install.log 2>&1 || { tail -n 40 install.log >&2; exit 1; }
)
mkdir -p "$WORK/qtsvg-build"
(
  cd "$WORK/qtsvg-build"
  echo "build-qt-mingw: building qtsvg $QTSVG_V"
  "$PREFIX/bin/qmake" "$SVG_SRC/qtsvg.pro" >qmake.log 2>&1 || { cat qmake.log >&2; exit 1; }
  make -j"$JOBS" >make.log 2>&1 || { grep -m 20 -B 2 -A 8 -E 'error|Error' make.log >&2; exit 1; }
  make install >install.log 2>&1 || { tail -n 40 install.log >&2; exit 1; }
)
end=$(date +%s)
printf 'qtbase %s\nqtsvg %s\ncompiler %s\nseconds %s\n' "$QTBASE_V" "$QTSVG_V" "$CC_V" "$((end - start))" \
  >"$PREFIX/.complete"
rm -rf "$WORK"
echo "build-qt-mingw: built in $((end - start)) s"
echo "$PREFIX"
