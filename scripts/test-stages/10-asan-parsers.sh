#!/usr/bin/env bash
# AddressSanitizer + UBSan run of the suites labelled "asan" (parsers, records, callbacks).
# Builds only those test targets, so the core is rebuilt once with the sanitizer.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/../.." && pwd)}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ROOT/scripts/test-stages/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec bash "$ROOT/scripts/sanitized-suites.sh" "$ROOT" "$ROOT/build-asan" address asan
