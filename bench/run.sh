#!/usr/bin/env bash
# The language benchmarks: each program natively, through TALVEN.EXE under Wine in fast
# mode (SETERRORLEVEL -2) and in normal mode, and the same algorithm in yabasic, in
# brandy (Debian packages) and in python3. Every Talven program ends with its checksum in a box, which
# the test driver answers; the time of a program that shows that box at once is taken
# off the Wine times. Prints the best of RUNS runs in milliseconds.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
runs=${RUNS:-5}
bin=${BIN:-$top/build/windows/bin}
native=$top/build/native/bench/run_bench
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
# Every program runs in the temporary folder: what they write (bytefile.bin, summe.txt)
# stays out of the tree.
cd "$work"

best() {  # best wall time in ms of "$@", over $runs runs
  local min=999999999 start end t
  for ((r = 0; r < runs; r++)); do
    start=$(date +%s%N); "$@" >/dev/null 2>&1; end=$(date +%s%N)
    t=$(((end - start) / 1000000)); ((t < min)) && min=$t
  done
  echo $min
}
wine_run() { (cd "$work" && wine "$bin/tdriver.exe" --timeout 120 --answer ok -- "$bin/TALVEN.EXE" "$1"); }

printf 'GOTO "summe"\r\n' > "$work/baseline.tvs"
wine cmd /c exit >/dev/null 2>&1
base=$(best wine_run baseline.tvs)
brandy_run() { (cd "$work" && SDL_VIDEODRIVER=dummy brandy -quit "$1"); }
printf '%-16s %9s %9s %9s %9s %9s %9s   %s\n' benchmark native wine-fast wine-norm yabasic brandy python3 checksum
for tvs in "$top"/bench/*.tvs; do
  name=$(basename "$tvs" .tvs)
  sed 's/^SETERRORLEVEL 1/SETERRORLEVEL -2/' "$tvs" > "$work/${name}_fast.tvs"
  cp "$tvs" "$work/${name}_normal.tvs"
  checksum=$("$native" "$tvs" | sed 's/.*Label nicht gefunden: SUMME //; s/:$//')
  yab=$(yabasic "$top/bench/yabasic/$name.yab" | sed 's/summe //')
  rm -f "$work/summe.txt"; brandy_run "$top/bench/brandy/$name.bas" >/dev/null 2>&1
  bbc=$(sed 's/summe //' "$work/summe.txt" 2>/dev/null)
  py=$(python3 "$top/bench/python/$name.py" | sed 's/summe //')
  [[ "$checksum" == "$yab" && "$checksum" == "$bbc" && "$checksum" == "$py" ]] && checksum="$checksum (all agree)" ||
    checksum="$checksum (yabasic $yab, brandy $bbc, python3 $py)"
  n=$(best "$native" "$work/${name}_fast.tvs")
  f=$(($(best wine_run "${name}_fast.tvs") - base))
  m=$(($(best wine_run "${name}_normal.tvs") - base))
  y=$(best yabasic "$top/bench/yabasic/$name.yab")
  b=$(best brandy_run "$top/bench/brandy/$name.bas")
  p=$(best python3 "$top/bench/python/$name.py")
  printf '%-16s %9d %9d %9d %9d %9d %9d   %s\n' "$name" "$n" "$f" "$m" "$y" "$b" "$p" "$checksum"
done
