#!/usr/bin/env bash
# Start-up of TALVEN.EXE under Wine (warm wineserver): an empty program, and the load of a
# 65535-line program (its first line is PROGEND, so the run measures loading), beside the
# floor of any window program (bench/startup/win32/floor.c: a class, a window, its messages,
# built here with the same cross compiler). Prints the mean wall time of each over RUNS
# runs (the programs take turns, so a slow spell of the machine hits all) and the ratio
# of the empty program to the floor. Build first (./test or cmake --build build/windows).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
runs=${RUNS:-10}
talven=$top/build/windows/bin/TALVEN.EXE
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
: > "$work/empty.tvs"
i686-w64-mingw32-gcc -O2 -mwindows -static "$top/bench/startup/win32/floor.c" -o "$work/floor.exe" -luser32
{ echo "PROGEND"; for ((i = 1; i < 65535; i++)); do echo "REM line $i with some text, \"a string\" ' and a comment"; done; } > "$work/big.tvs"
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
# Each command once to warm the file cache, then RUNS rounds of all in turn.
names=("minimal window program (floor)" "empty program" "65535-line program, load only")
commands=("$work/floor.exe" "$talven empty.tvs" "$talven big.tvs")
totals=(0 0 0)
cd "$work"
for command in "${commands[@]}"; do wine $command >/dev/null 2>&1 || true; done
for ((i = 0; i < runs; i++)); do
  for k in 0 1 2; do
    start=$(date +%s%N); wine ${commands[$k]} >/dev/null 2>&1 || true; end=$(date +%s%N)
    totals[$k]=$((totals[$k] + end - start))
  done
done
for k in 0 1 2; do
  printf '%-34s %8.1f ms (mean of %d)\n' "${names[$k]}" "$(echo "${totals[$k]} / $runs / 1000000" | bc -l)" "$runs"
done
printf '%-34s %8.2f\n' "empty program / floor" "$(echo "${totals[1]} / ${totals[0]}" | bc -l)"
wineserver -k
