#!/usr/bin/env bash
# Runs the Wine commands of SCRIPT (in DIR) on a 256-colour display: Xvfb's 8-bit
# PseudoColor visual, with Wine's private colour map meanwhile (its shared one realises no
# colours at all). What the display is goes to DIR/visual.txt (xdpyinfo); the prefix's
# wineserver is stopped before and after. WINEPREFIX must name the display prefix.
#   on_8bit_display.sh DIR SCRIPT
set -uo pipefail
dir=$(cd "${1:?folder}" && pwd); script=$(cd "$(dirname "${2:?script}")" && pwd)/$(basename "$2")
inner=$(mktemp)
cat > "$inner" <<'INNER'
cd "$1"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v PrivateColorMap /d Y /f >/dev/null 2>&1
bash "$2"
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v PrivateColorMap /f >/dev/null 2>&1
xdpyinfo > visual.txt 2>&1
wineserver -k
INNER
wineserver -k 2>/dev/null
timeout 150 xvfb-run -a -s "-screen 0 800x600x8" bash "$inner" "$dir" "$script" >/dev/null 2>&1
rm -f "$inner"
