#!/usr/bin/env bash
# Every C++ file the repository tracks is as the repository's .clang-format lays it out.
# Debian 12's clang-format 14: other versions break some lines differently.
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$ROOT"
FORMAT=$(command -v clang-format-14 || command -v clang-format)
mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=()
for f in "${files[@]}"; do
  "$FORMAT" --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ "${#bad[@]}" -gt 0 ]; then
  echo "format: ${#bad[@]} of ${#files[@]} files differ from .clang-format (fix with: $FORMAT -i <file>):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format lays them out"
