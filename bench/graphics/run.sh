#!/usr/bin/env bash
# bench/graphics: the drawing steps of graphics.tvs (100,000 SETPIXEL, 20,000 LINE, 2,000
# transparent 32 x 32 MCOPYBMP, 200 LOADBMP and 100 SAVEBMP of 640 x 480, 20,000 rounds of
# LOADBMP/USEPEN/@CREATEFONT+DELETEOBJECT) under Wine, run by TALVEN.EXE from its source
# and by TLVRUN32.EXE from its code file; beside them gdi_floor (the same GDI calls from a
# C++ loop, built here with mingw-w64) and ImageMagick converting the same picture.
# Prints milliseconds per step. Build the Windows programs first. Not part of ./test.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine_env.sh"
bin=${BIN:-$top/build/windows/bin}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$top/bench/graphics/graphics.tvs" .
convert -size 640x480 gradient:red-blue -type truecolor BMP3:BENCH.BMP
convert -size 1x1 xc:'#00FF00' -type truecolor BMP3:DOT.BMP
i686-w64-mingw32-g++ -std=c++20 -O2 -static -o gdi_floor.exe "$top/bench/graphics/win32/gdi_floor.cpp" -lgdi32 -luser32
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true

run_program() {  # label, program and its file: the step lines the window shows at the end
  echo "$1:"
  wine "$bin/tdriver.exe" --timeout 900 -- "$2" "$3" 2>/dev/null | sed -n 's/^screen: \(..*\)/  \1/p'
}
run_program "TALVEN (source)" "$bin/TALVEN.EXE" graphics.tvs
wine "$bin/TALVCOMP.EXE" graphics.tvs /B >/dev/null 2>&1
run_program "TLVRUN32 (compiled)" "$bin/TLVRUN32.EXE" graphics.tvc
echo "floor (C++, the same GDI calls):"
wine ./gdi_floor.exe 2>/dev/null | sed 's/^/  /'
echo "ImageMagick (convert BENCH.BMP to a BMP file, 20 times):"
start=$(date +%s%N)
for i in $(seq 20); do convert BENCH.BMP BMP3:CONVERTED.BMP; done
end=$(date +%s%N)
echo "  convert 20 $(((end - start) / 1000000)) ms"
