#!/usr/bin/env bash
# Start-up of TALVEN.EXE under Wine (warm wineserver): an empty program, and the load of a
# 65535-line program (its first line is PROGEND, so the run measures loading). Prints the
# mean wall time of each over RUNS runs. Build first (./test or cmake --build build/windows).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
runs=${RUNS:-10}
talven=$top/build/windows/bin/TALVEN.EXE
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
: > "$work/empty.tvs"
{ echo "PROGEND"; for ((i = 1; i < 65535; i++)); do echo "REM line $i with some text, \"a string\" ' and a comment"; done; } > "$work/big.tvs"
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
measure() {
  local name=$1 file=$2 total=0 start end
  cd "$work"
  wine "$talven" "$file" >/dev/null 2>&1  # warm the file cache
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N); wine "$talven" "$file" >/dev/null 2>&1; end=$(date +%s%N)
    total=$((total + end - start))
  done
  printf '%-34s %8.1f ms (mean of %d)\n' "$name" "$(echo "$total / $runs / 1000000" | bc -l)" "$runs"
}
measure "empty program" empty.tvs
measure "65535-line program, load only" big.tvs
wineserver -k
