#!/bin/sh
# Instruction counts of the native engine on the language benchmarks, cut to 1/20 of their
# loop counts (arrays: 3 passes, recursion: fib 17), by callgrind. Counts move by well under
# 1 % between runs, where wall times on a shared machine move by tens of percent.
#   bench/profile.sh [build/native] [benchmark ...]
# Prints "name instructions"; with KEEP=dir the callgrind files stay in dir for
# callgrind_annotate.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/native}" && pwd)
[ $# -gt 0 ] && shift
names=${*:-"int_loop float_math arrays gosub strings string_functions recursion procedures def_function bytefile"}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=${KEEP:-$work}
mkdir -p "$out"
for name in $names; do
  sed -e 's/3000000/150000/; s/2000000/100000/; s/1000000/50000/; s/300000/15000/' \
      -e 's/1048576/131072/g; s/WHILE r% < 50/WHILE r% < 3/; s/^fib 25/fib 17/' \
      -e 's/^SETERRORLEVEL 1/SETERRORLEVEL -2/' \
      "$here/$name.tvs" > "$work/$name.tvs"
  (cd "$work" && valgrind --tool=callgrind --callgrind-out-file="$out/$name.cg" \
      "$build/bench/run_bench" "$name.tvs" >/dev/null 2>"$work/$name.log") || {
    cat "$work/$name.log" >&2
    exit 1
  }
  count=$(sed -n 's/^==[0-9]*== Collected : //p' "$work/$name.log")
  echo "$name $count"
done
