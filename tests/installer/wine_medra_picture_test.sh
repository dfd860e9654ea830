#!/usr/bin/env bash
# MEDRA32's background picture on a display (Xvfb): a bitmap named by Medra.Picture is drawn
# at its place over the blue bands, its black pixels left out. The picture (by ImageMagick):
# yellow 120 x 80 with a black rectangle and a red circle in it.
#   wine_medra_picture_test.sh WIN_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
: "${WINEPREFIX:?WINEPREFIX must be set}"
command -v xvfb-run >/dev/null && command -v import >/dev/null || { echo "no Xvfb or ImageMagick: skipped"; exit 0; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$bin/MEDRA32.EXE" "$bin/MED32ENG.DLL" "$bin/MED32DEU.DLL" "$work/"
convert -size 120x80 xc:yellow -fill black -draw "rectangle 30,20 90,60" -fill red -draw "circle 60,40 60,30" \
  BMP3:"$work/LOGO.BMP"
printf '[Medra]\r\nTitle = "Bild"\r\nHeadline = "Mit Bild"\r\nNoMaximize = 1\r\nPicture = LOGO.BMP, 5, 95\r\n[data]\r\nDefDir = C:\\BILD\r\n[Files]\r\n' \
  > "$work/MEDRA.INF"
cat > "$work/shot.sh" <<INNER
export WINEPREFIX=$WINEPREFIX-display WINEDEBUG=-all
cd "$work"
wine cmd /c exit >/dev/null 2>&1
wine MEDRA32.EXE >/dev/null 2>&1 &
# Until the picture is there (at most 40 s).
for _ in \$(seq 1 40); do
  sleep 1
  import -window root shot.png 2>/dev/null
  [ "\$(convert shot.png -fill black +opaque yellow -trim -format '%w %h' info: 2>/dev/null)" = "120 80" ] && break
done
wineserver -k
INNER
timeout 120 xvfb-run -a -s "-screen 0 800x600x24" bash "$work/shot.sh" >/dev/null 2>&1
box=$(convert "$work/shot.png" -fill black +opaque yellow -trim -format '%w %h %X %Y' info: 2>/dev/null)
read -r w h x y <<<"$box"
if [ "$w $h" != "120 80" ]; then echo "FAIL: no picture of 120 x 80 on the screen ($box)"; exit 1; fi
pixel() { convert "$work/shot.png" -format "%[pixel:p{$(( x + $1 )),$(( y + $2 ))}]" info:; }
failures=0
# Inside the black rectangle the bands show through: blue, not black.
inside=$(pixel 34 24)
[[ "$inside" =~ ^srgb\(0,0,([1-9][0-9]*)\)$ ]] && echo "ok: black left out ($inside)" || { echo "FAIL: black drawn ($inside)"; failures=1; }
centre=$(pixel 60 40)
[ "$centre" = "srgb(255,0,0)" ] && echo "ok: the circle" || { echo "FAIL: circle ($centre)"; failures=1; }
# 5 % and 95 % of the room the picture leaves free: near the left and the bottom.
[ "$x" -lt 120 ] && [ "$y" -gt 250 ] && echo "ok: placed at 5 %, 95 %" || { echo "FAIL: placed at $x, $y"; failures=1; }
exit $failures
