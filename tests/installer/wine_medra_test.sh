#!/usr/bin/env bash
# MEDRA32 end to end under Wine, driven by tdriver: a setup script installs files (plain, a
# compressed "_" copy made by mscompress, an LHA archive made by jlha, a DLL into the system
# directory), writes an INI entry and a registry value and keeps its log; the results are
# read back with `wine reg query` after `wineserver -w`. Also: a cancel in the target
# dialog, a missing language library, a hostile archive through the error dialog, a
# second run that counts the shared DLL twice, a version conflict both ways, and groups
# over DDE with and without the shell's server.
#   wine_medra_test.sh WIN_BIN_DIR FIXTURES_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd); fixtures=$(cd "${2:?fixtures folder}" && pwd)
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEARCH=win32 WINEDEBUG=-all
# Links made by the shell's DDE server would otherwise make Wine's menu builder write menu
# entries into the host's home, outside the prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
warm=$(cd "$(dirname "$0")/../../tools" && pwd)/wine_warm.sh
trap 'rm -f "$report_file"; "$warm"' EXIT
drive=$WINEPREFIX/drive_c
src=$drive/medra_src
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" != "$3" ]; then fail "$1: expected [$3], got [$2]"; else echo "ok: $1"; fi; }
contains() { if grep -qF -- "$3" <<<"$2"; then echo "ok: $1"; else fail "$1: [$3] not in [$2]"; fi; }

# The driver's output goes to a file: a program the run starts (a Program Manager, a folder
# window of the shell) would hold a pipe open after the run.
report_file=$(mktemp)
run_setup() {  # answers...; prints the driver's report
  local args=()
  for a in "$@"; do args+=(--answer "$a"); done
  (cd "$src" && timeout 120 wine "$bin/tdriver.exe" --timeout 60 "${args[@]}" -- 'C:\medra_src\MEDRA32.EXE' \
    > "$report_file" 2>/dev/null)
  tr -d '\r' < "$report_file"
}

prepare() {
  rm -rf "$src" "$drive/TALVEN" "$drive/Programme/Boese"
  mkdir -p "$src"
  cp "$bin/MEDRA32.EXE" "$bin/MED32ENG.DLL" "$bin/MED32DEU.DLL" "$src/"
  printf 'Lies mich\r\n' > "$src/README.TXT"
  cp "$fixtures/ZAHLEN.TXT" "$src/PROG.EXE"
  (cd "$src" && mscompress PROG.EXE && mv PROG.EXE_ PROG.EX_ && rm PROG.EXE)
  cp "$fixtures/basic.lzh" "$src/PAKET.LZH"
  cp "$bin/MED32DEU.DLL" "$src/TVTEST.DLL"
  cp "$bin/MED32DEU.DLL" "$src/TVZIEL.DLL"
  printf 'TEMP1.TXT\0..\\\\AUSSEN.TXT\0\0' > "$src/MEDRA.LST"
  printf 'weg' > "$src/TEMP1.TXT"
  cat > "$src/MEDRA.INF" <<'INF'
; Setup script of the end-to-end test
[Medra]
Title = "Talven Setup"
Headline = "Talven 1.0"
[data]
DefDir = C:\TALVEN\PROG
[Files]
README.TXT, 0:
TVZIEL.DLL, 0:
PROG.EXE, 0:BIN
PAKET.LZH, 0:
[SysFiles]
TVTEST.DLL, 0:SYSTEM32
[INI]
0:\TALVEN, Pfade, Start, 0:\BIN
0:\TALVEN, Pfade, Roh, "0:\BIN"
[REGISTRY]
HKEY_CURRENT_USER\Software\TalvenTest\Pfad = 0:\BIN
INF
  unix2dos -q "$src/MEDRA.INF" 2>/dev/null || sed -i 's/$/\r/' "$src/MEDRA.INF"
}

wineserver -k 2>/dev/null; wine reg delete 'HKCU\Software\TalvenTest' /f >/dev/null 2>&1
wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDlls' /v 'C:\windows\system32\TVTEST.DLL' /f >/dev/null 2>&1
rm -f "$drive/windows/system32/TVTEST.DLL"

# 1. A full run. A SharedDlls value that is not a DWORD (left by another setup) counts as 0.
prepare
wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDlls' /v 'C:\windows\system32\TVTEST.DLL' \
  /t REG_SZ /d 7 /f >/dev/null 2>&1
report=$(run_setup 'dlg:200=C:\TALVEN\PROG;1' ok)
echo "$report"
contains "target dialog" "$report" "dialog: Target directory"
contains "closing message" "$report" "box: icon ok | Setup... | Setup has finished."
check "exit code of a completed run" "$(tail -1 <<<"$report")" "exit: 1"
target=$drive/TALVEN/PROG
check "README" "$(cat "$target/README.TXT" 2>/dev/null | tr -d '\r')" "Lies mich"
cmp -s "$target/BIN/PROG.EXE" "$fixtures/ZAHLEN.TXT" && echo "ok: PROG.EX_ installed as PROG.EXE byte-identical" || fail "PROG.EXE differs"
cmp -s "$target/HALLO.TXT" "$fixtures/HALLO.TXT" && cmp -s "$target/ZAHLEN.TXT" "$fixtures/ZAHLEN.TXT" \
  && echo "ok: LHA members byte-identical" || fail "LHA members differ"
ls "$target" "$target/BIN" | grep -qi -E '^(ver.*\.tmp|med.*\.tmp)$' && fail "temporary files left" || echo "ok: no temporary files"
check "the clean-up list's file" "$(ls "$src/TEMP1.TXT" "$src/MEDRA.LST" 2>/dev/null)" ""
wineserver -w
log=$(tr -d '\r' < "$target/medra.log" 2>/dev/null)
echo "$log"
expected_log='GC:\TALVEN\PROG
AC:\TALVEN\PROG\README.TXT
AC:\TALVEN\PROG\TVZIEL.DLL
GC:\TALVEN\PROG\BIN
AC:\TALVEN\PROG\BIN\PROG.EXE
AC:\TALVEN\PROG\HALLO.TXT
AC:\TALVEN\PROG\ZAHLEN.TXT
aC:\windows\system32\TVTEST.DLL
E0:\TALVEN,Pfade,Start,0:\BIN
E0:\TALVEN,Pfade,Roh,"0:\BIN"
FHKEY_CURRENT_USER\Software\TalvenTest\Pfad=0:\BIN'
check "medra.log line by line" "$log" "$expected_log"
contains "registry value" "$(wine reg query 'HKCU\Software\TalvenTest' /v Pfad 2>/dev/null | tr -d '\r')" 'C:\TALVEN\PROG\BIN'
shared=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDlls' 2>/dev/null | tr -d '\r')
contains "SharedDlls 1 (a text value counted as 0)" "$shared" "TVTEST.DLL    REG_DWORD    0x1"
grep -qi 'TVZIEL' <<<"$shared" && fail "a DLL in the target was counted" || echo "ok: a DLL in the target is not counted"
ini=$(tr -d '\r' < "$target/TALVEN.INI" 2>/dev/null)
contains "INI entry expanded" "$ini" 'Start=C:\TALVEN\PROG\BIN'
contains "INI entry quoted stays literal" "$ini" 'Roh=0:\BIN'

# 2. The same setup again: the DLL in the system directory is counted twice.
prepare
report=$(run_setup 'dlg:200=C:\TALVEN\PROG;1' ok)
check "second run exit" "$(tail -1 <<<"$report")" "exit: 1"
wineserver -w
contains "SharedDlls 2" "$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDlls' 2>/dev/null | tr -d '\r')" "TVTEST.DLL    REG_DWORD    0x2"

# 3. Cancel in the target dialog, confirmed: nothing installed, exit code 1.
prepare
report=$(run_setup 'dlg:2' yes)
contains "abort question" "$report" "box: icon yesno | Setup... | Do you really want to abort the setup?"
check "cancel exit" "$(tail -1 <<<"$report")" "exit: 1"
[ -e "$drive/TALVEN" ] && fail "cancel created the target" || echo "ok: cancel leaves no target"

# 4. A hostile archive: the error dialog shows code 2027, abort ends with exit code 0 and
# nothing lands outside the target.
prepare
python3 - "$src/PAKET.LZH" <<'PY'
import sys
name = b"..\\AUSSEN.TXT"
data = b"boese"
h = b"-lh0-" + len(data).to_bytes(4, "little") * 2 + b"\x00\x00\x21\x58\x20\x00" + bytes([len(name)]) + name + b"\x00\x00"
open(sys.argv[1], "wb").write(bytes([len(h), sum(h) & 0xFF]) + h + data + b"\x00")
PY
report=$(run_setup 'dlg:200=C:\Programme\Boese;1' 'dlg:4')
echo "$report"
contains "error dialog for 2027" "$report" "The archive holds a file name outside the target directory."
check "abort exit" "$(tail -1 <<<"$report")" "exit: 0"
[ -e "$drive/Programme/AUSSEN.TXT" ] && fail "a file left the target" || echo "ok: nothing outside the target"

# 5. No language library: two boxes, exit code 0.
prepare
rm -f "$src/MED32ENG.DLL" "$src/MED32DEU.DLL"
report=$(run_setup ok ok)
contains "library box" "$report" "Handling Error | Can't load MED32ENG.DLL or any other proper Language Driver Library for MEDRA"
contains "init box" "$report" "Setup... | MEDRA32.EXE could not be propperly initialized. Please close some other programs and try again."
check "no library exit" "$(tail -1 <<<"$report")" "exit: 0"

# 6. TVTEST.DLL 1.0 over 2.0 (fixtures made here by windres): the version conflict is
# asked under title 460; No keeps 2.0, Yes installs 1.0; no temporary copy stays.
make_dll() {  # version output
  local work; work=$(mktemp -d)
  cat > "$work/v.rc" <<RC
1 VERSIONINFO
FILEVERSION $1,0,0,0
PRODUCTVERSION $1,0,0,0
FILEOS 0x4
FILETYPE 0x2
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904E4"
    BEGIN
      VALUE "FileVersion", "$1.0"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1252
  END
END
RC
  i686-w64-mingw32-windres "$work/v.rc" -O coff -o "$work/v.o" && \
    i686-w64-mingw32-gcc -shared -nostdlib -Wl,-e,0 -o "$2" "$work/v.o"
  rm -rf "$work"
}
for answer in no yes; do
  prepare
  make_dll 2 "$drive/windows/system32/TVTEST.DLL"
  touch -d '2024-01-01 12:00' "$drive/windows/system32/TVTEST.DLL"
  make_dll 1 "$src/TVTEST.DLL"
  report=$(run_setup 'dlg:200=C:\TALVEN\PROG;1' "$answer" ok)
  contains "version question ($answer)" "$report" "box: icon yesno | Version conflict | Version conflict:"
  check "version run exit ($answer)" "$(tail -1 <<<"$report")" "exit: 1"
  if [ "$answer" = no ]; then expected=$(md5sum < "$drive/windows/system32/TVTEST.DLL"); fi
  got=$(md5sum < "$drive/windows/system32/TVTEST.DLL")
  want=$([ "$answer" = no ] && echo "$expected" || md5sum < "$src/TVTEST.DLL")
  check "installed version ($answer)" "$got" "$want"
  check "no ver*.tmp left ($answer)" "$(ls "$drive/windows/system32" | grep -i -E '^ver.*\.tmp$')" ""
done

# 7. Groups with the shell's DDE server (fixture shellhost.exe): the group and its items
# become links under the start menu; C and D records in the log.
add_groups() {
  cat >> "$src/MEDRA.INF" <<'INF'
[progman.groups]
"Talven Test",TVTEST.GRP,0
["Talven Test"]
Editor, NOTEPAD.EXE, , 0
Programm, 0:BIN\PROG.EXE, NOTEPAD.EXE, 1, 0:BIN
Fehlt, NIX.EXE
INF
}
# A shell link's working directory, icon file and icon index.
link_fields() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
index = struct.unpack_from("<i", data, 0x38)[0]
at = 0x4C
if flags & 0x1: at += 2 + struct.unpack_from("<H", data, at)[0]
if flags & 0x2: at += struct.unpack_from("<I", data, at)[0]
strings = {}
for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "workdir"), (0x20, "arguments"), (0x40, "icon")):
    if flags & bit:
        count = struct.unpack_from("<H", data, at)[0]
        width = 2 if flags & 0x80 else 1
        strings[name] = data[at + 2:at + 2 + count * width].decode("utf-16-le" if width == 2 else "cp1252").split("\0")[0]
        at += 2 + count * width
print("workdir=%s icon=%s index=%d" % (strings.get("workdir", ""), strings.get("icon", ""), index))
PY
}
programs_dir=$(echo "$drive"/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs)
prepare
add_groups
rm -f "$drive/windows/system32/TVTEST.DLL"
rm -rf "$programs_dir/Talven Test"
# The group exists already (its group file and an old link): Yes to the replace question
# (449) deletes it first.
printf 'grp' > "$drive/windows/TVTEST.GRP"
mkdir -p "$programs_dir/Talven Test"
cp "$fixtures/HALLO.TXT" "$programs_dir/Talven Test/Alt.lnk"
wine "$bin/shellhost.exe" 60 >/dev/null 2>&1 &
sleep 3
report=$(run_setup 'dlg:200=C:\TALVEN\PROG;1' yes ok)
echo "$report"
contains "replace question" "$report" "box: icon yesno | Talven Test | The group Talven Test exists already. Replace it?"
check "groups run exit" "$(tail -1 <<<"$report")" "exit: 1"
wineserver -k 2>/dev/null; wait 2>/dev/null
log=$(tr -d '\r' < "$drive/TALVEN/PROG/medra.log" 2>/dev/null)
contains "group record" "$log" "CTalven Test"
contains "item records" "$log" "$(printf 'DEditor\nDProgramm')"
[ -f "$programs_dir/Talven Test/Editor.lnk" ] && [ -f "$programs_dir/Talven Test/Programm.lnk" ] \
  && echo "ok: links of the group" || fail "links missing: $(ls "$programs_dir/Talven Test" 2>&1)"
[ -e "$programs_dir/Talven Test/Alt.lnk" ] && fail "the replaced group kept its old link" || echo "ok: the group was replaced"
[ -e "$programs_dir/Talven Test/Fehlt.lnk" ] && fail "an item without its program" || echo "ok: item without program skipped"
check "working directory and icon of an item" "$(link_fields "$programs_dir/Talven Test/Programm.lnk" 2>&1)" \
  'workdir=C:\TALVEN\PROG\BIN icon=C:\windows\NOTEPAD.EXE index=1'
check "an item without them" "$(link_fields "$programs_dir/Talven Test/Editor.lnk" 2>&1 | sed 's/ index=.*//')" 'workdir= icon='
# No to the question keeps the group as it is.
prepare
add_groups
rm -f "$drive/windows/system32/TVTEST.DLL"
cp "$fixtures/HALLO.TXT" "$programs_dir/Talven Test/Alt.lnk"
wine "$bin/shellhost.exe" 60 >/dev/null 2>&1 &
sleep 3
report=$(run_setup 'dlg:200=C:\TALVEN\PROG;1' no ok)
check "groups kept exit" "$(tail -1 <<<"$report")" "exit: 1"
wineserver -k 2>/dev/null; wait 2>/dev/null
[ -e "$programs_dir/Talven Test/Alt.lnk" ] && echo "ok: No keeps the group" || fail "No replaced the group"
rm -rf "$programs_dir/Talven Test"
rm -f "$drive/windows/TVTEST.GRP"
wineserver -w

# 8. The same without a DDE server: message 465, no C or D record, no hang.
prepare
add_groups
rm -f "$drive/windows/system32/TVTEST.DLL"
report=$(run_setup 'dlg:200=C:\TALVEN\PROG;1' ok ok)
echo "$report"
contains "no program manager" "$report" "The Program Manager cannot be reached; no groups were created."
check "no progman exit" "$(tail -1 <<<"$report")" "exit: 1"
log=$(tr -d '\r' < "$drive/TALVEN/PROG/medra.log" 2>/dev/null)
grep -q -E '^[CD]' <<<"$log" && fail "C/D records without a program manager" || echo "ok: no C/D records"
wineserver -k 2>/dev/null

# 9. Components, the information form (an empty required field first), and the second
# disk found only after the insert-disk dialog.
prepare
mkdir -p "$src/D2"
printf 'Daten' > "$src/D2/DATA.BIN"
printf 'Extra' > "$src/EXTRA.TXT"
cat >> "$src/MEDRA.INF" <<'INF'
[disks]
1 = .
2 = C:\medra_src\FEHLT, "Diskette 2"
[Modules]
Basis, "Basisdateien"
Extra, "Zusatzdateien", 0
[Basis]
2:DATA.BIN, 0:
[Extra]
EXTRA.TXT, 0:
[Form]
TalvenTest\Name, "Name", 0
INF
report=$(run_setup 'dlg:200=C:\TALVEN\PROG;1' 'dlg:check:1001;1' 'dlg:1' ok 'dlg:1100=Erika Muster;1' \
  'dlg:11=C:\medra_src\D2;1' ok)
echo "$report"
contains "components dialog" "$report" "dialog: Components | Choose the components to install:"
contains "empty form field" "$report" "box: icon ok | Setup... | Please fill in the field Name."
contains "insert-disk dialog" "$report" "dialog: Insert disk | Please insert the disk:"
check "components run exit" "$(tail -1 <<<"$report")" "exit: 1"
check "file of the second disk" "$(cat "$drive/TALVEN/PROG/DATA.BIN" 2>/dev/null)" "Daten"
check "file of the chosen component" "$(cat "$drive/TALVEN/PROG/EXTRA.TXT" 2>/dev/null)" "Extra"
wineserver -w
contains "form stored" "$(wine reg query 'HKCR\TalvenTest\Name' 2>/dev/null | tr -d '\r')" "Name,Erika Muster"
wine reg delete 'HKCR\TalvenTest' /f >/dev/null 2>&1

# 10. A file held open (fixture holdfile.exe): replaced at the next restart ("H", restart
# note), and after `wineboot -r` the new file is in place.
prepare
mkdir -p "$drive/TALVEN/PROG/BIN"
printf 'alt' > "$drive/TALVEN/PROG/BIN/PROG.EXE"
touch -d '2020-01-01 12:00' "$drive/TALVEN/PROG/BIN/PROG.EXE"
wine "$bin/holdfile.exe" 'C:\TALVEN\PROG\BIN\PROG.EXE' 40 >/dev/null 2>&1 &
sleep 2
report=$(run_setup 'dlg:200=C:\TALVEN\PROG;1' ok)
echo "$report"
contains "restart note" "$report" "Please restart Windows to finish the setup."
log=$(tr -d '\r' < "$drive/TALVEN/PROG/medra.log" 2>/dev/null)
contains "pending record" "$log" 'HC:\TALVEN\PROG\BIN\PROG.EXE'
check "old file kept until the restart" "$(cat "$drive/TALVEN/PROG/BIN/PROG.EXE")" "alt"
wineserver -k 2>/dev/null; wait 2>/dev/null
wineboot -r >/dev/null 2>&1; wineserver -w
cmp -s "$drive/TALVEN/PROG/BIN/PROG.EXE" "$fixtures/ZAHLEN.TXT" && echo "ok: replaced at the restart" \
  || fail "not replaced after wineboot -r"

rm -rf "$src" "$drive/TALVEN" "$drive/Programme/Boese"
wine reg delete 'HKCU\Software\TalvenTest' /f >/dev/null 2>&1
wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDlls' /v 'C:\windows\system32\TVTEST.DLL' /f >/dev/null 2>&1
rm -f "$drive/windows/system32/TVTEST.DLL"
wineserver -w
echo "failures: $failures"
[ "$failures" -eq 0 ]
