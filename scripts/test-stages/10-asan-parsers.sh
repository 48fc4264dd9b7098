#!/usr/bin/env bash
# AddressSanitizer + UBSan run of the suites labelled "asan" (parsers, records, callbacks).
# Builds only those test targets, so the core is rebuilt once with the sanitizer.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
BUILD="$ROOT/build-asan"
JOBS=${JOBS:-2}

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQETO_SANITIZE=address >/dev/null

# Test names are their target names; take every suite that carries the label.
mapfile -t targets < <(cd "$BUILD" && ctest -N -L asan | sed -n 's/^ *Test *#[0-9]*: *\([^ ]*\).*$/\1/p')
if [ "${#targets[@]}" -eq 0 ]; then
  echo "no suites labelled asan"
  exit 0
fi
echo "asan suites: ${targets[*]}"
cmake --build "$BUILD" -j"$JOBS" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ROOT/scripts/test-stages/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd "$BUILD" && ctest -L asan --output-on-failure -j"$JOBS" --timeout 600)
