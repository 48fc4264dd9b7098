#!/usr/bin/env bash
# Builds the benchmarks in release mode in build-bench/, runs each of them a few times and
# prints one table: per path our figure and its limit (medians over the runs; each run measures
# both), the ratio (median of the runs' ratios) and the naive peer where there is one.
# Every benchmark prints its own lines too; they are kept in build-bench/bench-logs/.
#   QETO_BENCH_RUNS  runs of each benchmark (default 3)
#   QETO_BENCH_DIR   the build tree (default build-bench beside this folder)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QETO_BENCH_DIR:-$ROOT/build-bench}
RUNS=${QETO_BENCH_RUNS:-3}
LOGS=$BUILD/bench-logs

# Program (relative to the build tree) and its arguments, in the order of the table.
BENCHES=(
  "benchbin/bench_md_ingest/bench_md_ingest"
  "benchbin/bench_watchlist_refresh/bench_watchlist_refresh"
  "bin/bench_order_rtt"
  "bin/bench_query"
  "benchbin/bench_startup/bench_startup"
  "bin/bench_csv_export"
)
TARGETS=()
for b in "${BENCHES[@]}"; do TARGETS+=("$(basename "${b%% *}")"); done

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$ROOT")} CCACHE_NOHASHDIR=1
# -O2 as the packages are built (RelWithDebInfo), without the debug information.
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" >/dev/null
mkdir -p "$LOGS"
echo "building ${TARGETS[*]} in $BUILD ..."
if ! cmake --build "$BUILD" -j"${JOBS:-2}" --target "${TARGETS[@]}" >"$LOGS/build.log" 2>&1; then
  tail -40 "$LOGS/build.log"
  exit 1
fi

export QT_QPA_PLATFORM=offscreen
ROWS=$LOGS/rows.tsv
: >"$ROWS"
failed=0
for b in "${BENCHES[@]}"; do
  name=$(basename "${b%% *}")
  for run in $(seq "$RUNS"); do
    echo "running $name ($run/$RUNS) ..."
    # shellcheck disable=SC2086  # the arguments are meant to split
    if ! (cd "$LOGS" && "$BUILD"/$b) >"$LOGS/$name.$run.txt" 2>"$LOGS/$name.$run.err"; then
      echo "  $name failed, see $LOGS/$name.$run.txt and .err"
      failed=1
    fi
    grep '^ROW' "$LOGS/$name.$run.txt" | cut -f2- >>"$ROWS" || true
  done
done

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
number() { awk -v x="$1" 'BEGIN { printf (x >= 1000 ? "%.0f" : "%.4g"), x }'; }

echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $RUNS runs each; figure and limit: medians of the runs."
echo "ratio = our time / limit time (sizes alike), for rates limit rate / our rate; median of the runs' ratios."
echo "1 is the limit itself, 2 twice as slow (or as big) as the limit."
{
  printf 'path\tour figure\tlimit (same run)\tratio\tnaive peer\n'
  cut -f1 "$ROWS" | awk '!seen[$0]++' | while IFS= read -r path; do
    mine=$(awk -F'\t' -v p="$path" '$1 == p' "$ROWS")
    unit=$(cut -f3 <<<"$mine" | head -1)
    figure=$(cut -f2 <<<"$mine" | median)
    limit=$(cut -f4 <<<"$mine" | median)
    ratio=$(cut -f5 <<<"$mine" | median)
    peer=$(cut -f6 <<<"$mine" | head -1)
    printf '%s\t%s %s\t%s %s\t%.2f\t%s\n' "$path" "$(number "$figure")" "$unit" "$(number "$limit")" "$unit" \
      "$ratio" "$peer"
  done
} | awk -F'\t' '
  # A Markdown table with aligned columns: it reads in a terminal and pastes into the README.
  { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } rows = NR; cols = NF }
  END {
    for (r = 1; r <= rows; r++) {
      line = "|"
      for (i = 1; i <= cols; i++) line = line " " sprintf("%-" w[i] "s", cell[r, i]) " |"
      print line
      if (r == 1) {
        line = "|"
        for (i = 1; i <= cols; i++) { dash = ""; for (k = 0; k < w[i] + 2; k++) dash = dash "-"; line = line dash "|" }
        print line
      }
    }
  }'
exit "$failed"
