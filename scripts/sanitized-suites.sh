#!/usr/bin/env bash
# Shared by the sanitizer stages: configure a build dir with a sanitizer, build only the suites
# carrying a CTest label, run them.  Usage: sanitized-suites.sh ROOT BUILD_DIR SANITIZER LABEL
set -euo pipefail
ROOT=$1
BUILD=$2
SANITIZER=$3
LABEL=$4
JOBS=${JOBS:-2}

mkdir -p "$BUILD"
if ! cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQETO_SANITIZE="$SANITIZER" \
  > "$BUILD/configure.log" 2>&1; then
  cat "$BUILD/configure.log"
  exit 1
fi

# Test names are their target names; take every suite that carries the label.
mapfile -t targets < <(cd "$BUILD" && ctest -N -L "$LABEL" | sed -n 's/^ *Test *#[0-9]*: *\([^ ]*\).*$/\1/p')
if [ "${#targets[@]}" -eq 0 ]; then
  echo "no suites labelled $LABEL"
  exit 0
fi
echo "$SANITIZER suites: ${targets[*]}"
cmake --build "$BUILD" -j"$JOBS" --target "${targets[@]}"
(cd "$BUILD" && ctest -L "$LABEL" --output-on-failure -j"$JOBS" --timeout 900)
