#!/usr/bin/env bash
# Builds Qeto-Desk for 64-bit Windows on this Linux machine: Qt for MinGW (once per machine, see
# scripts/build-qt-mingw.sh), then Qeto-Desk.exe, libQetoGateAPI.dll, qeto-sim.exe and the client
# suites in build-win/, the deployed folder build-win/deploy/Qeto-Desk/ and the installer
# build-win/Qeto-Desk-<version>-setup.exe. Prints the installer's path as its last line.
#   QETO_WIN_BUILD  build folder (default build-win)
#   QETO_WIN_SUITES 0: the programs and the installer only, not the suites
#   QETO_QT_MINGW   the Qt for MinGW prefix, when the caller has it (else it is built or found)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${QETO_WIN_BUILD:-build-win}
JOBS=${JOBS:-2}
export JOBS

# A caller that has set up the machine and Qt already (the Windows stage) hands its prefix over.
if [ -z "${QETO_QT_MINGW:-}" ]; then
  bash scripts/setup-deps.sh >&2
  QETO_QT_MINGW=$(bash scripts/build-qt-mingw.sh | tail -n 1)
fi
export QETO_QT_MINGW
# shellcheck source=scripts/mingw-env.sh
source scripts/mingw-env.sh

mkdir -p "$BUILD"
cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$QETO_QT_MINGW" >"$BUILD/configure.log" 2>&1 ||
  { cat "$BUILD/configure.log" >&2; exit 1; }
if [ "${QETO_WIN_SUITES:-1}" = "1" ]; then
  cmake --build "$BUILD" -j"$JOBS" >&2
else
  # The shipped programs and the login driver the installed client is checked with, no suites.
  cmake --build "$BUILD" -j"$JOBS" --target Qeto-Desk QetoGateAPI qeto-sim qeto_login_driver >&2
fi
cmake --build "$BUILD" --target windows-installer >&2
ls "$BUILD"/Qeto-Desk-*-setup.exe | tail -n 1
