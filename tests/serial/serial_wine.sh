#!/usr/bin/env bash
# The serial functions under Wine against socat pseudo-terminal pairs: COM5 and COM6 are
# mapped to one end each in HKLM\Software\Wine\Ports (applied when the Wine session
# starts), a peer script answers on the other. COM5 serves the functions' test, COM6 the
# terminal example (examples/terminal.tvs), typed into by the driver.
# Usage: serial_wine.sh <windows bin folder>
set -u
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/talven_serial.XXXXXX)
peer_pid=; terminal_pid=
trap 'kill $socat_pid $socat2_pid $peer_pid $terminal_pid 2>/dev/null; rm -rf "$work"' EXIT
socat pty,raw,echo=0,link="$work/ttyA" pty,raw,echo=0,link="$work/ttyB" &
socat_pid=$!
socat pty,raw,echo=0,link="$work/ttyC" pty,raw,echo=0,link="$work/ttyD" &
socat2_pid=$!
for _ in $(seq 50); do [ -e "$work/ttyB" ] && [ -e "$work/ttyD" ] && break; sleep 0.1; done
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$work/ttyA" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM6 /d "$work/ttyC" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1; sleep 1
wineserver -p >/dev/null 2>&1
# A warm session whose helper processes hold no pipe of the caller (ctest waits for them).
wine cmd /c exit >/dev/null 2>&1
python3 "$here/serial_peer.py" "$work/ttyB" "$work/received.bin" &
peer_pid=$!
cp "$here/serial.tvs" "$work/"
out=$(cd "$work" && wine "$bin/tdriver.exe" --timeout 30 -- "$(winepath -w "$bin/TALVEN.EXE")" serial.tvs 2>/dev/null | tr -d '\r')
# The terminal example: two lines typed and sent, the answers shown, an empty line ends it;
# it waits up to two seconds of silence for an answer (a busy machine may be slow).
python3 "$here/terminal_peer.py" "$work/ttyD" "$work/terminal.bin" &
terminal_pid=$!
cp "$here/../../examples/terminal.tvs" "$work/"
terminal=$(cd "$work" && wine "$bin/tdriver.exe" --timeout 60 --type 'hallo talven\n' --type 'zwei ä\n' --type '\n' \
  -- "$(winepath -w "$bin/TALVEN.EXE")" terminal.tvs COM6 '19200,n,8,1' 2000 2>/dev/null | tr -d '\r')
kill $terminal_pid 2>/dev/null
wine reg delete 'HKLM\Software\Wine\Ports' /v COM5 /f >/dev/null 2>&1
wine reg delete 'HKLM\Software\Wine\Ports' /v COM6 /f >/dev/null 2>&1
expected=$'screen: 1 0 -1\nscreen: 0 0\nscreen: 18\nscreen: 12 ANTWORT 0 42 10\nscreen: []\nscreen: 0 -1 -1\nscreen: 0 -1 0 []\nexit: 0'
status=0
# The peer ends once it has answered; if the program never wrote, it is not waited for.
for _ in $(seq 50); do kill -0 $peer_pid 2>/dev/null || break; sleep 0.1; done
if ! printf 'HALLO TALVEN \xe4\xf6\xfc\r\n' | cmp -s - "$work/received.bin"; then
  echo "the peer received:"; od -c "$work/received.bin" | head; status=1
fi
if [ "$out" != "$expected" ]; then
  echo "expected:"; echo "$expected"; echo "got:"; echo "$out"; status=1
fi
if ! printf 'hallo talven\r\nzwei \xe4\r\n' | cmp -s - "$work/terminal.bin"; then
  echo "the terminal's peer received:"; od -c "$work/terminal.bin" | head; status=1
fi
terminal_expected=$'screen: Verbunden mit COM6 (19200,n,8,1). Leere Zeile beendet.\nscreen: > hallo talven\nscreen: < ECHO HALLO TALVEN\nscreen: > zwei \xe4\nscreen: < ECHO ZWEI \xe4\nscreen: < NOCH EINE\nscreen: >\nscreen: Getrennt.\nexit: 0'
if [ "$terminal" != "$terminal_expected" ]; then
  echo "terminal expected:"; echo "$terminal_expected"; echo "got:"; echo "$terminal"; status=1
fi
exit $status
