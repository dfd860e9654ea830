#!/usr/bin/env bash
# Palette realisation on a 256-colour display (tools/on_8bit_display.sh). LOADBMP of an
# 8-bit picture whose table holds 150 blues realises them; a 24-bit picture realises none.
# Wine's palette trace tells what was realised (its window surfaces dither on the screen,
# so pixels cannot tell).
#   graphics_palette.sh WINDOWS_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools/wine_env.sh"
export WINEPREFIX=$WINEPREFIX-display
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# 16 x 16 pixels, 8 bits, a table of 256 entries: blues 100 ... 249, the rest repeating 249.
python3 - "$work/blau.bmp" <<'PY'
import struct, sys
w = h = 16
table = b''.join(struct.pack('<BBBB', 100 + min(i, 149), 0, 0, 0) for i in range(256))
rows = b''.join(bytes((x + y * 16) % 150 for x in range(w)) for y in range(h))
offset = 14 + 40 + len(table)
header = b'BM' + struct.pack('<IHHI', offset + len(rows), 0, 0, offset)
info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
open(sys.argv[1], 'wb').write(header + info + table + rows)
PY
cp "$here/fixtures/bmp/im_24bit.bmp" "$work/bunt.bmp"
printf 'LOADBMP "blau.bmp", 10, 10; 0\r\nPRINT "blau"\r\n' > "$work/blau.tvs"
printf 'LOADBMP "bunt.bmp", 10, 10; 0\r\nPRINT "bunt"\r\n' > "$work/bunt.tvs"
cp "$bin/TALVEN.EXE" "$bin/tdriver.exe" "$work/"

cat > "$work/palette.sh" <<'INNER'
for name in blau bunt; do
  WINEDEBUG=+palette wine tdriver.exe --timeout 60 -- TALVEN.EXE "$name.tvs" > "$name.out" 2> "$name.trace"
done
INNER
bash "$here/../tools/on_8bit_display.sh" "$work" "$work/palette.sh"
grep -A4 'default visual id' "$work/visual.txt" | grep -q 'PseudoColor' || fail "no 8-bit PseudoColor display"
for name in blau bunt; do
  [ "$(tr -d '\r' < "$work/$name.out")" = "$(printf 'screen: %s\nexit: 0' "$name")" ] \
    || fail "$name run: $(tr -d '\r' < "$work/$name.out")"
done
grep -aq 'realized 150 colors' "$work/blau.trace" && echo "ok: the picture's 150 blues are realised" \
  || fail "blues not realised: $(grep -a -m3 'realized' "$work/blau.trace")"
grep -aq 'realized [1-9][0-9]* colors' "$work/bunt.trace" \
  && fail "a 24-bit picture realised a palette: $(grep -a -m1 'realized' "$work/bunt.trace")" \
  || echo "ok: no palette for a 24-bit picture"
echo "failures: $failures"
[ "$failures" -eq 0 ]
