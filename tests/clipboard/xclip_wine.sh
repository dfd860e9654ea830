#!/usr/bin/env bash
# The clipboard between a Talven program under Wine and the X side, on Xvfb with Wine's
# X11 driver (the display prefix): text PUTCLIP puts there is what `xclip -o` reads, and
# text `xclip -i` sets is what @GETCLIP$ returns (polled: Wine takes the X selection over
# within about two seconds). Umlauts and the euro sign go both ways (CP1252 <-> UTF-8).
#   xclip_wine.sh WINDOWS_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine_env.sh"
export WINEPREFIX=$WINEPREFIX-display
work=$(mktemp -d /tmp/talven_xclip.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Into the clipboard (the program's window stays until the driver closes it).
printf 'PUTCLIP "Talven nach X: \xe4\xf6\xfc\xdf \x80"\r\nPRINT "gesetzt"\r\n' > "$work/setzen.tvs"
# Out of it: waits at most ten seconds for the text from X.
cat > "$work/lesen.tvs" <<'TVS'
DECLARE s$, t&
t& = &GETTICKCOUNT
WHILE &GETTICKCOUNT - t& < 10000
  s$ = @GETCLIP$()
  CASE @LEFT$(s$, 5) = "Von X": BREAK
WEND
PRINT "["; s$; "]"
TVS

cat > "$work/inner.sh" <<'INNER'
#!/usr/bin/env bash
bin=$1; work=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" != "$3" ]; then fail "$1: expected [$3], got [$2]"; else echo "ok: $1"; fi; }
talven=$(winepath -w "$bin/TALVEN.EXE")
wine cmd /c exit >/dev/null 2>&1
cd "$work"
out=$(timeout 60 wine "$bin/tdriver.exe" --timeout 30 -- "$talven" setzen.tvs 2>/dev/null | tr -d '\r')
check "PUTCLIP run" "$out" $'screen: gesetzt\nexit: 0'
# Byte for byte: nothing of the block behind the text may come along.
for _ in $(seq 50); do
  timeout 5 xclip -o -selection clipboard > from_wine.txt 2>/dev/null
  [ -s from_wine.txt ] && break
  sleep 0.1
done
if printf 'Talven nach X: äöüß €' | cmp -s - from_wine.txt; then
  echo "ok: xclip reads PUTCLIP's text"
else
  fail "xclip read: $(od -c from_wine.txt | head -5)"
fi

printf 'Von X: %s' 'Grüße € ÄÖÜ' | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
xclip_pid=$!
sleep 0.3
out=$(timeout 60 wine "$bin/tdriver.exe" --timeout 30 -- "$talven" lesen.tvs 2>/dev/null | tr -d '\r' |
  iconv -f cp1252 -t utf-8)
kill $xclip_pid 2>/dev/null
check "GETCLIP\$ reads xclip's text" "$out" $'screen: [Von X: Grüße € ÄÖÜ]\nexit: 0'
wineserver -k
echo "failures: $failures"
[ "$failures" -eq 0 ]
INNER
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/inner.sh" "$bin" "$work" 2>/dev/null
