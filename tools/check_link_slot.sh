#!/usr/bin/env bash
# The runtime module holds 0 in bytes 128..131 (where a linked program keeps its code
# offset) and its PE header still stands where e_lfanew says.
exe=${1:?TLVRUN32.EXE}
slot=$(od -A n -t x1 -j 128 -N 4 "$exe" | tr -d ' ')
lfanew=$(od -A n -t u4 -j 60 -N 4 "$exe" | tr -d ' ')
sig=$(od -A n -t x1 -j "$lfanew" -N 4 "$exe" | tr -d ' ')
[ "$slot" = "00000000" ] || { echo "bytes 128..131 are $slot"; exit 1; }
[ "$sig" = "50450000" ] || { echo "no PE signature at e_lfanew $lfanew"; exit 1; }
echo "link slot free, PE header at $lfanew"
