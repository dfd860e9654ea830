#!/usr/bin/env bash
# MUSIC timing, captured: 200 notes at T240 L16 (62 ms each) played by TALVEN.EXE under
# Wine into the capture mapper (tests/midi/win32/capture_midimap.cpp, which logs every
# MIDI message with its performance-counter time). Twice: as one music string of 200
# notes, and as 20 MUSIC statements of 10 notes each. A note lasts 240000 / (240 x 16)
# = 62 ms in whole milliseconds. For each note-off (sent right after its wait; a note-on
# comes after the device's opening, 2-50 ms under Wine): how late it is against the first
# note-off + n x 62 ms, the earliest placed taken as the reference (the largest
# lateness, and the last note's, the drift), and the
# processor time the run used against its wall time (goal: every event at most 5 ms
# late, no drift, under 10 % of a core while waiting).
# Build first (cmake --build build/windows).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
bin=${BIN:-$top/build/windows/bin}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$bin/TALVEN.EXE" "$bin/midicap/midimap.dll" "$work/"
cd "$work"
ten="CDEFGABAGF"
notes=""; for ((i = 0; i < 20; i++)); do notes+=$ten; done
printf '%s\n' "MUSIC \"T240 L16 O4 $notes\"" 'END' > one.tvs
printf '%s\n' 'DECLARE i%' 'MUSIC "T240 L16 O4"' 'WHILE i% < 20' "MUSIC \"$ten\"" 'INC i%' 'WEND' 'END' > twenty.tvs
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
for name in one twenty; do
  rm -f capture.log
  start=$(date +%s%N)
  MIDI_CAPTURE_LOG="$work/capture.log" WINEDLLOVERRIDES="midimap=n;$WINEDLLOVERRIDES" \
    /usr/bin/time -o time.txt -f '%U %S' timeout 120 wine TALVEN.EXE "$name.tvs" >/dev/null 2>&1 || true
  cpu=$(tail -1 time.txt)
  end=$(date +%s%N)
  grep DATA capture.log | awk -v name="$name" -v cpu="$cpu" -v wall="$(((end - start) / 1000000))" '
    $3 ~ /^9/ && $5 == "00" { on[n++] = $1 }
    END {
      # Against the best-placed note-off: the first note opens the device longest.
      base = on[0]
      for (i = 1; i < n; i++) if (on[i] - i * 62 < base) base = on[i] - i * 62
      worst = 0; early = 0
      for (i = 0; i < n; i++) {
        late = on[i] - (base + i * 62)
        if (late > worst) worst = late
        if (i > 0 && late > second) second = late
      }
      early = second
      split(cpu, c, " ")
      printf "%-7s %d note-offs; latest %.2f ms late (all but the first %.2f ms), last (drift) %.2f ms; processor %.2f s of %.2f s wall (%.1f %%)\n",
        name, n, worst, early, on[n - 1] - (base + (n - 1) * 62), c[1] + c[2], wall / 1000, 100 * (c[1] + c[2]) * 1000 / wall
    }'
done
