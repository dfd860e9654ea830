#!/usr/bin/env bash
# The list benchmark: bench/lists/lists.tvs in TALVEN.EXE under Wine (its own &GETTICKCOUNT
# times of each step), and the same steps with Tk's list box and text widget (wish8.6 under
# Xvfb). Prints both with the ratio; a step is marked "!" when it takes 250 ms or more, or
# more than 3 times Tk's time (with Tk's time taken as at least 1 ms). Build the Windows programs
# first. RUNS (default 3): the best of that many runs is shown.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine_env.sh"
bin=${BIN:-$top/build/windows/bin}
runs=${RUNS:-3}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$top/bench/lists/lists.tvs" "$work/"
mkdir "$work/FILES"
(cd "$work/FILES" && seq -f "datei%05g.txt" 0 9999 | xargs touch)
cd "$work"
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1
best() {  # keeps the smallest time of each step
  awk '{ if (!($1 in t) || $2 < t[$1]) t[$1] = $2; if (!($1 in o)) { o[$1] = n++; k[n - 1] = $1; x[$1] = $3 } }
       END { for (i = 0; i < n; i++) print k[i], t[k[i]], x[k[i]] }'
}
for ((r = 0; r < runs; r++)); do
  wine "$bin/tdriver.exe" --timeout 120 -- "$bin/TALVEN.EXE" lists.tvs 2>/dev/null | sed -n 's/^screen: //p'
done | best > talven.txt
for ((r = 0; r < runs; r++)); do
  xvfb-run -a wish8.6 "$top/bench/lists/listbox.tcl" "$work" 2>/dev/null
done | best > tk.txt
printf '%-16s %10s %10s %7s   %s\n' step "talven ms" "tk ms" ratio note
awk 'NR == FNR { tk[$1] = $2; next }
     { t = tk[$1] < 1 ? 1 : tk[$1]; ratio = $2 / t; mark = ($2 >= 250 || ratio > 3) ? "!" : ""
       printf "%-16s %10d %10d %7.2f   %s %s\n", $1, $2, tk[$1], ratio, ($3 != "" ? "(" $3 ")" : ""), mark }' tk.txt talven.txt
