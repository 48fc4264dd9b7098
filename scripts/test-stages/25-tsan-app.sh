#!/usr/bin/env bash
# ThreadSanitizer run of the client suites labelled "tsan": the callback bridge and hub, the
# market-data thread, the login thread and the workspace that owns the market-data thread.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
BUILD="$ROOT/build-tsan-app"
JOBS=${JOBS:-2}

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQETO_SANITIZE=thread >/dev/null

mapfile -t targets < <(cd "$BUILD" && ctest -N -L tsan | sed -n 's/^ *Test *#[0-9]*: *\([^ ]*\).*$/\1/p')
if [ "${#targets[@]}" -eq 0 ]; then
  echo "no suites labelled tsan"
  exit 0
fi
echo "tsan suites: ${targets[*]}"
cmake --build "$BUILD" -j"$JOBS" --target "${targets[@]}"

# Qt is not built with the sanitizer: its own hand-offs (queued events, deferred deletion,
# wait conditions) are suppressed; races in our code still stop the run.
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$ROOT/tests/unit/tsan_qt.supp}
(cd "$BUILD" && ctest -L tsan --output-on-failure -j"$JOBS" --timeout 900)
