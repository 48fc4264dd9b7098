#!/usr/bin/env bash
# Sets up the machine, builds the client and the simulator, starts qeto-sim on its default
# ports (the ones the sample config/ points at) and runs Qeto-Desk from the build tree.
# Log in with exchange 上交 or 深交, fund account 10001001, password 123456.
# Extra arguments go to qeto-sim (e.g. --md-codes 2000).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
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
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running Qeto-Desk under xvfb-run (invisible)." >&2
  xvfb-run -a -s "-screen 0 1280x800x24" ./Qeto-Desk
else
  ./Qeto-Desk
fi
