#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every suite (plus the sanitizer runs).
# QETO_QUICK=1 skips the sanitizer, cross-compile and fuzz stages.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

bash scripts/setup-deps.sh

JOBS=${JOBS:-2}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$JOBS"
(cd build && ctest --output-on-failure -j"$JOBS" --timeout 600)

if [ "${QETO_QUICK:-0}" = "1" ]; then
  exit 0
fi

for stage in scripts/test-stages/*.sh; do
  [ -e "$stage" ] || continue
  echo "== $(basename "$stage")"
  bash "$stage" "$ROOT"
done
