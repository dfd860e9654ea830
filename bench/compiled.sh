#!/usr/bin/env bash
# The benchmark programs under Wine, each run by TALVEN.EXE from its source and by
# TLVRUN32.EXE from its code file (compiled by TALVCOMP /B first). The programs end with a
# box that carries their checksum; the test driver answers it. Prints the mean wall time
# of each over RUNS runs and whether the runtime was faster; both must end with the same
# checksum. Build first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
runs=${RUNS:-3}
bin=$top/build/windows/bin
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$top"/bench/*.tvs "$work"/
cd "$work"
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
mean() {
  local total=0 start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N); wine "$bin/tdriver.exe" --timeout 120 -- "$@" >/dev/null 2>&1; end=$(date +%s%N)
    total=$((total + end - start))
  done
  echo "$total / $runs / 1000000" | bc
}
status=0
for source in *.tvs; do
  wine "$bin/tdriver.exe" -- "$bin/TALVCOMP.EXE" "$source" /B >/dev/null 2>&1 || true
  code=${source%.tvs}.tvc
  # Both must end with the same checksum box (captions differ by design).
  expected=$(wine "$bin/tdriver.exe" --timeout 120 -- "$bin/TALVEN.EXE" "$source" 2>/dev/null | head -1 | sed 's/.*| //')
  got=$(wine "$bin/tdriver.exe" --timeout 120 -- "$bin/TLVRUN32.EXE" "$code" 2>/dev/null | head -1 | sed 's/.*| //')
  [ "$expected" = "$got" ] || { echo "$source: TALVEN says '$expected', TLVRUN32 '$got'"; status=1; }
  interpreted=$(mean "$bin/TALVEN.EXE" "$source")
  compiled=$(mean "$bin/TLVRUN32.EXE" "$code")
  verdict=faster; [ "$compiled" -lt "$interpreted" ] || { verdict=SLOWER; status=1; }
  printf '%-16s TALVEN %7d ms   TLVRUN32 %7d ms   %s\n' "$source" "$interpreted" "$compiled" "$verdict"
done
exit $status
