#!/usr/bin/env bash
# Compiles (syntax only) every client unit with the MinGW-w64 cross compiler against the Qt 5
# headers, so Windows code paths cannot rot on a Linux build machine. Every .cpp under app/ is
# checked except the POSIX-only ones (named *_posix.cpp); the list comes from the tree.
# Qt for MinGW is not installable here, so this stops at syntax: no linking, no running.
set -euo pipefail
ROOT=${1:-"$(cd "$(dirname "$0")/../.." && pwd)"}
cd "$ROOT"

CXX=x86_64-w64-mingw32-g++-posix
if ! command -v "$CXX" >/dev/null 2>&1; then
  echo "30-windows-syntax: $CXX not found (package g++-mingw-w64-x86-64-posix, see scripts/setup-deps.sh)" >&2
  exit 1
fi

QT=$(pkg-config --variable=includedir Qt5Core 2>/dev/null || true)
QT=${QT:-/usr/include/x86_64-linux-gnu/qt5}
if [ ! -f "$QT/QtCore/qglobal.h" ]; then
  echo "30-windows-syntax: Qt 5 headers not found under $QT (package qtbase5-dev)" >&2
  exit 1
fi

mapfile -t units < <(find app -type f -name '*.cpp' ! -name '*_posix.cpp' | sort)
if [ "${#units[@]}" -eq 0 ]; then
  echo "30-windows-syntax: no units under app/" >&2
  exit 1
fi

# The defines the client's build gives every unit (Qt modules and kept log positions).
FLAGS=(-std=c++17 -fsyntax-only -Wall -Wextra
       -DQT_MESSAGELOGCONTEXT -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB
       -isystem "$QT" -isystem "$QT/QtCore" -isystem "$QT/QtGui" -isystem "$QT/QtWidgets" -isystem "$QT/QtNetwork"
       -Igateway/include -Iwire -Iapp)

# One compiler per job; the flags go through a response file. xargs ends non-zero when any
# unit failed.
RSP=$(mktemp)
trap 'rm -f "$RSP"' EXIT
printf '%q\n' "${FLAGS[@]}" >"$RSP"
failed=0
printf '%s\0' "${units[@]}" |
  xargs -0 -n 1 -P "${JOBS:-2}" bash -c '
    if "$0" @"$1" "$2"; then echo "30-windows-syntax: ok   $2"; else echo "30-windows-syntax: FAIL $2" >&2; exit 1; fi
  ' "$CXX" "$RSP" || failed=1
echo "30-windows-syntax: ${#units[@]} units checked"
exit "$failed"
