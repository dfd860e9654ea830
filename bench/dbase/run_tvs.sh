#!/usr/bin/env bash
# The table steps in the language (dbase.tvs, 10,000 records) under Wine: run by TALVEN.EXE
# from its source and by TLVRUN32.EXE from its code file. Each prints its own step times
# in milliseconds. Build the Windows programs first.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine_env.sh"
bin=$top/build/windows/bin
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$top/bench/dbase/dbase.tvs" "$work/"
cd "$work"
wineserver -p 2>/dev/null || true
echo "TALVEN (source):"
wine "$bin/tdriver.exe" --timeout 300 -- "$bin/TALVEN.EXE" dbase.tvs 2>/dev/null | sed -n 's/^screen: /  /p'
rm -f BENCH.* BENCHN.*
wine "$bin/TALVCOMP.EXE" dbase.tvs /B >/dev/null 2>&1
echo "TLVRUN32 (compiled):"
wine "$bin/tdriver.exe" --timeout 300 -- "$bin/TLVRUN32.EXE" dbase.tvc 2>/dev/null | sed -n 's/^screen: /  /p'
