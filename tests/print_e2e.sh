#!/usr/bin/env bash
# Printing under Wine to a real CUPS queue (cups-pdf): a two-page job with text and a
# diagonal, a screen copy of the window's shapes, and the same without any printer (235).
# Needs root (cupsd, lpadmin); the cupsd it starts is stopped again by its own pid. The
# job's PDF lands in ~/PDF (cups-pdf's "Out ${HOME}/PDF").
#   tests/print_e2e.sh WINDOWS_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
source "$top/tests/support/cups.sh"
cups_test_begin || exit 0
failed=0
fail() { echo "FAIL $*"; failed=$((failed + 1)); }
close_window=$'DECLARE Z%\r\nZ% = @DESTROYWINDOW(%HWND)\r\nPRINT 1\r\n'
run() {  # program file -> exit code
  (cd "$work" && timeout 60 wine "$bin/TALVEN.EXE" "$1" >/dev/null 2>&1)
}

# Without a reachable printer STARTPRINT fails with 235; at error level -1 the program goes on
# and writes the number down (a stop box would wait for a user).
wineserver -k 2>/dev/null; sleep 0.5
printf 'SETERRORLEVEL -1\r\nSTARTPRINT\r\nDECLARE N%%\r\nN%% = %%ERRNUMBER\r\nASSIGN #1, "none.txt"\r\nREWRITE #1\r\nPRINT #1, N%%\r\nCLOSE #1\r\n%s' \
  "$close_window" > "$work/none.tvs"
CUPS_SERVER=127.0.0.1:9 run none.tvs
grep -q "235" "$work/none.txt" 2>/dev/null || fail "no printer: not 235 ($(cat "$work/none.txt" 2>/dev/null))"

# A queue of our own on a cupsd of our own (Wine reads the printers when it starts).
cups_start
wineserver -k 2>/dev/null; sleep 0.5

# Page 1 the text, page 2 the diagonal across the printable 7 1/3 x 11 inches.
printf 'STARTPRINT "Bericht"\r\nUSEFONT "Arial", 20, 0, 0, 0, 0\r\nDRAWTEXT 10, 10, "Talven Druck \xc4\xd6\xdc"\r\nNEXTPAGE\r\nLINE 0,0-640,960\r\nENDPRINT\r\n%s' \
  "$close_window" > "$work/job.tvs"
run job.tvs
if wait_pdf 1; then
  pdf=$(newest_pdf)
  pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
  [ "$pages" = 2 ] || fail "job: $pages pages, not 2"
  pdftotext -f 1 -l 1 "$pdf" - | grep -q "Talven Druck ÄÖÜ" || fail "job: text missing on page 1"
  # At 30 dpi the line ends 7 1/3 x 11 inches from the page's printable corner.
  pdftoppm -r 30 -gray -f 2 -l 2 "$pdf" "$work/line"
  python3 - "$work"/line*.pgm <<'PY' || fail "job: the diagonal does not span 220 x 330 pixels"
import sys
data = open(sys.argv[1], 'rb').read().split(b'\n', 3)
w, h = map(int, data[1].split()); pixels = data[3]
dark = [(i % w, i // w) for i, p in enumerate(pixels[:w * h]) if p < 128]
xs = [x for x, _ in dark]; ys = [y for _, y in dark]
span = (max(xs) - min(xs), max(ys) - min(ys))
sys.exit(0 if abs(span[0] - 220) <= 4 and abs(span[1] - 330) <= 4 else 1)
PY
else
  fail "job: no PDF"
fi

# A screen copy: one page named "ScreenCopy" showing the window's filled rectangle.
printf 'USEBRUSH 1, 0\r\nRECTANGLE 100,100-300,200\r\nSCREENCOPY\r\n%s' "$close_window" > "$work/copy.tvs"
run copy.tvs
if wait_pdf 2; then
  pdf=$(newest_pdf)
  pdfinfo "$pdf" | grep -q "^Title: *ScreenCopy" || fail "screen copy: title"
  [ "$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')" = 1 ] || fail "screen copy: pages"
  pdftoppm -r 30 -gray "$pdf" "$work/copy"
  python3 - "$work"/copy*.pgm <<'PY' || fail "screen copy: the rectangle is not in place"
import sys
data = open(sys.argv[1], 'rb').read().split(b'\n', 3)
w, h = map(int, data[1].split()); pixels = data[3]
# 640 window pixels span 7 1/3 inches (220 pixels at 30 dpi): the rectangle 100,100-300,200
# is 34,34-103,69 on the page; around it the window is white.
at = lambda x, y: pixels[y * w + x]
inside = all(at(x, y) < 128 for x, y in [(37, 37), (100, 66), (68, 50)])
outside = all(at(x, y) > 128 for x, y in [(30, 30), (107, 50), (68, 73), (10, 120)])
sys.exit(0 if inside and outside else 1)
PY
else
  fail "screen copy: no PDF"
fi

[ -n "${KEEP_PDF:-}" ] && cp "$(newest_pdf)" /tmp/last_copy.pdf
wineserver -k 2>/dev/null
cups_stop
[ "$failed" -eq 0 ] && echo "print_e2e: all passed"
exit "$failed"
