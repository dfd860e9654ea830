#!/usr/bin/env bash
# MUSIC and PLAY under Wine, captured: TALVEN.EXE runs beside the capture mapper
# (midimap.dll, loaded with WINEDLLOVERRIDES=midimap=n), which logs every MIDI message
# with its time. Checks the bytes in order and the timing: note-offs 500 ms apart (no
# drift), the chord's offs 750 ms after its ons, each within 15 ms.
#   midi_wine.sh BIN_DIR
set -euo pipefail
bin=$(cd "${1:?bin folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/wine_env.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$bin/TALVEN.EXE" "$bin/midicap/midimap.dll" "$here/music.tvs" "$work/"
cd "$work"
MIDI_CAPTURE_LOG="$work/capture.log" WINEDLLOVERRIDES="midimap=n;$WINEDLLOVERRIDES" \
  timeout 60 wine TALVEN.EXE music.tvs || { echo "TALVEN ended with $?"; exit 1; }
bytes=$(grep DATA capture.log | cut -d' ' -f3- | tr '\n' ',')
expected="90 30 64,90 30 00,90 32 64,90 32 00,90 34 64,90 34 00,90 30 64,90 30 00,90 30 64,90 30 00,"
expected+="90 3C 7F,91 40 7F,92 43 7F,90 3C 00,91 40 00,92 43 00,C0 0A 00,C1 14 00,C2 1E 00,"
[ "$bytes" = "$expected" ] || { echo "bytes: $bytes"; exit 1; }
grep DATA capture.log | awk '
  function check(what, got, want) {
    if (got < want - 15 || got > want + 15) { printf "%s: %.1f ms, expected %d\n", what, got, want; bad = 1 }
  }
  { t[NR] = $1 }
  END {
    check("first to second note-off", t[4] - t[2], 500)
    check("second to third note-off", t[6] - t[4], 500)
    check("chord", t[14] - t[11], 750)
    exit bad
  }'
echo "midi: $(grep -c DATA capture.log) messages as expected"
