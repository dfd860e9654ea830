#!/usr/bin/env bash
# Every deliverable imports only DLLs that Windows itself ships.
dist=${1:?dist folder}
allowed='^(KERNEL32|USER32|GDI32|COMDLG32|ADVAPI32|SHELL32|WINMM|COMCTL32|OLE32|VERSION|LZ32|WINSPOOL\.DRV|msvcrt)(\.dll)?$'
status=0
for exe in "$dist"/*.EXE "$dist"/*.BIN; do
  [ -f "$exe" ] || continue
  while read -r dll; do
    if ! echo "$dll" | grep -qiE "$allowed"; then echo "$exe imports $dll"; status=1; fi
  done < <(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
[ $status -eq 0 ] && echo "imports are system DLLs only"
exit $status
