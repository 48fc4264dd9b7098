#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every suite (plus the sanitizer runs).
# QETO_QUICK=1 skips the sanitizer, cross-compile and fuzz stages.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
# Stages that can shorten themselves on a first run (60-windows.sh) measure from here.
export QETO_RUN_START=${QETO_RUN_START:-$(date +%s)}

bash scripts/setup-deps.sh

JOBS=${JOBS:-2}
export JOBS
LOG=$(mktemp -t qeto-test.XXXXXX.log)
QT_JOB=
trap 'if [ -n "$QT_JOB" ]; then kill -- -"$QT_JOB" 2>/dev/null || true; fi; rm -f "$LOG" "$LOG.qt"' EXIT

# Qt for MinGW takes about 40 minutes the first time on a machine: build it at the lowest priority
# beside the Linux stages, which leave a core idle much of the time; the Windows stage, last, waits
# for it (scripts/build-qt-mingw.sh runs one at a time) and prints this log.
if [ "${QETO_QUICK:-0}" != "1" ]; then
  export QETO_QT_MINGW_LOG=$LOG.qt
  setsid nice -n 19 bash scripts/build-qt-mingw.sh >"$QETO_QT_MINGW_LOG" 2>&1 &
  QT_JOB=$!
fi

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
