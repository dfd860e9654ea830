#!/usr/bin/env bash
# The profile the Windows build is optimised by. Instrumented programs (preset profile,
# build/profile) run the language benchmarks at a tenth of their size, in fast and in
# normal mode, under Wine: TALVEN.EXE from the source, TALVCOMP.EXE compiles each and
# TLVRUN32.EXE runs the code file (the engine's objects serve both, and each takes paths
# of its own). The counts they leave next to their objects are copied next to the same
# objects of build/windows, whose compiler reads them (TALVEN_PROFILE=use). The training
# runs again only when an instrumented program changed. A failure costs
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
cmake --build "$gen" --target talven talvcomp tlvrun32 -j"$(nproc)" >"$gen.log" 2>&1 ||
  give_up "building the instrumented programs failed (see $gen.log)"

stamp=$gen/trained
changed=no
for program in TALVEN TALVCOMP TLVRUN32; do
  [ "$gen/bin/$program.EXE" -nt "$stamp" ] && changed=yes
done
if [ ! -e "$stamp" ] || [ $changed = yes ]; then
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
     timeout 120 wine "$top/$gen/bin/TALVEN.EXE" "$program" >/dev/null 2>&1 &&
       timeout 120 wine "$top/$gen/bin/TALVCOMP.EXE" "$program" /B >/dev/null 2>&1 &&
       timeout 120 wine "$top/$gen/bin/TLVRUN32.EXE" "${program%.tvs}.tvc" >/dev/null 2>&1 ||
       { echo "profile: $program did not end cleanly" >&2; exit 1; }
   done) || give_up "the training runs failed"
  [ -n "$(find "$gen" -name '*.gcda' -print -quit)" ] || give_up "the training left no counts"
  touch "$stamp"
fi

# Next to the objects of the same names in the Windows build.
(cd "$gen" && find . -name '*.gcda' -print0) | while IFS= read -r -d '' counts; do
  mkdir -p "$use/$(dirname "$counts")"
  cp -p "$gen/$counts" "$use/$counts"
done
echo "profile: $(find "$gen" -name '*.gcda' | wc -l) count files for $use"
