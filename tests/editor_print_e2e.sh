#!/usr/bin/env bash
# TALVED32's printing under Wine to a real CUPS queue (cups-pdf), driven by eddriver: a whole
# listing ("%6d: " before each line), the selection only (blanks before its start column), a
# page range, the printer set-up dialog with the queue; and without any printer the box
# "Drucken ist nicht möglich!".
#   tests/editor_print_e2e.sh WINDOWS_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
source "$top/tests/support/cups.sh"
cups_test_begin || exit 0
passed=0; failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAIL $1"; shift; [ $# -gt 0 ] && printf '%s\n' "$@"; failed=$((failed + 1)); }
win() { local p=${1//\//\\}; echo "Z:$p"; }
drive() {
  wine "$bin/eddriver.exe" --timeout 60 "$@" > "$work/drive.txt" 2>/dev/null
  tr -d '\r' < "$work/drive.txt"
}
cd "$work" || exit 1
cp "$bin/TALVED32.EXE" .
rm -f "$WINEPREFIX/drive_c/windows/TALVED32.INI"
printf 'PRINT "eins"\r\n  INC A%%\r\nEND\r\n' > short.tvs
for i in $(seq 1 200); do printf 'PRINT %d\r\n' "$i"; done > long.tvs
dir=$(win "$PWD")

# No printer reachable: printing and printer set-up both show the box.
wineserver -k 2>/dev/null; sleep 0.5
out=$(CUPS_SERVER=127.0.0.1:9 drive --step 'menu:Datei/Drucken...' --step 'menu:Datei/Drucker einrichten...' \
  --step close -- "$dir\\TALVED32.EXE" short.tvs)
nobox=$(printf 'box: icon ok | ZUL-TALVEN-Editor 6.2-32 | Drucken ist nicht m\xF6glich!')
[ "$(grep -caxF -- "$nobox" <<<"$out")" = 2 ] && pass || fail no-printer "$out"

cups_start
wineserver -k 2>/dev/null; sleep 0.5
pdf_count=0
printed() {  # name -> the newest PDF's text, laid out; fails the test when no PDF came
  pdf_count=$((pdf_count + 1))
  if ! wait_pdf "$pdf_count"; then fail "$1: no PDF"; return 1; fi
  pdftotext -layout "$(newest_pdf)" - 2>/dev/null
}

# Printer set-up with a printer: the system's set-up dialog shows the queue in its printer
# list (cmb1), no box; OK prints nothing.
out=$(drive --step 'menu:Datei/Drucker einrichten...' --answer 'dlg:report:1136;1' --step close -- "$dir\\TALVED32.EXE" short.tvs)
grep -qa '^dialog: ' <<<"$out" && pass || fail setup-dialog "$out"
grep -qaxF 'field 1136: PDF' <<<"$out" && pass || fail setup-printer "$out"
grep -qa '^box: ' <<<"$out" && fail setup-no-box "$out" || pass
[ -z "$(newest_pdf 2>/dev/null)" ] && pass || fail setup-prints-nothing "$(ls "$HOME/PDF")"

# The whole listing.
drive --step 'menu:Datei/Drucken...' --answer 'print:all' --step close -- "$dir\\TALVED32.EXE" short.tvs > /dev/null
if text=$(printed listing); then
  for line in '1: PRINT "eins"' '2:   INC A%' '3: END'; do
    grep -qE "^ *${line//\"/\\\"}\$" <<<"$text" && pass || fail "listing: [$line]" "$text"
  done
fi

# The selection only: from line 2, column 5 to line 3, column 3; blanks stand before its start.
drive --step 'keys:ctrl+home down right right right right shift+down shift+left' --step 'menu:Datei/Drucken...' \
  --answer 'print:selection' --step close -- "$dir\\TALVED32.EXE" short.tvs > /dev/null
if text=$(printed selection); then
  # "  INC A%" from column 5: its first four characters are blanks (pdftotext may add one).
  grep -qE '^ *2: {5,6}C A%$' <<<"$text" && pass || fail selection-first "$text"
  grep -qE '^ *3: EN$' <<<"$text" && pass || fail selection-last "$text"
  grep -q 'eins' <<<"$text" && fail selection-only "$text" || pass
fi

# A page range: page 2 alone, which neither starts with line 1 nor is empty.
drive --step 'menu:Datei/Drucken...' --answer 'print:2-2' --step close -- "$dir\\TALVED32.EXE" long.tvs > /dev/null
if text=$(printed range); then
  pages=$(pdfinfo "$(newest_pdf)" | awk '/^Pages:/ {print $2}')
  [ "$pages" = 1 ] && pass || fail "range: $pages pages"
  first=$(grep -m1 -oE '^ *[0-9]+: PRINT [0-9]+$' <<<"$text" | awk '{print $1}')
  [ -n "$first" ] && [ "${first%:}" -gt 1 ] && pass || fail "range: first line [$first]" "$text"
fi

wineserver -k 2>/dev/null
cups_stop
echo "editor print e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
