#!/usr/bin/env bash
# ThreadSanitizer run of the gateway library and the simulator: builds both with their suites
# in build-tsan (no client) and runs every suite labelled gateway or sim.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
BUILD="$ROOT/build-tsan"
mkdir -p "$BUILD"
JOBS=${JOBS:-2}

# The client is not needed here. A configure failure fails the stage with its log.
if ! cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQETO_SANITIZE=thread \
  -DQETO_BUILD_APP=OFF > "$BUILD/configure.log" 2>&1; then
  cat "$BUILD/configure.log"
  exit 1
fi

targets=(QetoGateAPI qeto-sim)
# Every gateway and simulator suite that exists (ctest runs them all by label).
for t in $(cmake --build "$BUILD" --target help | sed -n 's/^\.\.\. \(tst_\(sim\|gateway\)[a-z_]*\).*/\1/p'); do
  targets+=("$t")
done
cmake --build "$BUILD" -j"$JOBS" --target "${targets[@]}"

# halt_on_error makes any report fail the suite that caused it.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
cd "$BUILD"
ctest --output-on-failure -L 'gateway|sim' -j"$JOBS" --timeout 600
