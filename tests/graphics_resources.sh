#!/usr/bin/env bash
# The pictures built into the programs, as icoutils' wrestool lists them: the icon TALVEN
# and the cursor DRUCKER in TALVEN.EXE and TLVRUN32.EXE, the bitmap TALVBILD and the icon
# TALVICON in the picture library of the drawing tests.
set -uo pipefail
bin=$1
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
[ $status -eq 0 ] && echo "resources present"
exit $status
