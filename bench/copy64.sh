#!/usr/bin/env bash
# 64 MB through the byte files and COPY in TALVEN.EXE under Wine (warm wineserver), beside
# Wine's own `cmd /c copy` of the same file: 64 MB written by BLOCKWRITE and read back by
# BLOCKREAD in 32 KB blocks, and COPY of a 64 MB file. The Talven programs time themselves
# (&GETTICKCOUNT around the work; the test driver reports what they print); `cmd /c copy`
# is timed from outside less `cmd /c exit`. Best of RUNS runs each, and the ratio of COPY
# to `cmd /c copy` (goal: at most 1.25). Build first (cmake --build build/windows).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
runs=${RUNS:-3}
bin=$top/build/windows/bin
work=$(mktemp -d /tmp/talven_copy64.XXXXXX); trap 'rm -rf "$work"' EXIT
cd "$work"
cat > bloecke.tvs <<'TVS'
DECLARE a#, i%, n&, t&
DIM a#, 32768
ASSIGN #1, "bloecke.bin"
t& = &GETTICKCOUNT
OPENRW #1
WHILE i% < 2048
  BLOCKWRITE #1, a#, 0, 32768
  INC i%
WEND
SEEK #1, 0
i% = 0
WHILE i% < 2048
  n& = @BLOCKREAD(#1, a#, 0, 32768)
  INC i%
WEND
CLOSERW #1
PRINT &GETTICKCOUNT - t&
TVS
printf 'DECLARE t&\r\nt& = &GETTICKCOUNT\r\nCOPY "quelle.bin" > "ziel.bin"\r\nPRINT &GETTICKCOUNT - t&\r\n' > kopie.tvs
head -c $((64 * 1024 * 1024)) /dev/urandom > quelle.bin
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true

talven() {  # the milliseconds the program printed
  local report
  report=$(timeout 300 wine "$bin/tdriver.exe" --timeout 240 --answer ok -- "$(winepath -w "$bin/TALVEN.EXE")" "$1" \
    2>/dev/null | tr -d '\r')
  [ "$(tail -1 <<<"$report")" = "exit: 0" ] || { echo "$1: $report" >&2; exit 1; }
  sed -n 's/^screen: *\([0-9][0-9]*\).*/\1/p' <<<"$report" | head -1
}
best_talven() {
  local min=999999999 t
  for ((r = 0; r < runs; r++)); do
    rm -f ziel.bin bloecke.bin
    t=$(talven "$1"); ((t < min)) && min=$t
  done
  echo $min
}
best_outside() {  # best wall time in ms of "$@"
  local min=999999999 start end t
  for ((r = 0; r < runs; r++)); do
    rm -f kopie2.bin
    start=$(date +%s%N); "$@" >/dev/null 2>&1; end=$(date +%s%N)
    t=$(((end - start) / 1000000)); ((t < min)) && min=$t
  done
  echo $min
}
blocks=$(best_talven bloecke.tvs)
copy=$(best_talven kopie.tvs)
cmp -s quelle.bin ziel.bin || { echo "COPY's file differs from its source"; exit 1; }
cmd_copy=$(($(best_outside wine cmd /c copy /y quelle.bin kopie2.bin) - $(best_outside wine cmd /c exit)))
printf 'BLOCKWRITE+BLOCKREAD 64 MB  %6d ms\n' "$blocks"
printf 'COPY 64 MB                  %6d ms\n' "$copy"
printf 'cmd /c copy 64 MB           %6d ms\n' "$cmd_copy"
printf 'COPY / cmd copy             %6.2f\n' "$(echo "$copy / $cmd_copy" | bc -l)"
