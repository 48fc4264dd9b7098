#!/usr/bin/env bash
# Compiles (syntax only) every Windows-only unit that needs no Qt with the MinGW cross compiler,
# so Windows code paths cannot rot on a Linux build machine. Convention: such units are
# named *_win.cpp anywhere under app/.
set -euo pipefail
ROOT=${1:-"$(cd "$(dirname "$0")/../.." && pwd)"}
cd "$ROOT"

CXX=x86_64-w64-mingw32-g++
if ! command -v "$CXX" >/dev/null 2>&1; then
  echo "30-windows-syntax: $CXX not found (package g++-mingw-w64-x86-64, see scripts/setup-deps.sh)" >&2
  exit 1
fi

mapfile -t units < <(find app -type f -name '*_win.cpp' | sort)
if [ "${#units[@]}" -eq 0 ]; then
  echo "30-windows-syntax: no *_win.cpp units under app/" >&2
  exit 1
fi

failed=0
for unit in "${units[@]}"; do
  if "$CXX" -std=c++17 -fsyntax-only -Wall -Wextra -Igateway/include -Iwire -Iapp "$unit"; then
    echo "30-windows-syntax: ok   $unit"
  else
    echo "30-windows-syntax: FAIL $unit" >&2
    failed=1
  fi
done
exit "$failed"
