#!/usr/bin/env bash
# The language benchmarks: each program natively, through TALVEN.EXE under Wine in fast
# mode (SETERRORLEVEL -2) and in normal mode, and the same algorithm in yabasic, in
# brandy (Debian packages) and in python3. Every Talven program ends with its checksum in a
# box, which the test driver answers. Under Wine each program measures itself: a copy takes
# &GETTICKCOUNT at its start and puts the elapsed milliseconds behind the checksum, so the
# start of a Wine process (which alone varies by tens of milliseconds) is not part of the
# figure. The peers are timed from outside, with the start of an empty program of each taken
# off. Prints the best of RUNS runs in milliseconds, then each peer's time over TALVEN's
# fast time and their geometric mean.
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
# The milliseconds a program under Wine measured itself, best of $runs.
inside() {
  local min=999999999 t
  for ((r = 0; r < runs; r++)); do
    t=$(wine "$bin/tdriver.exe" --timeout 120 --answer ok -- "$bin/TALVEN.EXE" "$1" 2>/dev/null |
          head -1 | sed -n 's/.* MS \([0-9]*\).*/\1/p')
    [ -n "$t" ] && ((t < min)) && min=$t
  done
  echo $min
}
timed() {  # the program with its own clock around it
  sed -e '1a DECLARE zeit&\nzeit& = &GETTICKCOUNT' \
      -e 's/^GOTO "summe " + c\$$/zeit\& = \&GETTICKCOUNT - zeit\&\nGOTO "summe " + c$ + " ms " + zeit\&/' "$1"
}
brandy_run() { (cd "$work" && SDL_VIDEODRIVER=dummy brandy -quit "$1"); }

wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1
printf 'x = 1\n' > empty.yab; printf 'END\n' > empty.bas; printf 'pass\n' > empty.py
yab0=$(best yabasic empty.yab); bbc0=$(best brandy_run "$work/empty.bas"); py0=$(best python3 empty.py)
echo "start of an empty program taken off: yabasic $yab0 ms, brandy $bbc0 ms, python3 $py0 ms"
printf '%-16s %9s %9s %9s %9s %9s %9s %8s %8s   %s\n' benchmark native wine-fast wine-norm \
  yabasic brandy python3 norm/fast peer/fast checksum
ratios=()
for tvs in "$top"/bench/*.tvs; do
  name=$(basename "$tvs" .tvs)
  sed 's/^SETERRORLEVEL 1/SETERRORLEVEL -2/' "$tvs" > "$work/${name}_fast.tvs"
  timed "$work/${name}_fast.tvs" > "$work/${name}_fast_timed.tvs"
  timed "$tvs" > "$work/${name}_normal_timed.tvs"
  checksum=$("$native" "$tvs" | sed 's/.*Label nicht gefunden: SUMME //; s/:$//')
  yab=$(yabasic "$top/bench/yabasic/$name.yab" | sed 's/summe //')
  rm -f "$work/summe.txt"; brandy_run "$top/bench/brandy/$name.bas" >/dev/null 2>&1
  bbc=$(sed 's/summe //' "$work/summe.txt" 2>/dev/null)
  py=$(python3 "$top/bench/python/$name.py" | sed 's/summe //')
  [[ "$checksum" == "$yab" && "$checksum" == "$bbc" && "$checksum" == "$py" ]] && checksum="$checksum (all agree)" ||
    checksum="$checksum (yabasic $yab, brandy $bbc, python3 $py)"
  n=$(best "$native" "$work/${name}_fast.tvs")
  f=$(inside "${name}_fast_timed.tvs")
  m=$(inside "${name}_normal_timed.tvs")
  y=$(($(best yabasic "$top/bench/yabasic/$name.yab") - yab0))
  b=$(($(best brandy_run "$top/bench/brandy/$name.bas") - bbc0))
  p=$(($(best python3 "$top/bench/python/$name.py") - py0))
  peer=$((y < b ? y : b))
  ratio=$(echo "scale=2; $peer / ($f + 0.5)" | bc)
  ratios+=("$ratio")
  printf '%-16s %9d %9d %9d %9d %9d %9d %8s %8s   %s\n' "$name" "$n" "$f" "$m" "$y" "$b" "$p" \
    "$(echo "scale=2; $m / ($f + 0.5)" | bc)" "$ratio" "$checksum"
done
echo "geometric mean of better peer / TALVEN fast: $(printf '%s\n' "${ratios[@]}" |
  awk '{ s += log($1) } END { printf "%.2f", exp(s / NR) }')"
