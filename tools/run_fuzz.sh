#!/usr/bin/env bash
# Replays a fuzz target's corpus, then fuzzes briefly; new inputs go to a scratch folder.
bin=${1:?fuzz binary}; corpus=${2:?corpus folder}; seconds=${3:-10}
scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT
"$bin" -runs=0 "$corpus" 2>&1 | tail -1 || exit 1
"$bin" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 "$scratch" "$corpus" 2>&1 | tail -1
