#!/usr/bin/env bash
# ODBC through the real chain: TALVEN.EXE under Wine -> Wine's odbc32 -> unixODBC -> the
# SQLite ODBC driver. sqlite3 makes the table, TALVEN exports it to SQL.DAT (compared with
# the checked-in file), changes and adds rows; sqlite3 reads back what TALVEN wrote.
# window.tvs shows a SELECT, an UPDATE of three rows and a refused statement in mode 0
# and tries the empty connection string (window_expected.txt: what the test driver saw).
# kunden_sql.dat was written through this chain and checked byte by byte against the
# table (quotes, the doubled quote, NULL, the bytes FC and DF, the smallest long, the
# 60-character text).
#   odbc_wine.sh BIN_DIR        (BIN_DIR holds TALVEN.EXE)
set -euo pipefail
bin=$(cd "${1:?bin folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/wine_env.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
printf '[SQLite3]\nDriver=/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so\n' > "$work/odbcinst.ini"
printf '[talven]\nDriver=SQLite3\nDatabase=%s/kunden.db\n[fenster]\nDriver=SQLite3\nDatabase=%s/fenster.db\n' \
  "$work" "$work" > "$work/odbc.ini"
sqlite3 "$work/kunden.db" < "$here/kunden.sql"
sqlite3 "$work/fenster.db" < "$here/kunden.sql"
cp "$here/export.tvs" "$here/window.tvs" "$work/"
cd "$work"
# Mode 0 as the user sees it (boxes and the window's rows, through the test driver), and
# the empty connection string: no dialog can come up here, so it is 0, without a box.
ODBCSYSINI="$work" timeout 90 wine "$bin/tdriver.exe" --timeout 60 -- "$bin/TALVEN.EXE" window.tvs 2>/dev/null |
  tr -d '\r' > window.txt || true
cmp window.txt "$here/window_expected.txt" || { echo "window.tvs showed:"; cat window.txt; exit 1; }
ODBCSYSINI="$work" timeout 60 wine "$bin/TALVEN.EXE" export.tvs || { echo "TALVEN ended with $?"; exit 1; }
cmp SQL.DAT "$here/kunden_sql.dat" || { echo "SQL.DAT differs:"; od -c SQL.DAT | head -20; exit 1; }
counts=$(sqlite3 kunden.db "SELECT was || '=' || wert FROM zaehler ORDER BY rowid" | tr '\n' ' ')
expected="nosuch=0 init=1 select=3 update=2 liste=5 -2147483648|Sa\"y$(printf '%27s' '')|=0 "
[ "$counts" = "$expected" ] || { echo "zaehler: [$counts], expected [$expected]"; exit 1; }
rows=$(sqlite3 kunden.db "SELECT nr || ':' || IFNULL(name, '-') || ':' || IFNULL(umsatz, '-') FROM kunden ORDER BY rowid" | tr '\n' ' ')
expected_rows=$(printf '1:M\xfcller:1.5 -2147483648:Sa"y:- 3:-:1.5 4:von Talven:- ')
[ "$rows" = "$expected_rows" ] || { echo "kunden: [$rows]"; exit 1; }
echo "odbc: SQL.DAT as expected, counts $counts"
