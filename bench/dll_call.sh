#!/usr/bin/env bash
# 100,000 direct DLL calls of GetTickCount ("!" DEF function: load, look up, call, free
# each time) beside 100,000 reads of &GETTICKCOUNT and an empty loop, in TALVEN.EXE under
# Wine (warm wineserver). Prints the wall time of each; the difference to the empty loop
# is the cost of the calls. Build first (cmake --build build/windows).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
talven=$top/build/windows/bin/TALVEN.EXE
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
loop() {  # loop BODY...: a program running BODY 100,000 times, then END
  printf '%s\n' 'DEF @TICKS(0) !"KERNEL32", "GetTickCount"' 'DECLARE i%, t&' 'WHILE i% < 100000' "$@" \
    'INC i%' 'WEND' 'END'
}
loop 'REM' > "$work/empty.tvs"
loop 't& = &GETTICKCOUNT' > "$work/variable.tvs"
loop 't& = @TICKS()' > "$work/dll.tvs"
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
cd "$work"
for name in empty variable dll; do
  start=$(date +%s%N); timeout 120 wine "$talven" "$name.tvs" >/dev/null 2>&1; end=$(date +%s%N)
  printf '%-10s %8.1f ms\n' "$name" "$(echo "($end - $start) / 1000000" | bc -l)"
done
