#!/usr/bin/env bash
# 64 MB through the byte files and COPY in TALVEN.EXE under Wine (warm wineserver), beside
# Wine's own `cmd /c copy` of the same file: 64 MB written by BLOCKWRITE and read back by
# BLOCKREAD in 32 KB blocks, and COPY of a 64 MB file. Prints the best wall time of RUNS
# runs of each, less the time of an empty program (or of `cmd /c exit`), and the ratio of
# COPY to `cmd /c copy` (goal: at most 1.25). Build first (cmake --build build/windows).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
runs=${RUNS:-3}
talven=$top/build/windows/bin/TALVEN.EXE
work=$(mktemp -d /tmp/talven_copy64.XXXXXX); trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'END\r\n' > leer.tvs
cat > bloecke.tvs <<'TVS'
DECLARE a#, i&, n&
DIM a#, 32768
ERASE #1
ASSIGN #1, "bloecke.bin"
OPENRW #1
WHILE i& < 2048
  BLOCKWRITE #1, a#, 0, 32768
  INC i&
WEND
SEEK #1, 0
i& = 0
WHILE i& < 2048
  n& = @BLOCKREAD(#1, a#, 0, 32768)
  INC i&
WEND
CLOSERW #1
END
TVS
printf 'COPY "quelle.bin" > "ziel.bin"\r\nEND\r\n' > kopie.tvs
head -c $((64 * 1024 * 1024)) /dev/urandom > quelle.bin
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true

best() {  # best wall time in ms of "$@" over $runs runs
  local min=999999999 start end t
  for ((r = 0; r < runs; r++)); do
    rm -f ziel.bin kopie2.bin bloecke.bin
    start=$(date +%s%N); "$@" >/dev/null 2>&1; end=$(date +%s%N)
    t=$(((end - start) / 1000000)); ((t < min)) && min=$t
  done
  echo $min
}
empty=$(best wine "$talven" leer.tvs)
cmd_empty=$(best wine cmd /c exit)
blocks=$(($(best wine "$talven" bloecke.tvs) - empty))
copy=$(($(best wine "$talven" kopie.tvs) - empty))
cmd_copy=$(($(best wine cmd /c copy /y quelle.bin kopie2.bin) - cmd_empty))
wine "$talven" kopie.tvs >/dev/null 2>&1
cmp -s quelle.bin ziel.bin || { echo "COPY's file differs from its source"; exit 1; }
printf 'BLOCKWRITE+BLOCKREAD 64 MB  %6d ms\n' "$blocks"
printf 'COPY 64 MB                  %6d ms\n' "$copy"
printf 'cmd /c copy 64 MB           %6d ms\n' "$cmd_copy"
printf 'COPY / cmd copy             %6.2f\n' "$(echo "$copy / $cmd_copy" | bc -l)"
