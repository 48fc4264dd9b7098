#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every suite (plus the sanitizer runs).
# QETO_QUICK=1 skips the sanitizer, cross-compile and fuzz stages.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

bash scripts/setup-deps.sh

JOBS=${JOBS:-2}
export JOBS
LOG=$(mktemp -t qeto-test.XXXXXX.log)
trap 'rm -f "$LOG"' EXIT

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$JOBS"
(cd build && ctest --output-on-failure -j"$JOBS" --timeout 600) 2>&1 | tee -a "$LOG"

if [ "${QETO_QUICK:-0}" != "1" ]; then
  for stage in scripts/test-stages/*.sh; do
    [ -e "$stage" ] || continue
    echo "== $(basename "$stage")"
    bash "$stage" "$ROOT" 2>&1 | tee -a "$LOG"
  done
fi

# One closing line over every CTest run above (main suites and sanitizer stages).
awk '/tests passed, [0-9]+ tests failed out of [0-9]+/ {
       for (i = 1; i <= NF; i++) if ($i == "of") total += $(i + 1);
       for (i = 1; i <= NF; i++) if ($i == "failed") failed += $(i - 2);
     }
     END { printf "Total: %d passed, %d failed\n", total - failed, failed }' "$LOG"
