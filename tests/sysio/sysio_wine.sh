#!/usr/bin/env bash
# Files, INI and registry, clipboard, keys and the system statements of a Talven program
# under Wine, each checked by a program that is not ours:
# - byte files and COPY against Python's bytes and cmp;
# - SETFATTR's read-only flag as Wine's `attrib` shows it (ERASE then fails), GETFDATE$
#   against the modification time Python set;
# - INI files between READINI$/WRITEINI and Python's configparser, bare names in C:\windows;
# - registry values between WRITEINI/READINI$ and `wine reg query` / `wine reg add`;
# - the clipboard between PUTCLIP/@GETCLIP$ and another process (tvclip) as Unicode text;
# - RANDOMIZE a second apart, WINEXECWAIT of a program that broadcasts;
# - keys typed by SENDSTRING into Wine's notepad.
#   sysio_wine.sh WINDOWS_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine_env.sh"
work=$(mktemp -d /tmp/talven_sysio.XXXXXX)
windows_dir="$WINEPREFIX/drive_c/windows"
cleanup() {
  wine taskkill /f /im notepad.exe >/dev/null 2>&1
  wine reg delete 'HKCU\Software\Talven\Interop' /f >/dev/null 2>&1
  wine reg delete 'HKLM\Software\Talven\Interop' /f >/dev/null 2>&1
  rm -f "$windows_dir/talven_bare.ini"
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" != "$3" ]; then fail "$1: expected [$3], got [$2]"; else echo "ok: $1"; fi; }
talven=$(winepath -w "$bin/TALVEN.EXE")
cp "$bin/tvclip.exe" "$work/"
cd "$work"
wine cmd /c exit >/dev/null 2>&1
# Runs a program (CP1252 text from standard input, LF turned into CR LF) and prints what
# the driver reports, in UTF-8. The output goes through a file: a program the Talven
# program started (notepad) may hold a pipe open.
run() {
  local name=$1
  iconv -f utf-8 -t cp1252 | sed 's/$/\r/' > "$name.tvs"
  timeout 90 wine "$bin/tdriver.exe" --timeout 60 -- "$talven" "$name.tvs" > "$name.out" 2>/dev/null
  tr -d '\r' < "$name.out" | iconv -f cp1252 -t utf-8
}

# --- Byte files and COPY against Python ---------------------------------------------------
python3 - <<'PY'
import random
random.seed(15)
open("py_in.bin", "wb").write(bytes(random.randrange(256) for _ in range(70000)))
open("gross.bin", "wb").write(random.randbytes(10 * 1024 * 1024))
PY
out=$(run bytes <<'TVS'
DECLARE a#, i%, n&
DIM a#, 70000
ASSIGN #1, "talven_out.bin"
OPENRW #1
WHILE i% < 1000
  PUTBYTE #1, i% * 7 + 300
  INC i%
WEND
FILEMODE 0
ASSIGN #2, "py_in.bin"
OPENRW #2
n& = @BLOCKREAD(#2, a#, 0, 70000)
CLOSERW #2
FILEMODE 2
BLOCKWRITE #1, a#, 5, 60000
PRINT n&; " "; @GETFILESIZE(#1); " "; %IORESULT
CLOSERW #1
COPY "gross.bin" > "gross_kopie.bin"
PRINT %IORESULT
TVS
)
check "BLOCKREAD of Python's file, the sizes" "$out" $'screen: 70000 61000 0\nscreen: 0\nexit: 0'
python3 - <<'PY' && echo "ok: PUTBYTE and BLOCKWRITE match Python byte for byte" || fail "talven_out.bin differs from Python's bytes"
data = open("py_in.bin", "rb").read()
expected = bytes((i * 7 + 300) & 0xFF for i in range(1000)) + data[5:60005]
raise SystemExit(0 if open("talven_out.bin", "rb").read() == expected else 1)
PY
cmp -s gross.bin gross_kopie.bin && echo "ok: COPY of 10 MB passes cmp" || fail "COPY of 10 MB differs"
ls | grep -qv -e '^py_in.bin$' -e '^gross' -e '^talven_out.bin$' -e '^tvclip.exe$' -e '^bytes\.' &&
  fail "files left beside the copy: $(ls)"

# --- Attributes and the date of the last write --------------------------------------------
python3 - <<'PY'
import os, time
open("nurlesen.txt", "w").write("bleibt\n")
noon = time.mktime((2021, 3, 4, 12, 0, 0, 0, 0, -1))
os.utime("nurlesen.txt", (noon, noon))
PY
out=$(run attribute <<'TVS'
DECLARE r%
ASSIGN #1, "nurlesen.txt"
PRINT @GETFDATE$(#1)
SETFATTR #1, 1
r% = @WINEXECWAIT("cmd /c attrib nurlesen.txt > attrib1.txt", 0)
ERASE #1
PRINT %IORESULT; " "; @AND(@GETFATTR(#1), 1)
SETFATTR #1, 32
r% = @WINEXECWAIT("cmd /c attrib nurlesen.txt > attrib2.txt", 0)
ERASE #1
PRINT %IORESULT; " "; @GETFATTR(#1)
TVS
)
check "GETFDATE\$ is the modification date; ERASE of a read-only file fails" "$out" \
  $'screen: 20210304\nscreen: 5 1\nscreen: 0 -1\nexit: 0'
flags1=$(tr -d '\r' < attrib1.txt | cut -c1-11)
flags2=$(tr -d '\r' < attrib2.txt | cut -c1-11)
[[ $flags1 == *R* ]] && echo "ok: attrib sees read-only" || fail "attrib after SETFATTR 1: [$(cat attrib1.txt)]"
[[ $flags2 != *R* && $flags2 == *A* ]] && echo "ok: attrib sees it cleared" ||
  fail "attrib after SETFATTR 32: [$(cat attrib2.txt)]"

# --- INI files and Python's configparser ---------------------------------------------------
python3 - <<'PY'
import configparser
c = configparser.ConfigParser(interpolation=None)
c.optionxform = str
c["Allgemein"] = {"Name": "Müller-Lüdenscheidt", "Satz": "zwei  Blanks  innen",
                  "Zitat": 'er sagte "ja"', "Pfad": "C:\\Programme\\Talven"}
c["Leer"] = {}
with open("python.ini", "w", encoding="cp1252", newline="\n") as f:
    f.write("; ein Kommentar\n# noch einer\n")
    c.write(f)
PY
out=$(run ini <<'TVS'
PRINT "["; @READINI$(".\python.ini", "allgemein", "NAME"); "]"
PRINT "["; @READINI$(".\python.ini", "Allgemein", "Satz"); "]"
PRINT "["; @READINI$(".\python.ini", "Allgemein", "Zitat"); "]"
PRINT "["; @READINI$(".\python.ini", "Allgemein", "Pfad"); "]"
WRITEINI ".\talven.ini", "Einträge", "Name" = "Grüße aus Talven"
WRITEINI ".\talven.ini", "Einträge", "Satz" = "  zwei  Blanks  "
WRITEINI ".\talven.ini", "Einträge", "Zitat" = "sie sagte " + @CHR$(34) + "nein" + @CHR$(34)
WRITEINI "talven_bare.ini", "Ohne Pfad", "Ort" = "Windows-Ordner"
PRINT "["; @READINI$(".\talven.ini", "Einträge", "Satz"); "]"
TVS
)
check "READINI\$ reads configparser's file" "$out" \
  $'screen: [Müller-Lüdenscheidt]\nscreen: [zwei  Blanks  innen]\nscreen: [er sagte "ja"]\nscreen: [C:\\Programme\\Talven]\nscreen: [zwei  Blanks]\nexit: 0'
got=$(python3 - "$windows_dir/talven_bare.ini" <<'PY'
import configparser, sys
c = configparser.ConfigParser(interpolation=None)
c.read("talven.ini", encoding="cp1252")
s = c["Einträge"]
print(f'[{s["Name"]}][{s["Satz"]}][{s["Zitat"]}]')
b = configparser.ConfigParser(interpolation=None)
b.read(sys.argv[1], encoding="cp1252")
print(b["Ohne Pfad"]["Ort"])
PY
)
check "configparser reads WRITEINI's file; a bare name is in C:\\windows" "$got" \
  $'[Grüße aus Talven][zwei  Blanks][sie sagte "nein"]\nWindows-Ordner'

# --- The registry and Wine's reg -----------------------------------------------------------
wine reg add 'HKCU\Software\Talven\Interop' /v VonReg /t REG_SZ /d 'Grün von reg' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Talven\Interop' /v Zahl /t REG_DWORD /d 4711 /f >/dev/null 2>&1
out=$(run registry <<'TVS'
PRINT "["; @READINI$("HKEY_1", "Software\Talven\Interop", "VonReg"); "]"
PRINT "["; @READINI$("HKEY_1", "Software\Talven\Interop", "Zahl"); "]"
WRITEINI "HKEY_1", "Software\Talven\Interop", "Text" = "Grüße ä"
WRITEINI "HKEY_2", "Software\Talven\Interop", "Maschine" = "Wert für alle"
TVS
)
check "READINI\$ reads what reg add wrote" "$out" $'screen: [Grün von reg]\nscreen: [4711]\nexit: 0'
# reg prints in the OEM code page: ü 0x81, ß 0xE1, ä 0x84.
wine reg query 'HKCU\Software\Talven\Interop' /v Text 2>/dev/null | tr -d '\r' | grep -a 'Text' > query1.txt
wine reg query 'HKLM\Software\Talven\Interop' /v Maschine 2>/dev/null | tr -d '\r' | grep -a 'Maschine' > query2.txt
grep -a -q $'REG_SZ[[:space:]]*Gr\x81\xe1e \x84$' query1.txt && echo "ok: reg query sees HKEY_1's value" ||
  fail "reg query HKCU: $(od -c query1.txt | head -3)"
grep -a -q $'REG_SZ[[:space:]]*Wert f\x81r alle$' query2.txt && echo "ok: reg query sees HKEY_2's value" ||
  fail "reg query HKLM: $(od -c query2.txt | head -3)"

# --- The clipboard between two processes ---------------------------------------------------
out=$(run clipboard <<'TVS'
DECLARE r%, s$
PUTCLIP "Talven an Helfer: Grüße € ÄÖÜ"
r% = @WINEXECWAIT("tvclip.exe gettext unicode.txt", 0)
PUTCLIP @MKSTR$("x", 255)
PRINT @LEN(@GETCLIP$())
r% = @WINEXECWAIT("tvclip.exe puttext", 0)
PRINT "["; @GETCLIP$(); "]"
TVS
)
check "GETCLIP\$ of 255 characters, the helper's Unicode text" "$out" \
  $'screen: 254\nscreen: [Vom Helfer: Grüße € ÄÖÜ]\nexit: 0'
check "the helper's Unicode read sees PUTCLIP's text" "$(cat unicode.txt 2>/dev/null)" 'Talven an Helfer: Grüße € ÄÖÜ'

# --- RANDOMIZE and WINEXECWAIT -------------------------------------------------------------
out=$(run system <<'TVS'
DECLARE a&, b&, c&, d&, t&, r%
RANDOMIZE
a& = @RND(1000000)
b& = @RND(1000000)
t& = &GETTICKCOUNT
WHILE &GETTICKCOUNT - t& < 1000
WEND
RANDOMIZE
c& = @RND(1000000)
d& = @RND(1000000)
PRINT (a& <> c&) OR (b& <> d&)
r% = @WINEXECWAIT("tvclip.exe broadcast", 0)
PRINT "zurück "; r%
TVS
)
check "RANDOMIZE a second apart; WINEXECWAIT of a broadcasting program" "$out" \
  $'screen: 1\nscreen: zurück 1\nexit: 0'

# --- Keys into notepad ----------------------------------------------------------------------
# What SENDSTRING typed comes back through notepad's own Ctrl+A, Ctrl+C.
out=$(run keys <<'TVS'
DECLARE r%, h%, t&
h% = @WINEXEC("notepad.exe", 1)
t& = &GETTICKCOUNT
h% = 0
WHILE (h% = 0) AND (&GETTICKCOUNT - t& < 20000)
  h% = @FINDWINDOW("Untitled - Notepad")
WEND
' Notepad takes the front as it starts: then this thread has no active window any more.
WHILE (@GETACTIVEWINDOW() <> 0) AND (&GETTICKCOUNT - t& < 20000)
WEND
CLEARCLIP
r% = @SENDSTRING(h%, "Notiz von Talven^a^c")
t& = &GETTICKCOUNT
WHILE (@LEN(@GETCLIP$()) = 0) AND (&GETTICKCOUNT - t& < 10000)
WEND
PRINT "["; @GETCLIP$(); "] "; r%
TVS
)
wine taskkill /f /im notepad.exe >/dev/null 2>&1
check "SENDSTRING into notepad" "$out" $'screen: [Notiz von Talven] 1\nexit: 0'

# --- Keys into a second Talven program's INPUT ----------------------------------------------
# The receiver asks in its window and writes what INPUT read (renamed into place when
# complete); the sender starts it, waits
# until it has taken the front and types a line into it.
printf 'WINDOWTITLE "Empfaenger"\r\nDECLARE s$\r\nPRINT "Name?"\r\nINPUT s$\r\nASSIGN #1, "empf.tmp"\r\nREWRITE #1\r\nPRINT #1, "["; s$; "]"\r\nCLOSE #1\r\nRENAME #1, "empf.txt"\r\n@POSTMESSAGE(%%HWND, 16, 0, 0)\r\n' > empf.tvs
rm -f empf.txt
out=$(sed "s|TALVEN_EXE|${talven//\\/\\\\}|" <<'TVS' | run input_keys
DECLARE r%, h%, t&, s$
h% = @WINEXEC("TALVEN_EXE empf.tvs", 1)
t& = &GETTICKCOUNT
h% = 0
WHILE (h% = 0) AND (&GETTICKCOUNT - t& < 20000)
  h% = @FINDWINDOW("Empfaenger")
WEND
WHILE (@GETACTIVEWINDOW() <> 0) AND (&GETTICKCOUNT - t& < 20000)
WEND
r% = @SENDSTRING(h%, "+anna +berg{ENTER}")
t& = &GETTICKCOUNT
WHILE (@FINDFIRST$("empf.txt") = "") AND (&GETTICKCOUNT - t& < 10000)
WEND
ASSIGN #1, "empf.txt"
RESET #1
INPUT #1, s$
CLOSE #1
PRINT r%; " "; s$
TVS
)
check "SENDSTRING into the INPUT of a second Talven program" "$out" $'screen: 1 [Anna Berg]\nexit: 0'

echo "failures: $failures"
[ "$failures" -eq 0 ]
