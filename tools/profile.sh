#!/usr/bin/env bash
# The profile the Windows build is optimised by. An instrumented TALVEN.EXE (preset
# profile, build/profile) runs the language benchmarks at a tenth of their size, in fast
# and in normal mode, under Wine. The counts it leaves next to its objects are copied next
# to the same objects of build/windows, whose compiler reads them (TALVEN_PROFILE=use);
# TLVRUN32.EXE and the other programs share those objects. Training the runtime too (its
# code files, run by an instrumented TLVRUN32.EXE) made the interpreter up to 15 % slower
# on some benchmarks, the runtime no faster than the interpreter: it is left out. The
# training runs again only when the instrumented program changed. A failure costs
# only the optimisation: the script says so and the build goes on without counts.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
source tools/wine_env.sh
gen=build/profile
use=build/windows

give_up() {
  echo "profile: $* — the Windows build goes on without a profile" >&2
  exit 0
}

mkdir -p build
cmake --preset profile >/dev/null || give_up "configuring the instrumented build failed"
cmake --build "$gen" --target talven -j"$(nproc)" >"$gen.log" 2>&1 ||
  give_up "building the instrumented TALVEN.EXE failed (see $gen.log)"

stamp=$gen/trained
if [ ! -e "$stamp" ] || [ "$gen/bin/TALVEN.EXE" -nt "$stamp" ]; then
  rm -f "$stamp"
  find "$gen" -name '*.gcda' -delete
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  for tvs in bench/*.tvs; do
    name=$(basename "$tvs" .tvs)
    # A tenth of each loop; the program ends with END instead of its checksum box.
    sed -e 's/^\(WHILE i% < [0-9]*\)0$/\1/; s/1048576/104858/g; s/WHILE r% < 50/WHILE r% < 5/' \
        -e 's/^fib 25/fib 20/' \
        -e 's/^GOTO "summe " + c\$$/END/' "$tvs" > "$work/$name.tvs"
    sed 's/^SETERRORLEVEL 1/SETERRORLEVEL -2/' "$work/$name.tvs" > "$work/${name}_fast.tvs"
  done
  # The counts are written when each program ends; the programs run where they may
  # write (bytefile.bin).
  (cd "$work" && for program in *.tvs; do
     timeout 120 wine "$top/$gen/bin/TALVEN.EXE" "$program" >/dev/null 2>&1 ||
       { echo "profile: $program did not end cleanly" >&2; exit 1; }
   done) || give_up "the training runs failed"
  [ -n "$(find "$gen" -name '*.gcda' -print -quit)" ] || give_up "the training left no counts"
  touch "$stamp"
fi

# Next to the objects of the same names in the Windows build, in place of any earlier.
[ -d "$use" ] && find "$use" -name '*.gcda' -delete
(cd "$gen" && find . -name '*.gcda' -print0) | while IFS= read -r -d '' counts; do
  mkdir -p "$use/$(dirname "$counts")"
  cp -p "$gen/$counts" "$use/$counts"
done
echo "profile: $(find "$gen" -name '*.gcda' | wc -l) count files for $use"
