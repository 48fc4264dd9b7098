#!/usr/bin/env bash
# Runs a Windows executable of the cross build under Wine 64: the CMake emulator of the Windows
# build (cmake/mingw-w64-x86_64.cmake), so ctest runs every suite through it.
#
# The prefix is QETO_WINEPREFIX (default: a folder beside the build's cache), created on first use;
# the caller owns the wineserver (scripts/test-stages/60-windows.sh starts and stops it). DLLs are
# found through WINEPATH: the Qt of scripts/build-qt-mingw.sh, the MinGW runtime and the build's
# bin folder.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
WINE=${QETO_WINE:-/usr/lib/wine/wine64}
export WINEPREFIX=${QETO_WINEPREFIX:-${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/qeto-desk/wineprefix}}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}  # no Mono or Gecko prompts

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

dirs=()
[ -n "${QETO_QT_MINGW:-}" ] && dirs+=("$(winpath "$QETO_QT_MINGW/bin")")
for d in /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib; do
  [ -d "$d" ] && dirs+=("$(winpath "$d")")
done
[ -n "${QETO_WIN_BIN:-}" ] && dirs+=("$(winpath "$QETO_WIN_BIN")")
WINEPATH=$(IFS=';'; printf '%s' "${dirs[*]}")${WINEPATH:+;$WINEPATH}
export WINEPATH
if [ -n "${QETO_QT_MINGW:-}" ] && [ -z "${QT_PLUGIN_PATH:-}" ]; then
  QT_PLUGIN_PATH=$(winpath "$QETO_QT_MINGW/plugins")
  export QT_PLUGIN_PATH
fi

# Qt's offscreen platform on Windows reads fonts only from one folder; without any, text has no
# metrics and the widgets' layouts differ from a real desktop's.
if [ "${QT_QPA_PLATFORM:-}" = offscreen ] && [ -z "${QT_QPA_FONTDIR:-}" ] && [ -d /usr/share/fonts/truetype/wqy ]; then
  QT_QPA_FONTDIR=$(winpath /usr/share/fonts/truetype/wqy)
  export QT_QPA_FONTDIR
fi

# Wine keeps the host's QT_* variables from Windows programs (they belong to the host's Qt) and
# hands WINEQT_* over under the name without WINE.
for v in $(compgen -e); do
  case $v in QT_*) export "WINE$v=${!v}" ;; esac
done

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$WINE" wineboot --init >/dev/null 2>&1 || true
fi
# Qt's test library writes nothing into a pipe under Wine: the suites' report goes to a file,
# printed once they end.
case $(basename "${1:-}") in
  tst_*.exe)
    report=$(mktemp -t qeto-wine-test.XXXXXX)
    trap 'rm -f "$report"' EXIT
    status=0
    "$WINE" "$@" -o "$(winpath "$report"),txt" || status=$?
    cat "$report"
    exit "$status"
    ;;
esac
exec "$WINE" "$@"
