#!/usr/bin/env bash
# ThreadSanitizer run of the client suites labelled "tsan": the callback bridge and hub, the
# market-data thread, the login thread and the workspace that owns the market-data thread.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/../.." && pwd)}

# Qt is not built with the sanitizer: its own hand-offs (queued events, deferred deletion,
# wait conditions) are suppressed; races in our code still stop the run.
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$ROOT/tests/unit/tsan_qt.supp}
exec bash "$ROOT/scripts/sanitized-suites.sh" "$ROOT" "$ROOT/build-tsan-app" thread tsan
