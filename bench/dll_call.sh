#!/usr/bin/env bash
# 100,000 direct DLL calls of GetTickCount ("!" DEF function) beside 100,000 reads of
# &GETTICKCOUNT and an empty loop, in TALVEN.EXE under Wine (warm wineserver), and a C
# loop of LoadLibrary/GetProcAddress/call/FreeLibrary 100,000 times (built here with
# mingw). Prints the wall and processor time of each and the cost of one call:
# (dll - empty) / 100,000 beside the C loop's. Goal: at most twice the C loop. Build first (cmake --build
# build/windows); TALVEN=path picks another TALVEN.EXE, RUNS the number of runs (best).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
talven=${TALVEN:-$top/build/windows/bin/TALVEN.EXE}
runs=${RUNS:-3}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
loop() {  # loop BODY...: a program running BODY 100,000 times, then END
  printf '%s\n' 'DEF @TICKS(0) !"KERNEL32", "GetTickCount"' 'DECLARE i%, t&' 'WHILE i% < 100000' "$@" \
    'INC i%' 'WEND' 'END'
}
loop 'REM' > "$work/empty.tvs"
loop 't& = &GETTICKCOUNT' > "$work/variable.tvs"
loop 't& = @TICKS()' > "$work/dll.tvs"
cat > "$work/cloop.c" <<'C'
#include <windows.h>
#include <stdio.h>
int main(void) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  DWORD sum = 0;
  for (int i = 0; i < 100000; ++i) {
    HMODULE m = LoadLibraryA("KERNEL32");
    DWORD (WINAPI *p)(void) = (DWORD (WINAPI *)(void))GetProcAddress(m, "GetTickCount");
    sum += p();
    FreeLibrary(m);
  }
  QueryPerformanceCounter(&b);
  printf("%.3f %lu\n", (double)(b.QuadPart - a.QuadPart) * 1e6 / (double)f.QuadPart / 100000.0, sum & 1);
  return 0;
}
C
i686-w64-mingw32-gcc -O2 -o "$work/cloop.exe" "$work/cloop.c"
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
cd "$work"
# Wall time and processor time (user + system, in ms) of a command, the best of $runs.
declare -A best cpu
measure() {  # measure NAME COMMAND...
  local name=$1; shift
  best[$name]=999999999; cpu[$name]=999999999
  for ((r = 0; r < runs; r++)); do
    local start end t c
    start=$(date +%s%N)
    /usr/bin/time -o "$work/time.txt" -f '%U %S' timeout 300 "$@" >/dev/null 2>&1 || true
    c=$(tail -1 "$work/time.txt" | awk '{ printf "%d", ($1 + $2) * 1000 }')
    end=$(date +%s%N)
    t=$(((end - start) / 1000000))
    if ((t < best[$name])); then best[$name]=$t; fi
    if ((c < cpu[$name])); then cpu[$name]=$c; fi
  done
  printf '%-10s %8d ms wall %8d ms processor\n' "$name" "${best[$name]}" "${cpu[$name]}"
}
for name in empty variable dll; do measure "$name" wine "$talven" "$name.tvs"; done
measure cloop wine ./cloop.exe
measure cstart wine cmd /c exit
# On a busy machine the wall times wander; the processor times are the steadier measure.
printf 'one call:  %.2f us wall, %.2f us processor; C loop %.2f us processor (its start taken off)\n' \
  "$(echo "(${best[dll]} - ${best[empty]}) / 100" | bc -l)" "$(echo "(${cpu[dll]} - ${cpu[empty]}) / 100" | bc -l)" \
  "$(echo "(${cpu[cloop]} - ${cpu[cstart]}) / 100" | bc -l)"
