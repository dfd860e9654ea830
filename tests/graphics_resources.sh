#!/usr/bin/env bash
# The pictures built into the programs, as icoutils' wrestool lists them: the icon TALVEN
# and the cursor DRUCKER in TALVEN.EXE and TLVRUN32.EXE, the bitmap TALVBILD and the icon
# TALVICON in the picture library of the drawing tests; @ICONCOUNT of the prefix's
# shell32.dll (run by TALVEN.EXE under Wine) equals the icon groups wrestool lists in it.
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
status=0
expect() {  # file, type, name
  if ! wrestool -l "$bin/$1" 2>/dev/null | grep -q -- "--name='$3' .*\[type=$2 "; then
    echo "missing in $1: $2 $3"
    status=1
  fi
}
for program in TALVEN.EXE TLVRUN32.EXE; do
  expect "$program" group_icon TALVEN
  expect "$program" group_cursor DRUCKER
done
expect tvpics.dll bitmap TALVBILD
expect tvpics.dll group_icon TALVICON
shell32=$(find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname shell32.dll | head -1)
groups=$(wrestool -l "$shell32" 2>/dev/null | grep -c "type=group_icon")
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
printf 'PRINT @ICONCOUNT("shell32.dll")\r\n' > "$work/count.tvs"
counted=$(cd "$work" && wine "$bin/tdriver.exe" --timeout 30 -- "$bin/TALVEN.EXE" count.tvs 2>/dev/null |
          sed -n 's/^screen: *//p' | tr -d '\r')
if [ -z "$groups" ] || [ "$groups" -lt 1 ] || [ "$counted" != "$groups" ]; then
  echo "@ICONCOUNT of shell32.dll: $counted, icon groups: $groups"
  status=1
fi
[ $status -eq 0 ] && echo "resources present; shell32.dll has $groups icons"
exit $status
