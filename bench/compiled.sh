#!/usr/bin/env bash
# The benchmark programs under Wine, each run by TALVEN.EXE from its source and by
# TLVRUN32.EXE from its code file (compiled by TALVCOMP /B first). The programs end with a
# box that carries their checksum; the test driver answers it. Each program is measured
# from inside as well: a copy takes &GETTICKCOUNT at its start and puts the elapsed
# milliseconds behind the checksum, so the verdict is not decided by the start of a Wine
# process (which alone varies by ±50 ms here). Prints the best of RUNS runs of each, run
# time and wall time (the two programs take turns, so a slow spell of the machine hits
# both), and whether the runtime ran faster; both must end with the same checksum. Build
# first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
runs=${RUNS:-10}
bin=$top/build/windows/bin
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
for program in "$top"/bench/*.tvs; do
  sed -e '1a DECLARE zeit&\nzeit& = &GETTICKCOUNT' \
      -e 's/^GOTO "summe " + c\$$/zeit\& = \&GETTICKCOUNT - zeit\&\nGOTO "summe " + c$ + " ms " + zeit\&/' \
      "$program" > "$work/$(basename "$program")"
done
cd "$work"
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
# One run of the program and arguments given: "RUN WALL", the milliseconds the program
# measured itself and the wall-clock milliseconds of the whole process.
once() {
  local start end box
  start=$(date +%s%N)
  box=$(wine "$bin/tdriver.exe" --timeout 120 -- "$@" 2>/dev/null | head -1)
  end=$(date +%s%N)
  echo "$(echo "$box" | sed -n 's/.* MS \([0-9]*\):.*/\1/p') $(((end - start) / 1000000))"
}
status=0
for source in *.tvs; do
  wine "$bin/tdriver.exe" -- "$bin/TALVCOMP.EXE" "$source" /B >/dev/null 2>&1 || true
  code=${source%.tvs}.tvc
  # Both must end with the same checksum box (captions differ by design).
  expected=$(wine "$bin/tdriver.exe" --timeout 120 -- "$bin/TALVEN.EXE" "$source" 2>/dev/null | head -1 | sed 's/.*| //;s/ MS [0-9]*:/:/')
  got=$(wine "$bin/tdriver.exe" --timeout 120 -- "$bin/TLVRUN32.EXE" "$code" 2>/dev/null | head -1 | sed 's/.*| //;s/ MS [0-9]*:/:/')
  [ "$expected" = "$got" ] || { echo "$source: TALVEN says '$expected', TLVRUN32 '$got'"; status=1; }
  interpreted=999999999 compiled=999999999 interpretedWall=999999999 compiledWall=999999999
  for ((i = 0; i < runs; i++)); do
    read -r t w < <(once "$bin/TALVEN.EXE" "$source")
    [ "$t" -lt "$interpreted" ] && interpreted=$t; [ "$w" -lt "$interpretedWall" ] && interpretedWall=$w
    read -r t w < <(once "$bin/TLVRUN32.EXE" "$code")
    [ "$t" -lt "$compiled" ] && compiled=$t; [ "$w" -lt "$compiledWall" ] && compiledWall=$w
  done
  verdict=faster; [ "$compiled" -lt "$interpreted" ] || { verdict=SLOWER; status=1; }
  printf '%-21s TALVEN %6d ms (wall %6d)   TLVRUN32 %6d ms (wall %6d)   %s\n' "$source" \
    "$interpreted" "$interpretedWall" "$compiled" "$compiledWall" "$verdict"
done
exit $status
