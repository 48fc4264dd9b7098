#!/usr/bin/env bash
# Fuzzes the market-data frame parser for a bounded time with libFuzzer (clang, ASan+UBSan).
# A crash, a sanitizer report or a broken invariant fails the stage.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
BUILD="$ROOT/build-fuzz"
SECONDS_TO_RUN=${QETO_FUZZ_SECONDS:-60}

mkdir -p "$BUILD"
configure() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "$@" > "$BUILD/configure.log" 2>&1
}
# Only the harness is built; the client stays out unless some fragment cannot do without it.
if ! configure -DQETO_BUILD_APP=OFF; then
  echo "40-fuzz-md: configure without the client failed, retrying with it (see $BUILD/configure.log)"
  configure -DQETO_BUILD_APP=ON
fi
cmake --build "$BUILD" -j"${JOBS:-2}" --target fuzz_md_frames

CORPUS="$BUILD/corpus-md-frames"
mkdir -p "$CORPUS"
# Seeds: one whole frame, a frame behind a bad header, and a frame cut short.
frame() { printf '\x7b\x00\x00\x00'; head -c 216 /dev/zero; printf '600000\x00\x00\x00'; printf '\xc6\xd6\xb7\xa2\xd2\xf8\xd0\xd0'; head -c 46 /dev/zero; }
{ printf '\x01'; frame; frame; } > "$CORPUS/seed-two-frames"
{ printf '\x00'; printf '\x7c\x00\x00\x00'; frame; } > "$CORPUS/seed-bad-header"
frame > "$CORPUS/.frame"
{ printf '\x45'; head -c 200 "$CORPUS/.frame"; } > "$CORPUS/seed-short"
rm -f "$CORPUS/.frame"

cd "$BUILD"
"$BUILD/bin/fuzz_md_frames" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$CORPUS"
