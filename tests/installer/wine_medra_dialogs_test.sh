#!/usr/bin/env bash
# MEDRA32's remaining dialogs under Wine, driven by tdriver: the disk-space messages (a script
# that needs more than the drive has free, on the target drive and on the Windows drive), a
# target folder chosen in the shell's browse dialog, a cancel in the progress window while
# files are copied (nothing half-written, the log names exactly what is there), and CTL3D32
# (Wine's own library, its calls seen in the relay trace; a library without
# Ctl3dAutoSubclass is released unused), the error dialog's Retry and Ignore, every
# question of the setup, code 18 when the setup is ended inside an archive member, and
# code 32 for a write-protected target, and a quoted source folder on the command line.
#   wine_medra_dialogs_test.sh WIN_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEARCH=win32 WINEDEBUG=-all
drive=$WINEPREFIX/drive_c
src=$drive/medra_dlg
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" != "$3" ]; then fail "$1: expected [$3], got [$2]"; else echo "ok: $1"; fi; }
contains() { if grep -qF -- "$3" <<<"$2"; then echo "ok: $1"; else fail "$1: [$3] not in [$2]"; fi; }
section() { echo "== $1 $(date +%T)"; }
lacks() { if grep -qF -- "$3" <<<"$2"; then fail "$1: [$3] in [$2]"; else echo "ok: $1"; fi; }

# The driver's output goes to a file: a wineserver started by the run would hold a pipe open
# after the run.
report_file=$(mktemp)
run_setup() {  # answers...; prints the driver's report
  local args=()
  for a in "$@"; do args+=(--answer "$a"); done
  (cd "$src" && timeout 150 wine "$bin/tdriver.exe" --timeout 120 "${args[@]}" -- 'C:\medra_dlg\MEDRA32.EXE' \
    > "$report_file" 2>/dev/null)
  tr -d '\r' < "$report_file"
}

prepare() {  # script lines (the [Files] section follows them)
  rm -rf "$src"
  mkdir -p "$src"
  cp "$bin/MEDRA32.EXE" "$bin/MED32ENG.DLL" "$bin/MED32DEU.DLL" "$src/"
  printf 'Lies mich\r\n' > "$src/README.TXT"
  { printf '%s\r\n' "$@"; printf '[Files]\r\nREADME.TXT, 0:\r\n'; } > "$src/MEDRA.INF"
}

cleanup() {
  wineserver -k 2>/dev/null
  rm -rf "$src" "$drive/MEDRA_PLATZ" "$drive/MEDRA_ALT" "$drive/MEDRA_GEWAEHLT" "$drive/MEDRA_ABBRUCH" \
    "$drive/MEDRA_CTL" "$drive/MEDRA_FRAGE" "$drive/MEDRA_ZWEI" "$drive/Mein Paket"
  rm -f "$WINEPREFIX/dosdevices/m:"
  wine reg delete 'HKCU\Software\Wine\Debug' /f >/dev/null 2>&1
  wineserver -w
}
warm=$(cd "$(dirname "$0")/../../tools" && pwd)/wine_warm.sh
trap 'cleanup; rm -f "$report_file"; "$warm"' EXIT
cleanup

# The free space of the host's file system below drive C: (Wine reports that for C:).
free=$(df -B1 --output=avail "$drive" | tail -1 | tr -d ' ')

section 1
# 1. More space than the target drive has: message 435 with the KB needed (the Windows
# directory lies on C: too, so the default 100000 bytes for it are added), back to the
# target dialog; the cancel there ends the setup with nothing created.
need=$((free * 2))
prepare '[data]' 'DefDir = C:\MEDRA_PLATZ' "Space = $need"
report=$(run_setup 'dlg:1' ok 'dlg:2' yes)
echo "$report"
kb=$(( (need + 100000 + 1023) / 1024 ))
contains "target drive too small" "$report" "box: icon ok | Setup... | There is not enough space on the target drive: $kb KB are needed."
check "back to the target dialog" "$(grep -c '^dialog: Target directory' <<<"$report")" "2"
check "cancel after the space message" "$(tail -1 <<<"$report")" "exit: 1"
[ -e "$drive/MEDRA_PLATZ" ] && fail "the target was created" || echo "ok: no target created"

section 2
# 2. The Windows drive on its own: the target on drive M: (another letter for a folder of
# C:) needs little, the Windows drive more than it has: message 456.
mkdir -p "$drive/MEDRA_PLATZ"
ln -sfn ../drive_c/MEDRA_PLATZ "$WINEPREFIX/dosdevices/m:"
prepare '[data]' 'DefDir = M:\ZIEL' 'Space = 1000' "WinSpace = $need"
report=$(run_setup 'dlg:1' ok 'dlg:2' yes)
contains "Windows drive too small" "$report" "box: icon ok | Setup... | There is not enough space on the Windows drive: $(( (need + 1023) / 1024 )) KB are needed."
lacks "the target drive has enough" "$report" "target drive"
check "cancel after the Windows message" "$(tail -1 <<<"$report")" "exit: 1"

section 3
# 3. Enough space, counted in 64 bits (the drive has more than 4 GB free here): no message.
prepare '[data]' 'DefDir = M:\ZIEL' "Space = $((free / 2))" 'WinSpace = 1000'
report=$(run_setup 'dlg:1' ok)
lacks "no space message" "$report" "not enough space"
contains "closing message" "$report" "box: icon ok | Setup... | Setup has finished."
check "README on drive M:" "$(tr -d '\r' < "$drive/MEDRA_PLATZ/ZIEL/README.TXT" 2>/dev/null)" "Lies mich"
rm -f "$WINEPREFIX/dosdevices/m:"

section 4
# 4. The target chosen by browsing: Browse (210) opens the shell's folder dialog, the folder
# chosen there replaces the default, and the files go there.
mkdir -p "$drive/MEDRA_GEWAEHLT"
prepare '[data]' 'DefDir = C:\MEDRA_ALT'
report=$(run_setup 'dlg:210' 'folder:C:\MEDRA_GEWAEHLT' 'dlg:1' ok)
echo "$report"
check "dialogs in order" "$(grep -o '^[a-z]*: [^|]*' <<<"$report" | head -4 | tr '\n' '/')" \
  "dialog: Target directory /dialog: Browse for Folder/dialog: Target directory /box: icon ok /"
check "browse exit" "$(tail -1 <<<"$report")" "exit: 1"
check "installed into the chosen folder" "$(tr -d '\r' < "$drive/MEDRA_GEWAEHLT/README.TXT" 2>/dev/null)" "Lies mich"
[ -e "$drive/MEDRA_ALT" ] && fail "the default folder was used" || echo "ok: default folder untouched"

section 5
# 5. Cancel in the progress window while 120 files of 256 KB are copied: confirmed, the
# setup ends at once (exit code 0, no closing message); every file in the target is whole
# and byte-identical, no temporary copy is left, and the log names exactly those files.
prepare '[data]' 'DefDir = C:\MEDRA_ABBRUCH'
sed -i '/^\[Files\]/,$d' "$src/MEDRA.INF"
printf '[Files]\r\n' >> "$src/MEDRA.INF"
head -c $((256 * 1024)) /dev/urandom > "$src/muster"
for i in $(seq -w 1 120); do
  { printf 'Datei %s\n' "$i"; cat "$src/muster"; } > "$src/DATEI$i.DAT"
  printf 'DATEI%s.DAT, 0:\r\n' "$i" >> "$src/MEDRA.INF"
done
rm -f "$src/muster"
report=$(run_setup 'dlg:1' 'progress:cancel' yes)
echo "$report"
contains "progress window" "$report" "dialog: Setup | "
contains "abort question" "$report" "box: icon yesno | Setup... | Do you really want to abort the setup?"
lacks "no closing message" "$report" "Setup has finished."
check "exit code of an abort" "$(tail -1 <<<"$report")" "exit: 0"
target=$drive/MEDRA_ABBRUCH
copied=$(cd "$target" 2>/dev/null && ls | grep -E '^DATEI[0-9]+\.DAT$' | sort)
count=$(grep -c . <<<"$copied")
echo "copied before the cancel: $count of 120"
[ "$count" -lt 120 ] && echo "ok: the cancel stopped the copying" || fail "all files copied despite the cancel"
whole=1
for name in $copied; do cmp -s "$src/$name" "$target/$name" || { whole=0; fail "$name differs from its source"; }; done
[ $whole = 1 ] && echo "ok: every copied file whole"
check "nothing else in the target" "$(cd "$target" 2>/dev/null && ls | grep -v -E '^(DATEI[0-9]+\.DAT|medra\.log)$')" ""
log=$(tr -d '\r' < "$target/medra.log" 2>/dev/null)
# (the log holds short paths: only the file names are compared)
check "log records of the copied files" "$(grep '^A' <<<"$log" | sed 's/^.*\\//' | sort)" "$copied"

section 6
# 6. CTL3D32: Wine's library is registered with the program's instance at the start, dialogs
# subclassed, and unregistered at the end (the relay trace of ctl3d32 shows the calls).
prepare '[data]' 'DefDir = C:\MEDRA_CTL'
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'ctl3d32.*' /f >/dev/null 2>&1
wineserver -w
(cd "$src" && WINEDEBUG=+relay timeout 120 wine "$bin/tdriver.exe" --timeout 60 --answer 'dlg:1' --answer ok \
  -- 'C:\medra_dlg\MEDRA32.EXE' > /dev/null 2> "$report_file")
calls=$(tr -d '\r' < "$report_file" | grep -o 'Call ctl3d32\.[A-Za-z0-9]*([0-9a-f]*)')
echo "$calls"
instance=$(sed -n 's/^Call ctl3d32\.Ctl3dRegister(\(.*\))$/\1/p' <<<"$calls")
check "CTL3D32 calls in order" "$(sed 's/(.*//' <<<"$calls" | tr '\n' ' ')" \
  "Call ctl3d32.Ctl3dRegister Call ctl3d32.Ctl3dAutoSubclass Call ctl3d32.Ctl3dUnregister "
[ -n "$instance" ] && check "one instance for all three" "$(grep -c "($instance)" <<<"$calls")" "3" \
  || fail "no Ctl3dRegister call"
check "setup with CTL3D32" "$(tr -d '\r' < "$drive/MEDRA_CTL/README.TXT" 2>/dev/null)" "Lies mich"
wine reg delete 'HKCU\Software\Wine\Debug' /f >/dev/null 2>&1
wineserver -w

section 7
# 7. A CTL3D32.DLL beside the program without Ctl3dAutoSubclass: released without a call (its
# Ctl3dRegister would leave a file), the setup runs with plain dialogs.
rm -rf "$drive/MEDRA_CTL"
prepare '[data]' 'DefDir = C:\MEDRA_CTL'
work=$(mktemp -d)
cat > "$work/ctl.c" <<'C'
#include <windows.h>
__declspec(dllexport) BOOL WINAPI Ctl3dRegister(HINSTANCE instance) {
  HANDLE f = CreateFileA("C:\\medra_dlg\\REGISTERED", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  CloseHandle(f);
  return TRUE;
}
__declspec(dllexport) BOOL WINAPI Ctl3dUnregister(HINSTANCE instance) { return TRUE; }
C
i686-w64-mingw32-gcc -shared -o "$src/CTL3D32.DLL" "$work/ctl.c" -Wl,--kill-at || fail "fixture CTL3D32.DLL"
rm -rf "$work"
report=$(run_setup 'dlg:1' ok)
check "incomplete CTL3D32 exit" "$(tail -1 <<<"$report")" "exit: 1"
[ -e "$src/REGISTERED" ] && fail "Ctl3dRegister called without Ctl3dAutoSubclass" || echo "ok: incomplete CTL3D32 released unused"
check "setup with an incomplete CTL3D32" "$(tr -d '\r' < "$drive/MEDRA_CTL/README.TXT" 2>/dev/null)" "Lies mich"

section 8
# 8. The error dialog's Retry and Ignore: a file that is no archive (code 2026) is retried,
# fails again and is ignored; the rest is installed and the closing message counts the
# skipped line.
prepare '[data]' 'DefDir = C:\MEDRA_CTL'
rm -rf "$drive/MEDRA_CTL"
printf 'kein Archiv' > "$src/PAKET.LZH"
printf 'Danach\r\n' > "$src/DANACH.TXT"
printf 'PAKET.LZH, 0:\r\nDANACH.TXT, 0:\r\n' >> "$src/MEDRA.INF"
report=$(run_setup 'dlg:1' 'dlg:5' 'dlg:6' ok)
echo "$report"
check "error dialog twice" "$(grep -c '^dialog: Setup error | .*The file is not an archive' <<<"$report")" "2"
contains "skipped line counted" "$report" "Setup has finished.\n1 lines were skipped after errors."
check "ignore exit" "$(tail -1 <<<"$report")" "exit: 1"
check "the file after the ignored one" "$(tr -d '\r' < "$drive/MEDRA_CTL/DANACH.TXT" 2>/dev/null)" "Danach"

section 9
# 9. Every question of the setup, answered both ways where the answer matters: the existing
# target (462: No keeps the dialog, Yes goes on), the newer version found there (463: the
# dialog stays), the optional part (440), the older source (461: Cancel, No to the abort
# question asks again, then Yes installs the older file), mode N (448: No keeps the file),
# and an archive member that exists (No keeps it, the other member is extracted).
fixtures=$(cd "$(dirname "$0")/fixtures" && pwd)
rm -rf "$drive/MEDRA_FRAGE" "$drive/MEDRA_ZWEI"
mkdir -p "$drive/MEDRA_FRAGE" "$drive/MEDRA_ZWEI"
printf 'neuer' > "$drive/MEDRA_FRAGE/ALT.DAT"
prepare
printf '%s\r\n' '[data]' 'DefDir = C:\MEDRA_FRAGE' 'dirwarnexist = 1' 'noupdate = ALT.DAT' '[Files]' '?Extras, 0:' \
  'NEU.TXT, 0:' 'GLEICH.TXT, 0:, 10, N' 'PAKET.LZH, 0:' '[Extras]' 'README.TXT, "Liesmich"' > "$src/MEDRA.INF"
printf 'alt aus der Quelle' > "$src/NEU.TXT"; touch -d '2020-01-01 12:00' "$src/NEU.TXT"
printf 'neu im Ziel' > "$drive/MEDRA_ZWEI/NEU.TXT"; touch -d '2024-01-01 12:00' "$drive/MEDRA_ZWEI/NEU.TXT"
printf 'neu aus der Quelle' > "$src/GLEICH.TXT"; touch -d '2024-01-01 12:00' "$src/GLEICH.TXT"
printf 'alt im Ziel' > "$drive/MEDRA_ZWEI/GLEICH.TXT"; touch -d '2020-01-01 12:00' "$drive/MEDRA_ZWEI/GLEICH.TXT"
cp "$fixtures/basic.lzh" "$src/PAKET.LZH"
printf 'eigenes Hallo' > "$drive/MEDRA_ZWEI/HALLO.TXT"
report=$(run_setup 'dlg:1' no 'dlg:1' yes ok 'dlg:200=C:\MEDRA_ZWEI;1' yes \
  yes cancel no yes no no ok)
echo "$report"
order=$(awk -F' [|] ' '/^box: /{t = substr($3, 1, 40); sub(/ +$/, "", t); print $1 " | " $2 " | " t} /^dialog: /{print $1}' <<<"$report")
check "the questions in order" "$order" \
"dialog: Target directory
box: icon yesno | Setup... | The directory C:\\MEDRA_FRAGE exists alre
dialog: Target directory
box: icon yesno | Setup... | The directory C:\\MEDRA_FRAGE exists alre
box: icon ok | Setup... | A newer version is installed in C:\\MEDRA
dialog: Target directory
box: icon yesno | Setup... | The directory C:\\MEDRA_ZWEI exists alrea
box: icon yesno | Setup... | Install Extras?
box: icon yesnocancel | Setup... | The existing file C:\\MEDRA_ZWEI\\NEU.TXT
box: icon yesno | Setup... | Do you really want to abort the setup?
box: icon yesnocancel | Setup... | The existing file C:\\MEDRA_ZWEI\\NEU.TXT
box: icon yesnocancel | Setup... | The file C:\\MEDRA_ZWEI\\GLEICH.TXT alread
box: icon yesno | HALLO.TXT | Diese Datei existiert bereits. Soll sie
box: icon ok | Setup... | Setup has finished."
contains "463 names the folder and the file" "$report" 'A newer version is installed in C:\MEDRA_FRAGE (ALT.DAT).'
contains "461 with both dates" "$report" 'The existing file C:\MEDRA_ZWEI\NEU.TXT is newer.\nNew file: 01.01.2020 12:00\nExisting file: 01.01.2024 12:00'
contains "448 with both dates" "$report" 'The file C:\MEDRA_ZWEI\GLEICH.TXT already exists.\nNew file: 01.01.2024 12:00\nExisting file: 01.01.2020 12:00'
check "questions exit" "$(tail -1 <<<"$report")" "exit: 1"
check "the optional part installed" "$(tr -d '\r' < "$drive/MEDRA_ZWEI/README.TXT" 2>/dev/null)" "Lies mich"
check "Yes to 461 installs the older file" "$(cat "$drive/MEDRA_ZWEI/NEU.TXT")" "alt aus der Quelle"
check "No to 448 keeps the file" "$(cat "$drive/MEDRA_ZWEI/GLEICH.TXT")" "alt im Ziel"
check "No to the member question keeps it" "$(cat "$drive/MEDRA_ZWEI/HALLO.TXT")" "eigenes Hallo"
cmp -s "$drive/MEDRA_ZWEI/ZAHLEN.TXT" "$fixtures/ZAHLEN.TXT" && echo "ok: the other member extracted" \
  || fail "ZAHLEN.TXT not extracted"
check "the refused folder untouched" "$(ls "$drive/MEDRA_FRAGE")" "ALT.DAT"
rm -rf "$drive/MEDRA_FRAGE" "$drive/MEDRA_ZWEI"

section 10
# 10. The setup ended while an archive member is being written (Cancel in the progress
# window, confirmed): the member is dropped whole, the error dialog says so once with code
# 18, and the setup ends with exit code 0. The member is 64 MB of zeros, stored (-lh0-,
# CRC 0), so that it takes long enough to be cut.
rm -rf "$drive/MEDRA_CTL"
prepare '[data]' 'DefDir = C:\MEDRA_CTL'
sed -i '/^\[Files\]/,$d' "$src/MEDRA.INF"
printf '[Files]\r\nGROSS.LZH, 0:, 100\r\nREADME.TXT, 0:\r\n' >> "$src/MEDRA.INF"
python3 - "$src/GROSS.LZH" <<'PY'
import sys
size = 64 << 20
name = b"GROSS.BIN"
h = b"-lh0-" + size.to_bytes(4, "little") * 2 + b"\x00\x00\x21\x58\x20\x00" + bytes([len(name)]) + name + b"\x00\x00"
with open(sys.argv[1], "wb") as f:
    f.write(bytes([len(h), sum(h) & 0xFF]) + h)
    zeros = bytes(1 << 20)
    for _ in range(size >> 20):
        f.write(zeros)
    f.write(b"\x00")
PY
report=$(run_setup 'dlg:1' 'progress:cancel' yes 'dlg:6')
echo "$report"
check "the error dialog once, with code 18" "$(grep -c '^dialog: Setup error' <<<"$report")" "1"
contains "code 18 names the archive" "$report" 'dialog: Setup error | The setup was stopped.\nC:\medra_dlg\GROSS.LZH'
lacks "no closing message after 18" "$report" "Setup has finished."
check "exit code after 18" "$(tail -1 <<<"$report")" "exit: 0"
check "nothing of the member in the target" "$(ls "$drive/MEDRA_CTL" 2>/dev/null | grep -v -x 'medra.log')" ""
rm -f "$src/GROSS.LZH"
rm -rf "$drive/MEDRA_CTL"

section 11
# 11. Code 32 from Wine's version-checked installation: the target is write-protected. The
# error dialog names the source, Ignore keeps the old file, no temporary copy stays, the
# log has no record of it and the closing message counts the line.
rm -rf "$drive/MEDRA_CTL"
mkdir -p "$drive/MEDRA_CTL"
prepare '[data]' 'DefDir = C:\MEDRA_CTL'
printf 'alt' > "$drive/MEDRA_CTL/README.TXT"
touch -d '2020-01-01 12:00' "$drive/MEDRA_CTL/README.TXT"
chmod a-w "$drive/MEDRA_CTL/README.TXT"
report=$(run_setup 'dlg:1' 'dlg:6' ok)
echo "$report"
contains "code 32 for a write-protected target" "$report" \
  'dialog: Setup error | The file is write-protected, in use or cannot be read.\nC:\medra_dlg\README.TXT'
contains "the line counted as skipped" "$report" "1 lines were skipped after errors."
check "the write-protected file kept" "$(cat "$drive/MEDRA_CTL/README.TXT")" "alt"
check "nothing else in the target" "$(ls "$drive/MEDRA_CTL" | grep -v -x -e README.TXT -e medra.log)" ""
lacks "no record of it" "$(tr -d '\r' < "$drive/MEDRA_CTL/medra.log" 2>/dev/null)" "README"
chmod u+w "$drive/MEDRA_CTL/README.TXT"
rm -rf "$drive/MEDRA_CTL"

section 12
# 12. The source folder named on the command line, in quotes and with a blank: the script
# and the files of disk 1 (whose [disks] entry is ".") come from there, not from the
# program's own folder.
rm -rf "$drive/MEDRA_CTL" "$drive/Mein Paket"
prepare '[disks]' '1 = ., "Diskette 1"' '[data]' 'DefDir = C:\MEDRA_CTL'
mkdir -p "$drive/Mein Paket"
mv "$src/MEDRA.INF" "$drive/Mein Paket/"
printf 'aus dem Paket\r\n' > "$drive/Mein Paket/README.TXT"
(cd "$src" && timeout 150 wine "$bin/tdriver.exe" --timeout 120 --answer 'dlg:1' --answer ok \
  -- 'C:\medra_dlg\MEDRA32.EXE' '"C:\Mein Paket"' > "$report_file" 2>/dev/null)
report=$(tr -d '\r' < "$report_file")
echo "$report"
check "command-line source exit" "$(tail -1 <<<"$report")" "exit: 1"
check "the file from the named folder" "$(tr -d '\r' < "$drive/MEDRA_CTL/README.TXT" 2>/dev/null)" "aus dem Paket"
rm -rf "$drive/MEDRA_CTL" "$drive/Mein Paket"

echo "failures: $failures"
[ "$failures" -eq 0 ]
