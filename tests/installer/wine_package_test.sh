#!/usr/bin/env bash
# The setup package end to end under Wine: tools/package.sh makes TALVSET.EXE from the
# built programs; the extractor stub unpacks it (driven by sfx_driver), MEDRA32 installs
# Talven into C:\Programme\Talven with its group (the shell's DDE server from shellhost),
# the INI entry and the registry value; then the installed TALVEN.EXE runs the installed
# example HALLO.TVS and its text is read back.
#   wine_package_test.sh WIN_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEARCH=win32 WINEDEBUG=-all
# Links made by the shell's DDE server would otherwise make Wine's menu builder write menu
# entries into the host's home, outside the prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
drive=$WINEPREFIX/drive_c
target=$drive/Programme/Talven
settings=$drive/windows/TALVED32.INI
programs_dir=$(echo "$drive"/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" != "$3" ]; then fail "$1: expected [$3], got [$2]"; else echo "ok: $1"; fi; }
contains() { if grep -qF -- "$3" <<<"$2"; then echo "ok: $1"; else fail "$1: [$3] not in [$2]"; fi; }

# The editor's settings belong to the other tests: kept and put back.
saved=$(mktemp); had_settings=0
[ -f "$settings" ] && { cp "$settings" "$saved"; had_settings=1; }
restore() {
  wineserver -k 2>/dev/null
  if [ $had_settings = 1 ]; then cp "$saved" "$settings"; else rm -f "$settings"; fi
  rm -f "$saved"; rm -rf "$drive/talvset" "$target" "$programs_dir/ZUL-TALVEN"
  wine reg delete 'HKCU\Software\Talven' /f >/dev/null 2>&1
  "$top/tools/wine_warm.sh"
}
trap restore EXIT
wineserver -k 2>/dev/null
rm -rf "$drive/talvset" "$target" "$programs_dir/ZUL-TALVEN"
wine reg delete 'HKCU\Software\Talven' /f >/dev/null 2>&1
mkdir -p "$drive/talvset"

# 1. The package, made from the built programs.
bash "$top/tools/package.sh" "$bin" "$drive/talvset/TALVSET.EXE" >/dev/null || fail "package.sh"
stub_size=$(stat -c %s "$bin/TLVSFX.BIN")
cmp -s -n "$stub_size" "$bin/TLVSFX.BIN" "$drive/talvset/TALVSET.EXE" && echo "ok: the stub leads the package" \
  || fail "the package does not begin with the stub"

# 2. The stub extracts it.
report=$(cd "$drive/talvset" && timeout 120 wine "$bin/sfx_driver.exe" --timeout 60 \
  --do 'set:101=C:\talvset\src' --do click:1 --do dump --do close -- 'C:\talvset\TALVSET.EXE' 2>/dev/null | tr -d '\r')
contains "extracted with checked sums" "$report" "Archiv erfolgreich entpackt!"
for name in MEDRA32.EXE MED32ENG.DLL MED32DEU.DLL MEDRA.INF TALVEN.EXE HALLO.TVS; do
  [ -f "$drive/talvset/src/$name" ] || fail "not extracted: $name"
done

# A listing of the prefix: every file with size and time, and every registry value under its
# key (the key's own time stamps left out).
listing() {
  wineserver -w
  (cd "$WINEPREFIX" && find . -type f ! -name '*.reg' -printf 'file %P\t%s\t%T@\n')
  python3 - "$WINEPREFIX" <<'PY'
import sys, os
for hive in ("system.reg", "user.reg", "userdef.reg"):
    path = os.path.join(sys.argv[1], hive)
    if not os.path.exists(path): continue
    key = ""
    for line in open(path, encoding="utf-8", errors="replace"):
        line = line.rstrip("\n")
        if line.startswith("["):
            key = line[:line.rindex("]") + 1] if "]" in line else line
            print("key %s %s" % (hive, key))
        elif line and not line.startswith("#") and not line.startswith(";") and not line.startswith("WINE REGISTRY"):
            print("value %s %s\t%s" % (hive, key, line))
PY
}

# 3. MEDRA32 installs it, the group through the shell's DDE server.
marker=$(mktemp)
listing | sort > "$marker.before"
sleep 1
wine "$bin/shellhost.exe" 60 >/dev/null 2>&1 &
sleep 3
report=$(cd "$drive/talvset/src" && timeout 180 wine "$bin/tdriver.exe" --timeout 120 \
  --answer 'dlg:200=C:\Programme\Talven;1' --answer ok -- 'C:\talvset\src\MEDRA32.EXE' 2>/dev/null | tr -d '\r')
echo "$report"
check "setup completed" "$(tail -1 <<<"$report")" "exit: 1"
for name in TALVEN.EXE TLVRUN32.EXE TALVCOMP.EXE TALVLINK.EXE TALVSCR.EXE TALVED32.EXE TLVSFX.EXE TLVSFX.BIN; do
  cmp -s "$bin/$name" "$target/$name" || fail "installed $name differs"
done
cmp -s "$top/examples/hallo.tvs" "$target/BEISPIEL/HALLO.TVS" && echo "ok: the example installed" \
  || fail "example missing: $(ls "$target" "$target/BEISPIEL" 2>&1 | tr '\n' ' ')"
wineserver -k 2>/dev/null; wait 2>/dev/null
contains "INI entry" "$(tr -d '\r' < "$settings" 2>/dev/null)" 'Runtime=C:\Programme\Talven\TLVRUN32.EXE'
contains "registry value" "$(wine reg query 'HKCU\Software\Talven' /v Verzeichnis 2>/dev/null | tr -d '\r')" 'C:\Programme\Talven'
[ -f "$programs_dir/ZUL-TALVEN/Editor.lnk" ] && [ -f "$programs_dir/ZUL-TALVEN/Interpreter.lnk" ] \
  && echo "ok: the group's links" || fail "links missing: $(ls "$programs_dir/ZUL-TALVEN" 2>&1)"
contains "log" "$(tr -d '\r' < "$target/medra.log" 2>/dev/null)" "CZUL-TALVEN"
# Nothing was written outside the target, the Windows folder, the group and the package's
# own folder.
outside=$(find "$drive" -newer "$marker" -type f 2>/dev/null | grep -v -e "^$target/" -e "^$drive/windows/" \
  -e "^$drive/talvset/" -e "^$programs_dir/ZUL-TALVEN/" -e "^$drive/users/[^/]*/Temp/" -e "^$drive/users/[^/]*/AppData/Local/Temp/")
check "no write outside the places the setup names" "$outside" ""
# The listings before and after the setup: what changed, was added or went away lies in the
# target, the Windows folder (with the system folder), the group, the package's folder, or
# is a registry value of the key the script names (or the date Wine's display driver stamps
# on every session start). Nothing is written into the host's home either.
listing | sort > "$marker.after"
changed=$(comm -3 "$marker.before" "$marker.after" | sed 's/^\t//' | grep -v \
  -e '^file drive_c/Programme/Talven/' -e '^file drive_c/windows/' -e '^file drive_c/talvset/' \
  -e "^file ${programs_dir#$WINEPREFIX/}/ZUL-TALVEN/" -e '^file drive_c/users/[^/]*/\(AppData/Local/\)\?Temp/' \
  -e '^\(key\|value\) user.reg \[Software\\\\Talven\]' \
  -e '^value system.reg \[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\\\0000\]	"DriverDateData"=' \
  | sort -u)
echo "changes of the run (filtered): $changed"
check "the listing before and after the setup" "$changed" ""
check "nothing in the host's menus" "$(find "$HOME/.local/share/applications" "$HOME/.config/menus" -newer "$marker" 2>/dev/null)" ""
rm -f "$marker" "$marker.before" "$marker.after"

# 4. The installed interpreter runs the installed example.
report=$(cd "$target/BEISPIEL" && timeout 120 wine "$bin/tdriver.exe" --timeout 60 --type x \
  -- 'C:\Programme\Talven\TALVEN.EXE' HALLO.TVS 2>/dev/null | tr -d '\r')
contains "the example's text" "$report" "screen: Hallo, Welt!"
check "the example's end" "$(tail -1 <<<"$report")" "exit: 0"

echo "package test: $failures failure(s)"
[ $failures = 0 ]
