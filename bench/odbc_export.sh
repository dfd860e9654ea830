#!/usr/bin/env bash
# ODBC export: 10,000 rows of 5 columns that sqlite3 wrote, exported by TALVEN.EXE under
# Wine with SQLEXEC mode 2 (Wine's odbc32 -> unixODBC -> the SQLite driver), beside the
# same query through unixODBC's isql and through `sqlite3 -csv`, on the same database
# file. Prints the best wall time of RUNS runs of each, and TALVEN's time minus the time
# of a program that only connects (Wine's start and the driver's load). Goal: TALVEN at
# most twice isql. Build first (cmake --build build/windows).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
runs=${RUNS:-3}
rows=${ROWS:-10000}
talven=${BIN:-$top/build/windows/bin}/TALVEN.EXE
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
printf '[SQLite3]\nDriver=/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so\n' > "$work/odbcinst.ini"
printf '[bench]\nDriver=SQLite3\nDatabase=%s/bench.db\n' "$work" > "$work/odbc.ini"
export ODBCSYSINI=$work
# isql is a native 64-bit program: the same data source through the 64-bit driver.
mkdir -p "$work/isql"
printf '[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n' > "$work/isql/odbcinst.ini"
cp "$work/odbc.ini" "$work/isql/"
sqlite3 "$work/bench.db" <<SQL
CREATE TABLE t (nr INTEGER, name TEXT, betrag REAL, code INTEGER, notiz TEXT);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows)
INSERT INTO t SELECT i, 'Kunde ' || i, i * 1.25, i % 97, 'Notiz zu Zeile ' || i FROM n;
SQL
query="SELECT nr, name, betrag, code, notiz FROM t ORDER BY nr"
printf '%s\n' 'DECLARE a%' 'a% = @SQLINIT("DSN=bench")' 'SQLSETDEL ";"' "SQLEXEC \"$query\", 2" 'SQLDONE' 'END' \
  > "$work/export.tvs"
printf '%s\n' 'DECLARE a%' 'a% = @SQLINIT("DSN=bench")' 'SQLDONE' 'END' > "$work/connect.tvs"
best() {  # best wall time in ms of "$@", over $runs runs
  local min=999999999 start end t
  for ((r = 0; r < runs; r++)); do
    start=$(date +%s%N); "$@" >/dev/null 2>&1; end=$(date +%s%N)
    t=$(((end - start) / 1000000)); ((t < min)) && min=$t
  done
  echo $min
}
cd "$work"
wineserver -p 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
talven_export() { timeout 300 wine "$talven" export.tvs; }
talven_connect() { timeout 300 wine "$talven" connect.tvs; }
isql_export() { echo "$query" | ODBCSYSINI=$work/isql isql -b -d';' bench > isql.out; }
sqlite_export() { sqlite3 -csv bench.db "$query" > sqlite.csv; }
t_export=$(best talven_export)
t_connect=$(best talven_connect)
t_isql=$(best isql_export)
t_sqlite=$(best sqlite_export)
lines=$(wc -l < SQL.DAT)
printf 'rows %d: SQL.DAT %d lines, %d bytes; isql %d lines; sqlite3 -csv %d lines\n' "$rows" "$lines" \
  "$(wc -c < SQL.DAT)" "$(wc -l < isql.out)" "$(wc -l < sqlite.csv)"
printf '%-22s %8d ms\n' "TALVEN mode 2" "$t_export" "TALVEN connect only" "$t_connect" \
  "TALVEN export part" "$((t_export - t_connect))" "isql" "$t_isql" "sqlite3 -csv" "$t_sqlite"
echo "TALVEN / isql: $(echo "scale=2; $t_export / $t_isql" | bc) (whole run), $(echo "scale=2; ($t_export - $t_connect) / $t_isql" | bc) (export part)"
