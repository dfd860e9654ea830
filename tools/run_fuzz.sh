#!/usr/bin/env bash
# Replays a fuzz target's corpus, then fuzzes briefly; new inputs go to a scratch folder.
# Fails when an input crashes, leaks, takes longer than 5 s or grows past 1 GB: a statement
# that loops inside itself fails here at once, not only in long runs.
set -o pipefail
bin=${1:?fuzz binary}; corpus=${2:?corpus folder}; seconds=${3:-10}
scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/new"; cd "$scratch" || exit 1
timeout 300 "$bin" -runs=0 -timeout=5 -rss_limit_mb=1024 "$corpus" > replay.log 2>&1 || { tail -40 replay.log; exit 1; }
tail -1 replay.log
timeout $((seconds + 120)) "$bin" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 -max_len=4096 \
  -print_final_stats=0 "$scratch/new" "$corpus" > fuzz.log 2>&1 </dev/null
status=$?
[ $status -eq 0 ] || { grep -v -E '^#[0-9]+' fuzz.log | tail -40; exit 1; }
tail -1 fuzz.log
