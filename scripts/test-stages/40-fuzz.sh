#!/usr/bin/env bash
# Builds every libFuzzer harness fuzz/fuzz_<name>.cpp (clang, ASan+UBSan, without the client)
# and runs each for a bounded time on a scratch copy of its seed corpus fuzz/corpus/<name>/.
# A configure or build failure, a crash, a sanitizer report or a broken invariant fails the stage.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
BUILD="$ROOT/build-fuzz"
SECONDS_EACH=${QETO_FUZZ_SECONDS:-30}

names=()
for src in "$ROOT"/fuzz/fuzz_*.cpp; do
  [ -e "$src" ] || continue
  name=$(basename "$src" .cpp)
  names+=("${name#fuzz_}")
done
if [ ${#names[@]} -eq 0 ]; then
  echo "40-fuzz: no harness under $ROOT/fuzz"
  exit 1
fi

mkdir -p "$BUILD"
if ! cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQETO_BUILD_APP=OFF > "$BUILD/configure.log" 2>&1; then
  echo "40-fuzz: configure failed:"
  cat "$BUILD/configure.log"
  exit 1
fi
cmake --build "$BUILD" -j"${JOBS:-2}" --target "${names[@]/#/fuzz_}"

summaries=()
failed=0
for name in "${names[@]}"; do
  work="$BUILD/run-$name"
  rm -rf "$work"
  mkdir -p "$work/corpus"
  if [ -d "$ROOT/fuzz/corpus/$name" ]; then
    cp -R "$ROOT/fuzz/corpus/$name/." "$work/corpus/"
  else
    echo "40-fuzz: fuzz_$name has no seed corpus under fuzz/corpus/$name, starting empty"
  fi
  echo "-- fuzz_$name: ${SECONDS_EACH} s, $(find "$work/corpus" -type f | wc -l) seeds"
  rc=0
  (cd "$work" && "$BUILD/bin/fuzz_$name" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
     -print_final_stats=1 -artifact_prefix="$work/" corpus > "$work/fuzz.log" 2>&1) || rc=$?
  # libFuzzer's last status line and its final statistics.
  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::' "$work/fuzz.log" || true
  last=$(grep -E '^#[0-9]+[[:space:]]' "$work/fuzz.log" | tail -n 1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$last")
  if [ "$rc" -eq 0 ]; then
    result=ok
  else
    result="FAILED (exit $rc)"
    failed=1
    echo "40-fuzz: fuzz_$name failed; end of its log:"
    tail -n 60 "$work/fuzz.log"
    for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -e "$artifact" ] && echo "input: $artifact ($(stat -c %s "$artifact") bytes)"
    done
  fi
  summaries+=("fuzz_$name: execs ${execs:-?}, cov ${cov:-?}, ft ${ft:-?}, ${SECONDS_EACH} s, $result")
done

echo "== fuzz summary"
printf '%s\n' "${summaries[@]}"
exit "$failed"
