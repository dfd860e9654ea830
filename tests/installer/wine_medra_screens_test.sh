#!/usr/bin/env bash
# MEDRA32's main screens on a display (Xvfb), compared with reference pictures: the target
# dialog over the background, the background alone (headlines over the blue bands), and the
# progress window at 30 % while a question waits (the question moved off the screen for the
# picture). Up to 32 pixels may differ (the edit field's caret blinks). `--update` writes the
# references instead.
# Then the bands on a 256-colour display (Xvfb's 8-bit PseudoColor visual): their 129-entry
# palette is realised, and none with [Medra] NoPalette.
#   wine_medra_screens_test.sh WIN_BIN_DIR SCREENS_DIR [--update]
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd); screens=$(cd "${2:?screens folder}" && pwd); update=${3:-}
top=$(cd "$(dirname "$0")/../.." && pwd)
: "${WINEPREFIX:?WINEPREFIX must be set}"
command -v xvfb-run >/dev/null && command -v compare >/dev/null || { echo "no Xvfb or ImageMagick: skipped"; exit 0; }
export WINEPREFIX=$WINEPREFIX-display WINEARCH=win32 WINEDEBUG=-all
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cp "$bin/MEDRA32.EXE" "$bin/MED32ENG.DLL" "$bin/MED32DEU.DLL" "$bin/tdriver.exe" "$work/"
printf 'Lies mich\r\n' > "$work/README.TXT"
printf 'Extra\r\n' > "$work/EXTRA.TXT"
# (Not maximised: without a window manager Xvfb shows a maximised window only at its first
# size.)
printf '%s\r\n' '[Medra]' 'Title = "Talven Setup"' 'Headline = "Talven 1.0"' 'Subline = "Die Programmierumgebung"' \
  'NoMaximize = 1' '[data]' 'DefDir = C:\MEDRA_BILD' '[Files]' '#Basis, 0:' '?Extras, 0:' \
  '[Basis]' 'README.TXT, "Liesmich", 30' '[Extras]' 'EXTRA.TXT, "Extras", 70' > "$work/MEDRA.INF"
sed 's/^\[Medra\]/[Medra]\r\nNoPalette = 1/' "$work/MEDRA.INF" > "$work/NOPAL.INF"

# One run: the driver's pictures are taken at the target dialog and at the question.
cat > "$work/shots.sh" <<'INNER'
cd "$1"
wine cmd /c exit >/dev/null 2>&1
rm -rf "$WINEPREFIX/drive_c/MEDRA_BILD"
wine tdriver.exe --timeout 60 --answer shot:target.bmp --answer shot-behind:background.bmp --answer 'dlg:1' \
  --answer shot-behind:progress.bmp --answer no --answer ok -- MEDRA32.EXE > shots.out 2>&1
rm -rf "$WINEPREFIX/drive_c/MEDRA_BILD"
wineserver -k
INNER
wineserver -k 2>/dev/null
timeout 150 xvfb-run -a -s "-screen 0 800x600x24" bash "$work/shots.sh" "$work" >/dev/null 2>&1
grep -q '^exit: 1' "$work/shots.out" || fail "the run on the display: $(tr -d '\r' < "$work/shots.out")"
for name in target background progress; do
  if [ ! -f "$work/$name.bmp" ]; then
    fail "no picture $name"
  elif [ "$update" = "--update" ]; then
    convert "$work/$name.bmp" "$screens/medra_$name.png" && echo "updated medra_$name"
  else
    differing=$(compare -metric AE "$screens/medra_$name.png" "$work/$name.bmp" "$work/$name-diff.png" 2>&1 >/dev/null)
    if [[ "$differing" =~ ^[0-9]+$ ]] && [ "$differing" -le 32 ]; then
      echo "ok: $name ($differing pixels differ)"
    else
      cp "$work/$name.bmp" "$screens/medra_$name.actual.bmp"
      fail "$name: $differing pixels differ (see $screens/medra_$name.actual.bmp)"
    fi
  fi
done

# The palette on an 8-bit display, with Wine's private colour map (its shared one realises
# no colours at all): the bands' 129 blues are realised, and with [Medra] NoPalette none
# are. Wine's palette trace tells what was realised: its window surfaces still dither the
# bands on the screen, so the pixels cannot tell.
cp "$work/MEDRA.INF" "$work/PAL.INF"
cat > "$work/palette.sh" <<'INNER'
for script in PAL NOPAL; do
  cp "$script.INF" MEDRA.INF
  WINEDEBUG=+palette wine tdriver.exe --timeout 60 --answer 'dlg:2' --answer yes -- MEDRA32.EXE \
    > "$script.out" 2> "$script.trace"
done
INNER
bash "$top/tools/on_8bit_display.sh" "$work" "$work/palette.sh"
if command -v xdpyinfo >/dev/null; then
  grep -A4 'default visual id' "$work/visual.txt" | grep -q 'PseudoColor' && grep -q 'depth of root window: *8 planes' "$work/visual.txt" \
    && echo "ok: an 8-bit PseudoColor display" || fail "no 8-bit PseudoColor display"
fi
check_run() { grep -q '^exit: 1' "$work/$1.out" || fail "$1 run: $(tr -d '\r' < "$work/$1.out")"; }
check_run PAL; check_run NOPAL
grep -q 'realized 129 colors' "$work/PAL.trace" && echo "ok: the band palette is realised" \
  || fail "band palette not realised: $(grep -m3 'realized' "$work/PAL.trace")"
grep -q 'realized 129 colors' "$work/NOPAL.trace" && fail "a palette realised despite NoPalette" \
  || echo "ok: no palette with NoPalette"
echo "failures: $failures"
[ "$failures" -eq 0 ]
