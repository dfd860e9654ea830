#!/usr/bin/env bash
# The serial functions under Wine against a socat pseudo-terminal pair: COM5 is mapped to
# one end in HKLM\Software\Wine\Ports (applied when the Wine session starts), the peer
# script answers on the other. Usage: serial_wine.sh <windows bin folder>
set -u
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/talven_serial.XXXXXX)
trap 'kill $socat_pid $peer_pid 2>/dev/null; rm -rf "$work"' EXIT
socat pty,raw,echo=0,link="$work/ttyA" pty,raw,echo=0,link="$work/ttyB" &
socat_pid=$!
for _ in $(seq 50); do [ -e "$work/ttyB" ] && break; sleep 0.1; done
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$work/ttyA" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1; sleep 1
wineserver -p >/dev/null 2>&1
# A warm session whose helper processes hold no pipe of the caller (ctest waits for them).
wine cmd /c exit >/dev/null 2>&1
python3 "$here/serial_peer.py" "$work/ttyB" "$work/received.bin" &
peer_pid=$!
cp "$here/serial.tvs" "$work/"
out=$(cd "$work" && wine "$bin/tdriver.exe" --timeout 30 -- "$(winepath -w "$bin/TALVEN.EXE")" serial.tvs 2>/dev/null | tr -d '\r')
wine reg delete 'HKLM\Software\Wine\Ports' /v COM5 /f >/dev/null 2>&1
expected=$'screen: 1 0 -1\nscreen: 0 0\nscreen: 18\nscreen: 12 ANTWORT 0 42 10\nscreen: []\nscreen: 0 -1 -1\nscreen: 0 -1 0 []\nexit: 0'
status=0
wait $peer_pid 2>/dev/null
if ! printf 'HALLO TALVEN \xe4\xf6\xfc\r\n' | cmp -s - "$work/received.bin"; then
  echo "the peer received:"; od -c "$work/received.bin" | head; status=1
fi
if [ "$out" != "$expected" ]; then
  echo "expected:"; echo "$expected"; echo "got:"; echo "$out"; status=1
fi
exit $status
