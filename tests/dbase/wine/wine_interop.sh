#!/usr/bin/env bash
# Tables, memos and indexes that TALVEN writes under Wine, read back by the Debian tools:
# shapelib's dbfdump, python3-dbfread, python3-dbf, XBase's dbf_dump and index_dump, and
# ndxdump --check. Usage: wine_interop.sh WIN_BIN NDXDUMP
set -euo pipefail
bin=$(cd "$1" && pwd)
ndxdump=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/talven-dbwine.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$here/schreiben.tvs" "$here/schreiben.txt" "$work/"
cd "$work"
out=$(wine "$bin/tdriver.exe" --timeout 60 -- "$bin/TALVEN.EXE" schreiben.tvs 2>/dev/null || true)
fail() { echo "FAIL: $*"; echo "$out"; exit 1; }
grep -q '^exit: 0' <<<"$out" || fail "TALVEN did not end with 0"
[ -f WINE.DBF ] && [ -f WINE.DBT ] && [ -f WNAME.NDX ] && [ -f WNR.NDX ] || fail "files missing: $(ls)"

# shapelib: a title line and 400 records, one of them deleted.
lines=$(dbfdump WINE.DBF | wc -l)
[ "$lines" -eq 401 ] || fail "dbfdump lists $lines lines"
dbfinfo WINE.DBF | grep -q 'Record Count: 400' || dbfinfo WINE.DBF | grep -qi '400' || fail "dbfinfo"

# python3-dbfread and python3-dbf: 399 live records, the memos, the changed name.
/usr/bin/python3 - <<'PY' || fail "python readers"
import dbfread, dbf
t = dbfread.DBF('WINE.DBF', load=True)
assert len(t.records) == 399 and len(t.deleted) == 1, (len(t.records), len(t.deleted))
byname = {r['NAME']: r for r in t.records}
assert 'Aaron' in byname
memos = [r['NOTIZ'] for r in t.records if r['NOTIZ']]
assert len(memos) == 8, memos
assert memos[0] == 'Memo 1\r\nzweite Zeile\r\n' or memos[0].startswith('Memo 1\r\nzweite Zeile'), repr(memos[0])
d = dbf.Table('WINE.DBF')
d.open()
assert len(d) == 400
assert d[0].notiz.startswith('Memo 1')
d.close()
PY

# XBase: dbf_dump lists the live records with their memos.
dbf_dump WINE.DBF | grep -q 'Memo 51' || fail "dbf_dump: memo of record 51"

# XBase::Index walks both indexes in order: 400 entries each, keys ascending.
for pair in "WNAME.NDX char" "WNR.NDX num"; do
  set -- $pair
  walked=$(index_dump -type "$2" "$1" x)
  n=$(wc -l <<<"$walked")
  [ "$n" -eq 400 ] || fail "index_dump $1: $n entries"
  if [ "$2" = char ]; then
    awk '{print $1}' <<<"$walked" | LC_ALL=C sort -c || fail "index_dump $1 not in order"
  else
    awk '{print $1}' <<<"$walked" | sort -c -g || fail "index_dump $1 not in order"
  fi
  "$ndxdump" --check --quiet WINE.DBF "$1" | grep -q 'check: clean' || fail "ndxdump --check $1"
done
echo "wine interop: clean"
