#!/usr/bin/env bash
# End-to-end tests of TALVED32 under Wine, driven by eddriver: typing and the close query with
# the saved file and its backup, a read-only target, every start command line (seen by a
# recorder copied as each program), F9 with the real compiler, a hand-written project,
# find/replace, block commands, undo, go to line, copy as file; the dialogs (input boxes,
# font, save as, open, projects and their settings, Programm aufrufen, the missing tools'
# boxes) each through its menu item; crash recovery after a killed editor. With a display (Xvfb) also
# a screenshot of the frame with a coloured source, compared with the reference.
#   tests/editor_e2e.sh WINDOWS_BIN_DIR [--update-screens]
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd); update=${2:-}
top=$(cd "$(dirname "$0")/.." && pwd)
screens=$top/tests/editor_screens
source "$top/tools/wine_env.sh"
main_prefix=$WINEPREFIX
work=$(mktemp -d); trap 'rm -rf "$work"; "$top/tools/wine_warm.sh" "$main_prefix"' EXIT
passed=0; failed=0
ini() { echo "$WINEPREFIX/drive_c/windows/TALVED32.INI"; }

pass() { passed=$((passed + 1)); }
fail() { echo "FAIL $1"; shift; [ $# -gt 0 ] && printf '%s\n' "$@"; failed=$((failed + 1)); }
expect_same() {  # name, actual file, expected bytes (printf format)
  local want; want=$(mktemp); printf "$3" > "$want"
  if cmp -s "$2" "$want"; then pass; else fail "$1" "$(od -c "$2" | head -5)"; fi
  rm -f "$want"
}
expect_line() {  # name, output, line
  if grep -qaxF -- "$3" <<<"$2"; then pass; else fail "$1: no line [$3]" "$2"; fi
}
# Through a file: programs the editor starts inherit the output and would hold a pipe open.
drive() { wine "$bin/eddriver.exe" --timeout 40 "$@" > "$work/drive.txt" 2>/dev/null; tr -d '\r' < "$work/drive.txt"; }
win() { local p=${1//\//\\}; echo "Z:$p"; }
fresh() { echo "== $1 $(date +%T)" >&2; rm -f "$(ini)"; rm -rf "$work/$1"; mkdir -p "$work/$1"; cp "$bin/TALVED32.EXE" "$work/$1/"; cd "$work/$1" || exit 1; }

wineserver -k 2>/dev/null; wine cmd /c exit >/dev/null 2>&1
question() { printf 'box: icon yes,no,cancel | Frage: | \xC4nderungen in %s speichern?' "$1"; }

# Typing, then closing with Yes: the file gets the change, the old one goes to a.BAK.
fresh save
printf 'PRINT "a"\r\nEND\n\200\377' > a.tvs
out=$(drive --step 'type:X' --step close --answer yes -- "$(win "$PWD")\\TALVED32.EXE" a.tvs)
expect_line save-query "$out" "$(question "$(win "$PWD/a.tvs")")"
expect_line save-exit "$out" "exit: 0"
expect_same save-file a.tvs 'XPRINT "a"\r\nEND\n\200\377'
expect_same save-backup a.BAK 'PRINT "a"\r\nEND\n\200\377'

# Cancel keeps the editor with its text; No then leaves the file alone.
fresh cancel
printf 'one\r\n' > a.tvs
out=$(drive --step 'type:Y' --step close --answer cancel --step text --step close --answer no -- "$(win "$PWD")\\TALVED32.EXE" a.tvs)
expect_line cancel-keeps "$out" 'text: Yone\n'
expect_same cancel-no-save a.tvs 'one\r\n'
[ ! -e a.BAK ] && pass || fail cancel-no-backup

# A read-only target keeps the old file; the box names it and the window stays.
fresh readonly
printf 'old\r\n' > a.tvs; chmod 444 a.tvs
out=$(drive --step 'type:Z' --step close --answer yes --answer ok --step text --step close --answer no -- "$(win "$PWD")\\TALVED32.EXE" a.tvs)
expect_line readonly-box "$out" "box: icon ok | ZUL-TALVEN-Editor 6.2-32 | Datei kann nicht erzeugt werden: $(win "$PWD/a.tvs")"
expect_line readonly-stays "$out" 'text: Zold\n'
expect_same readonly-file a.tvs 'old\r\n'
chmod 644 a.tvs

# An unreadable file: the box, and the window keeps the name.
fresh unreadable
out=$(drive --step caption --step close -- "$(win "$PWD")\\TALVED32.EXE" missing.tvs)
expect_line unreadable-box "$out" "box: icon ok | ZUL-TALVEN-Editor 6.2-32 | Datei kann nicht gelesen werden: $(win "$PWD/missing.tvs")"
expect_line unreadable-name "$out" "caption: ZUL-TALVEN-Editor 6.5-32 - [$(win "$PWD/missing.tvs")] | $(win "$PWD/missing.tvs")"

# Every start command line, exactly, as the programs receive it.
fresh starts
for program in TALVEN TALVCOMP TALVLINK TLVRUN32 TALVSCR HELFER; do cp "$bin/cmdrecord.exe" "$program.EXE"; done
printf 'PRINT 1\r\n' > demo.tvs; : > demo.TVC
dir=$(win "$PWD")
drive --step 'keys:F7' --step 'keys:F9' --step 'keys:F8' --step 'menu:Talven/als Scri*' \
  --step 'menu:Talven/Exe-Datei erstellen...' --answer "file:$dir\\demo.TVC" \
  --step 'menu:Talven/Screensaver erstellen...' --answer "file:$dir\\demo.TVC" \
  --step 'menu:Helfer/Datenbankstruktur' --step 'menu:Helfer/Hilfedatei erzeugen' \
  --step 'menu:Helfer/Benutzerm*' --step 'wait:1500' --step close -- "$(win "$PWD")\\TALVED32.EXE" demo.tvs > drive.out
sleep 1
expected=$(printf '%s\n' "TALVEN.EXE \"$dir\\demo.tvs\"" "TALVCOMP.EXE \"$dir\\demo.tvs\"" \
  "$dir\\TLVRUN32.EXE \"demo.TVC\"" "TALVSCR.EXE \"$dir\\demo.tvs\"" \
  "TALVLINK.EXE \"$dir\\demo.TVC\"" "TALVLINK.EXE \"$dir\\demo.TVC\" /S" \
  "HELFER.EXE \"$dir\\STRUKTUR.HLF\"" "HELFER.EXE \"$dir\\HILFE.HLF\"" \
  "$dir\\TLVRUN32.EXE \"$dir\\BENUTZER.HLF\"" | sort)
actual=$(tr -d '\r' < commands.txt 2>/dev/null | sort)
[ "$actual" = "$expected" ] && pass || fail starts "expected:" "$expected" "actual:" "$actual"

# F9 saves the edited source (asked first) and the real compiler writes the code file.
fresh compile
cp "$bin/TALVCOMP.EXE" .
printf 'PRINT "Hallo"\r\nEND\r\n' > hello.tvs
out=$(drive --step 'type:REM neu\n' --step 'keys:F9' --answer yes --step 'wait:500' --step close -- "$(win "$PWD")\\TALVED32.EXE" hello.tvs)
code() { find . -maxdepth 1 -iname hello.tvc -size +0 | head -1; }  # the compiler's own spelling
for _ in $(seq 1 60); do [ -n "$(code)" ] && break; sleep 0.5; done
wineserver -k 2>/dev/null; wine cmd /c exit >/dev/null 2>&1
expect_line compile-asks "$out" "$(question "$(win "$PWD/hello.tvs")")"
expect_same compile-saved hello.tvs 'REM neu\r\nPRINT "Hallo"\r\nEND\r\n'
[ -n "$(code)" ] && pass || fail compile-code-file "$(ls)"

# A hand-written project: LF line ends, settings last, an untitled window; closing rewrites
# it (active window first) and the settings file.
fresh project
printf 'x\r\n' > b.tvs
dir=$(win "$PWD")
printf 'b.tvs\nOhneName\n$3=RT.EXE\n$P=%s\n' "$dir" > a.prj
out=$(drive --step caption --step close -- "$(win "$PWD")\\TALVED32.EXE" @a.prj)
expect_same project-rewritten a.prj "\$3=RT.EXE\r\n\$P=${dir//\\/\\\\}\r\nOhneName\r\n${dir//\\/\\\\}\\\\b.tvs\r\n"
settings=$(tr -d '\r' < "$(ini)")
for line in 'Runtime=RT.EXE' 'Projekt=a.prj' 'Toolbar1=1' 'Schnellsuche=1' 'Width=600'; do
  expect_line "project-ini $line" "$settings" "$line"
done

# Replace-all through the dialog, indent all, save; then undo and redo by keys.
fresh edit
printf 'aa bb aa\r\ncc\r\n' > e.tvs
out=$(drive --step 'keys:ctrl+a' --answer 'replace:aa|x|all' --step 'keys:alt+ins' --step 'keys:ctrl+i' \
  --step 'keys:F2' --step 'keys:alt+back' --step text --step 'keys:shift+alt+back' --step text \
  --step close -- "$(win "$PWD")\\TALVED32.EXE" e.tvs)
expect_same edit-file e.tvs ' x bb x\r\n cc\r\n '
expect_line edit-undo "$out" 'text: x bb x\ncc\n'
expect_line edit-redo "$out" 'text:  x bb x\n cc\n '

# Find, go to line, typing; Ctrl+K Ctrl+W writes the selected lines whole, WordStar's
# Ctrl+K R reads them in again.
fresh find
printf 'eins\r\nzwei drei\r\nvier\r\n' > f.tvs
out=$(drive --step 'keys:ctrl+f' --answer 'find:drei' --step 'type:3' --step 'keys:ctrl+j' --answer 'input:3' \
  --step 'type:>' --step 'keys:ctrl+home right shift+down' --step 'keys:ctrl+k ctrl+w' \
  --answer "file:$(win "$PWD")\\out.txt" --step 'keys:ctrl+end' --step 'keys:ctrl+k r' \
  --answer "file:$(win "$PWD")\\out.txt" --step 'keys:ctrl+f' --answer 'find:fehlt' --answer ok --step text \
  --step close --answer no -- "$(win "$PWD")\\TALVED32.EXE" f.tvs)
expect_line find-edits "$out" 'text: eins\nzwei 3\n>vier\neins\nzwei 3\n'
expect_same copy-as-file out.txt 'eins\r\nzwei 3\r\n'
expect_line find-miss "$out" 'box: icon ok | ZUL-TALVEN-Editor 6.2-32 | "fehlt"  nicht gefunden!'
wineserver -k 2>/dev/null

# Word wrap: Down from the start of a long line goes to the line's second row; switched off
# again, Down goes to the next line.
fresh wrap
{ for _ in $(seq 40); do printf 'wort '; done; printf '\r\nzwei\r\n'; } > w.tvs
out=$(drive --step 'wait:1000' --step 'menu:Optionen/Zeilen*' --step 'keys:ctrl+home down' --step 'type:X' \
  --step 'menu:Optionen/Zeilen*' --step 'keys:ctrl+home down' --step 'type:Y' --step text \
  --step close --answer no -- "$(win "$PWD")\\TALVED32.EXE" w.tvs)
if grep -qaE '^text: (wort )+Xwort (wort )+\\nYzwei\\n$' <<<"$out"; then pass; else fail wrap-rows "$out"; fi

# The input boxes: Tabulator (prefilled with the width, written to the settings), Mit Text
# einrücken on the selected lines, INCLUDE-PFAD; Weitersuchen repeats the find; F5 types the
# date and time.
fresh inputs
printf 'x1 x2\tx3\r\nzwei\r\n' > i.tvs
out=$(drive --step 'menu:Optionen/Tabulator...' --answer 'input:4' \
  --step 'keys:ctrl+home shift+down shift+end' --step 'menu:Bearbeiten/Mit Text einr*' --answer "input:' " \
  --step 'menu:Optionen/Include-Pfad...' --answer 'input:C:\INC;D:\MEHR' \
  --step 'keys:ctrl+home' --step 'keys:ctrl+f' --answer 'find:x' --step 'type:A' --step 'keys:ctrl+l' --step 'type:B' \
  --step 'keys:F2' --step 'keys:ctrl+end' --step 'keys:F5' --step text --step close --answer no \
  -- "$(win "$PWD")\\TALVED32.EXE" i.tvs)
expect_line tab-dialog "$out" 'dialog: Tabulator | Position: | 8'
expect_line indent-dialog "$out" "$(printf 'dialog: Mit Text einr\xFCcken | Einr\xFCcktext | ')"
expect_line include-dialog "$out" "$(printf 'dialog: INCLUDE-PFAD | Vollst\xE4ndiger Suchpfad f\xFCr Include-Dateien: | ')"
expect_same inputs-file i.tvs "' A1 B2\tx3\r\n' zwei\r\n"
settings=$(tr -d '\r' < "$(ini)")
expect_line tab-ini "$settings" 'Tab=4'
expect_line include-ini "$settings" 'Include=C:\INC;D:\MEHR'
if grep -qaE "^text: ' A1 B2\\\\t.*\\\\n' zwei\\\\n.+ - [0-9]{1,2}:[0-9]{2}.* $" <<<"$out"; then pass; else fail date-time "$out"; fi

# Schrift: a fixed-pitch face (Courier where the prefix has it) and size from the font
# dialog go to the settings.
fresh font
printf 'PRINT 1\r\n' > s.tvs
out=$(drive --step 'menu:Optionen/Schrift...' --answer 'font:Courier|10' --step close -- "$(win "$PWD")\\TALVED32.EXE" s.tvs)
face=$(sed -n 's/^font: //p' <<<"$out")
settings=$(tr -d '\r' < "$(ini)")
[ -n "$face" ] && [ "$face" != FixedSys ] && pass || fail font-chosen "$out"
expect_line font-name "$settings" "FontName=$face"
expect_line font-size "$settings" 'Size=10'

# Datei speichern als: an untitled window gets "tvs" added; saving over a file asks first.
fresh saveas
printf 'alt\r\n' > alt.tvs
dir=$(win "$PWD")
out=$(drive --step 'menu:Datei/Neue Datei' --step 'type:neu' --step 'menu:Datei/Datei speichern als...' --answer "file:$dir\\neu" \
  --step caption --step 'type:!' --step 'menu:Datei/Datei speichern als...' --answer "file:$dir\\alt.tvs" --answer yes \
  --step caption --step close -- "$(win "$PWD")\\TALVED32.EXE")
expect_same saveas-new neu.tvs 'neu'
expect_same saveas-over alt.tvs 'neu!'
# The file dialog's own question (in the prefix's language) comes before the file is written.
if grep -qa '^box: icon yes,no | ' <<<"$out"; then pass; else fail saveas-overwrite-asked "$out"; fi
expect_line saveas-caption "$out" "caption: ZUL-TALVEN-Editor 6.5-32 - [alt.tvs] | alt.tvs"

# Datei öffnen (F3) and Programm aufrufen, which starts the chosen program by its quoted name.
fresh openfile
printf 'zweite\r\n' > b.tvs
cp "$bin/cmdrecord.exe" "WERK ZEUG.EXE"
dir=$(win "$PWD")
out=$(drive --step 'keys:F3' --answer "file:$dir\\b.tvs" --step text --step caption \
  --step 'menu:Datei/Programm aufrufen...' --answer "file:$dir\\WERK ZEUG.EXE" --step 'wait:1000' --step close -- "$(win "$PWD")\\TALVED32.EXE")
expect_line open-dialog "$out" "$(printf 'dialog: Datei \xF6ffnen')"
expect_line open-text "$out" 'text: zweite\n'
expect_line open-caption "$out" "caption: ZUL-TALVEN-Editor 6.5-32 - [$dir\\b.tvs] | $dir\\b.tvs"
for _ in $(seq 20); do [ -s commands.txt ] && break; sleep 0.5; done
expect_same call-program commands.txt "\"${dir//\\/\\\\}\\\\WERK ZEUG.EXE\"\r\n"

# Neues Projekt: the name dialog, then the settings dialog (showing the project file; its
# runtime field becomes [LINK] Runtime and the project's "$3" line), then closing writes it.
fresh newproject
dir=$(win "$PWD")
out=$(drive --step 'menu:Datei/Neues Projekt...' --answer "file:$dir\\neu.prj" \
  --answer "dlg:report:104;report:101;101=RT2.EXE;103=$dir;1" --step close -- "$(win "$PWD")\\TALVED32.EXE")
expect_line newproject-name "$out" 'dialog: Geben Sie dem Projekt einen Namen:'
expect_line newproject-settings "$out" 'dialog: Projekt-Einstellungen'
expect_line newproject-file-field "$out" "field 104: $dir\\neu.prj"
expect_same newproject-file neu.prj "\$3=RT2.EXE\r\n\$P=${dir//\\/\\\\}\r\n"
settings=$(tr -d '\r' < "$(ini)")
expect_line newproject-runtime "$settings" 'Runtime=RT2.EXE'
expect_line newproject-ini "$settings" "Projekt=$dir\\neu.prj"

# Projekt öffnen closes the open windows and opens the project's; Projekt speichern als
# writes it under a new name; Projekt schließen closes its windows and forgets it.
fresh openproject
dir=$(win "$PWD")
printf 'c\r\n' > c.tvs; printf 'd\r\n' > d.tvs
printf 'c.tvs\r\n$P=%s\r\n' "$dir" > p.prj
out=$(drive --step 'menu:Datei/Projekt *' --answer "file:$dir\\p.prj" --step caption \
  --step 'menu:Datei/Projekt speichern als...' --answer "file:$dir\\q.prj" \
  --step 'menu:Datei/Projekt schlie*' --step caption --step close -- "$(win "$PWD")\\TALVED32.EXE" d.tvs)
expect_line openproject-window "$out" "caption: ZUL-TALVEN-Editor 6.5-32 - [$dir\\c.tvs] | $dir\\c.tvs"
expect_line openproject-closed "$out" "caption: ZUL-TALVEN-Editor 6.5-32 | "
if grep -qa "^${dir//\\/\\\\}\\\\c.tvs"$'\r'"\$" q.prj; then pass; else fail saveproject-as "$(cat q.prj 2>/dev/null)"; fi
settings=$(tr -d '\r' < "$(ini)")
expect_line closeproject-ini "$settings" 'Projekt='

# The tools Wine does not have (calc.exe, clipbrd.exe among them): each menu item shows its box.
fresh tools
printf 'x\r\n' > t.tvs
out=$(drive --step 'menu:Fenster/Rechner' --step 'menu:Fenster/Ansi-Tabelle' --step 'menu:Fenster/Termin-Kalender' \
  --step 'menu:Bearbeiten/Zwischenablage' --step close -- "$(win "$PWD")\\TALVED32.EXE" t.tvs)
for tool in CALC ANSI CALENDAR CLIPBRD; do
  expect_line "tool-$tool" "$out" "box: icon ok | ZUL-TALVEN-Editor 6.2-32 | \"$tool.EXE\" nicht gefunden."
done

# Menu states as the menus show them when opened: without a window the frame's own menus
# (no Bearbeiten, no Datei speichern); with one, Ausschneiden, Kopieren and Löschen only with
# a selection, Einfügen only while the clipboard holds text, Weitersuchen only after a find;
# Rückgängig is never greyed (with or without anything to undo); the check marks of the bars.
# The clipboard with another program (the driver): its text is pasted, the copied text is
# what it reads. (Captions with umlauts are matched by their start: the first item wins.)
fresh menus
out=$(drive --timeout 120 --step 'clip:' --step 'menustate:Datei/Neue Datei' --step 'menustate:Datei/Datei speichern' \
  --step 'menustate:Bearbeiten/Einf*' --step 'menu:Datei/Neue Datei' \
  --step 'menustate:Datei/Datei speichern' --step 'menustate:Bearbeiten/R*' \
  --step 'menustate:Bearbeiten/Ausschneiden' --step 'menustate:Bearbeiten/Kopieren' \
  --step 'menustate:Bearbeiten/L*' --step 'menustate:Bearbeiten/Einf*' \
  --step 'menustate:Suchen/Weitersuchen' --step 'menustate:Optionen/Toolbar' \
  --step 'menustate:Optionen/Zeilenumbruch' --step 'type:abc' --step 'menustate:Bearbeiten/R*' \
  --step 'keys:shift+home' --step 'menustate:Bearbeiten/Ausschneiden' --step 'menustate:Bearbeiten/Kopieren' \
  --step 'menustate:Bearbeiten/L*' --step 'keys:ctrl+ins' --step clipboard \
  --step 'menustate:Bearbeiten/Einf*' --step 'clip:von draussen' --step 'keys:end shift+ins' --step text \
  --step 'menu:Optionen/Toolbar' --step 'menustate:Optionen/Toolbar' \
  --step 'keys:ctrl+home' --step 'keys:ctrl+f' --answer 'find:von' --step 'menustate:Suchen/Weitersuchen' \
  --step close --answer no -- "$(win "$PWD")\\TALVED32.EXE")
while read -r line; do expect_line "menus [$line]" "$out" "$(printf "$line")"; done <<'LINES'
menu: Datei/Neue Datei enabled
no menu item: Datei/Datei speichern
no menu item: Bearbeiten/Einf*
menu: Datei/Datei speichern enabled
menu: Bearbeiten/Ausschneiden greyed
menu: Bearbeiten/Kopieren greyed
menu: Bearbeiten/L* greyed
menu: Bearbeiten/Einf* greyed
menu: Suchen/Weitersuchen greyed
menu: Optionen/Toolbar enabled checked
menu: Optionen/Zeilenumbruch enabled
menu: Bearbeiten/Ausschneiden enabled
menu: Bearbeiten/Kopieren enabled
menu: Bearbeiten/L* enabled
clipboard: abc
menu: Bearbeiten/Einf* enabled
text: abcvon draussen
menu: Optionen/Toolbar enabled
menu: Suchen/Weitersuchen enabled
LINES
[ "$(grep -cxF 'menu: Bearbeiten/R* enabled' <<<"$out")" = 2 ] && pass || fail menus-undo "$out"

# The toolbar's tooltips, left to right, as the mouse rests on each button.
fresh tooltips
steps=(); for i in $(seq 14); do steps+=(--step "tooltip:$i"); done
out=$(drive --timeout 120 "${steps[@]}" --step close -- "$(win "$PWD")\\TALVED32.EXE")
i=0
while read -r tip; do
  i=$((i + 1)); expect_line "tooltip $i" "$out" "$(printf "tooltip $i: $tip")"
done <<'TIPS'
Hilfe zum Editor anzeigen
Datei \xf6ffnen
Datei speichern
Letzte \xc4nderung r\xfcckg\xe4ngig machen
Text ausschneiden und in Zwischenablage speichern
Text in Zwischenablage kopieren
Text aus Zwischenablage einf\xfcgen
Testpassage suchen
Textfenster hintereinander anordnen
Textfenster nebeneinander anordnen
Benutzermen\xfc anzeigen
Programm im Interpretermodus starten
Listing drucken
Editor verlassen
TIPS

# Help: the system's WinHelp starts the help program (a recorder copied as WINHLP32.EXE
# beside the editor) and hands it each request: F1 the contents of TALVEN.HLP, Alt+F1 the
# keyword "Referenz", Ctrl+F1 the word at the caret as a partial keyword, ?/Editor the
# contents and the jump to "Editor"; closing the editor ends help.
fresh help
cp "$bin/cmdrecord.exe" WINHLP32.EXE
printf 'x = 1\r\n  PRINT x\r\n' > h.tvs
drive --step 'keys:F1' --step 'keys:alt+F1' --step 'keys:down right right right right' --step 'keys:ctrl+F1' \
  --step 'menu:?/Editor' --step 'wait:500' --step close -- "$(win "$PWD")\\TALVED32.EXE" h.tvs > /dev/null
for _ in $(seq 20); do grep -q 'help: 2 ' commands.txt 2>/dev/null && break; sleep 0.5; done
helped=$(tr -d '\r' < commands.txt 2>/dev/null)
if grep -qaiE '^"?([A-Z]:\\.*\\)?winhlp32(\.exe)?"? -x$' <<<"$helped"; then pass; else fail help-started "$helped"; fi
expected=$(printf '%s\n' 'help: 3 TALVEN.HLP' 'help: 257 TALVEN.HLP | Referenz' 'help: 261 TALVEN.HLP | PRINT' \
  'help: 3 TALVEN.HLP' 'help: 258 TALVEN.HLP | JumpID("","Editor")' 'help: 2 TALVEN.HLP')
[ "$(grep -a '^help:' <<<"$helped")" = "$expected" ] && pass || fail help-requests "expected:" "$expected" "actual:" "$helped"

# Crash recovery: once the text has been left alone for the idle time (here one second), a
# modified window's text is copied to NAME.~tv and listed in the settings. A killed editor
# leaves both; the next start offers them: Yes shows the copy's text in the file's window,
# modified, and saving removes copy and entry; No deletes them; closing without saving too.
fresh recovery
dir=$(win "$PWD")
printf 'alt\r\n' > r.tvs
printf '[Optionen]\r\nSicherung=1\r\n' > "$(ini)"
out=$(drive --step 'type:neu ' --step 'wait:2500' --step kill -- "$dir\\TALVED32.EXE" r.tvs)
expect_line recovery-killed "$out" 'exit: 3'
expect_same recovery-copy r.~tv 'neu alt\r\n'
expect_same recovery-untouched r.tvs 'alt\r\n'
grep -qaF "|$dir\\r.~tv|$dir\\r.tvs" "$(ini)" && pass || fail recovery-listed "$(cat "$(ini)")"
out=$(drive --answer yes --step text --step close --answer yes -- "$dir\\TALVED32.EXE")
expect_line recovery-question "$out" "$(printf 'box: icon yes,no | ZUL-TALVEN-Editor 6.2-32 | Der Editor wurde nicht ordnungsgem\xE4\xDF beendet. Ungesicherte \xC4nderungen wiederherstellen?\\l\\l%s' "$dir\\r.tvs")"
expect_line recovery-text "$out" 'text: neu alt\n'
expect_line recovery-modified "$out" "$(question "$dir\\r.tvs")"
expect_same recovery-saved r.tvs 'neu alt\r\n'
[ ! -e r.~tv ] && pass || fail recovery-copy-removed-on-save
# No: the copy goes; the next start asks nothing.
out=$(drive --step 'type:weg ' --step 'wait:2500' --step kill -- "$dir\\TALVED32.EXE" r.tvs)
[ -e r.~tv ] && pass || fail recovery-second-copy
out=$(drive --answer no --step text --step close -- "$dir\\TALVED32.EXE")
expect_line recovery-declined "$out" 'text: (no window)'
[ ! -e r.~tv ] && pass || fail recovery-copy-removed-on-no
# Closing a window without saving removes its copy and entry.
out=$(drive --step 'type:auch ' --step 'wait:2500' --step close --answer no -- "$dir\\TALVED32.EXE" r.tvs)
if grep -qa 'box:.*wiederherstellen' <<<"$out"; then fail recovery-asked-again "$out"; else pass; fi
[ ! -e r.~tv ] && pass || fail recovery-copy-removed-on-close
grep -qa '~tv' "$(ini)" && fail recovery-entry-left "$(cat "$(ini)")" || pass
expect_same recovery-kept r.tvs 'neu alt\r\n'

# Screenshots on a display, one per group, compared with the references: the empty frame; a
# coloured source with a selection; word wrap; two windows side by side; the project
# settings dialog; the bars hidden. The files lie in C:\SHOTS so that the windows' captions
# are the same in every run.
if command -v xvfb-run >/dev/null; then
  fresh screen
  shots=$WINEPREFIX-display/drive_c/SHOTS
  cat > shot.sh <<INNER
export WINEPREFIX=$WINEPREFIX-display
rm -rf "$shots"; mkdir -p "$shots"
cp "$bin/TALVED32.EXE" "$screens/colours.tvs" "$shots/"
printf 'PRINT "Fenster eins"\r\nEND\r\n' > "$shots/EINS.TVS"
printf 'PRINT "Fenster zwei"\r\nEND\r\n' > "$shots/ZWEI.TVS"
{ for _ in \$(seq 30); do printf 'Umbruch '; done; printf '\r\nEND\r\n'; } > "$shots/WRAP.TVS"
printf '\$3=TLVRUN32.EXE\r\n\$P=C:\\\\SHOTS\r\nEINS.TVS\r\n' > "$shots/P.PRJ"
cd "$shots"
shoot() {
  rm -f "\$WINEPREFIX/drive_c/windows/TALVED32.INI"
  wine "$bin/eddriver.exe" --timeout 40 "\$@" >/dev/null 2>&1
}
wine cmd /c exit >/dev/null 2>&1
shoot --step 'screenshot:empty.bmp' --step close -- 'C:\\SHOTS\\TALVED32.EXE'
shoot --step 'keys:down down down right right' --step 'keys:shift+down shift+down shift+right' \
  --step 'screenshot:colours.bmp' --step close -- 'C:\\SHOTS\\TALVED32.EXE' colours.tvs
shoot --step 'menu:Optionen/Zeilen*' --step 'screenshot:wrap.bmp' --step close -- 'C:\\SHOTS\\TALVED32.EXE' WRAP.TVS
shoot --step 'menu:Fenster/Nebeneinander' --step 'screenshot:tiled.bmp' --step close -- 'C:\\SHOTS\\TALVED32.EXE' EINS.TVS ZWEI.TVS
shoot --step 'menu:Optionen/Projekt-Einstellungen...' --answer 'shot:project.bmp' --step close -- 'C:\\SHOTS\\TALVED32.EXE' @P.PRJ
shoot --step 'menu:Optionen/Toolbar' --step 'menu:Optionen/Schnellsuche' --step 'screenshot:bars.bmp' \
  --step close -- 'C:\\SHOTS\\TALVED32.EXE' EINS.TVS
wineserver -k
cp "$shots"/*.bmp "$PWD/"
INNER
  xvfb-run -a -s "-screen 0 1024x768x24" bash shot.sh >/dev/null 2>&1
  for name in empty colours wrap tiled project bars; do
    if [ ! -f "$name.bmp" ]; then
      fail "screenshot $name taken"
    elif [ "$update" = "--update-screens" ]; then
      convert "$name.bmp" "$screens/$name.png" && pass
    else
      differing=$(compare -metric AE "$screens/$name.png" "$name.bmp" diff.png 2>&1 >/dev/null)
      # The caret may blink: up to its 2 x 16 pixels may differ.
      if [[ "$differing" =~ ^[0-9]+$ ]] && [ "$differing" -le 32 ]; then pass; else
        cp "$name.bmp" "$screens/$name.actual.bmp"; fail "screenshot $name: $differing pixels differ"
      fi
    fi
  done
fi

echo "editor e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
