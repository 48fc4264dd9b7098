#!/usr/bin/env bash
# Sets up the machine, builds the client and the simulator, starts qeto-sim on its default
# ports (the ones the sample config/ points at) and runs Qeto-Desk from the build tree.
# Log in with exchange 上交 or 深交, fund account 10001001, password 123456.
# Extra arguments go to qeto-sim (e.g. --md-codes 2000).
#
# Without a display ($DISPLAY and $WAYLAND_DISPLAY unset), or with --walkthrough as the first
# argument, it runs the headless walkthrough instead: a trader's day against qeto-sim with a
# picture of every window, dialog and message box, gathered in build/walkthrough/gallery/index.html.
set -euo pipefail
cd "$(dirname "$0")/.."

WALKTHROUGH=0
if [ "${1:-}" = "--walkthrough" ]; then
  WALKTHROUGH=1
  shift
elif [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  WALKTHROUGH=1
fi

bash scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

if [ "$WALKTHROUGH" = 1 ]; then
  cmake --build build -j"${JOBS:-2}" --target qeto-walkthrough qeto-sim
  GALLERY=$(pwd)/build/walkthrough/gallery
  echo "No display (or --walkthrough): running the headless walkthrough into $GALLERY" >&2
  # It starts its own qeto-sim children on free ports and ends them.
  QT_QPA_PLATFORM=offscreen build/walkthrough/qeto-walkthrough "$GALLERY"
  echo "Gallery: file://$GALLERY/index.html"
  exit 0
fi

cmake --build build -j"${JOBS:-2}" --target Qeto-Desk qeto-sim

BIN=$(pwd)/build/bin
SIM_LOG=$(mktemp -t qeto-sim.XXXXXX.log)
"$BIN/qeto-sim" "$@" >"$SIM_LOG" 2>&1 &
SIM_PID=$!
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT

# Wait until the simulator has bound its ports (it prints them on its first line).
for _ in $(seq 1 100); do
  if grep -q '^counter_port=' "$SIM_LOG" 2>/dev/null; then break; fi
  if ! kill -0 "$SIM_PID" 2>/dev/null; then cat "$SIM_LOG"; echo "qeto-sim did not start" >&2; exit 1; fi
  sleep 0.1
done
echo "qeto-sim: $(head -n1 "$SIM_LOG") (log: $SIM_LOG)"

cd "$BIN"
./Qeto-Desk
