#!/usr/bin/env bash
# The group maker examples/gruppe.tvs against Wine's own program-manager DDE server (kept
# running by the fixture shellhost.exe, which calls CoInitialize and ShellDDEInit): the
# group and its items become links under the start menu. Without the server the program
# says so at once and nothing is created. The server's CreateGroup opens explorer windows,
# so the session is ended afterwards.
#   progman_wine.sh WINDOWS_BIN_DIR
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine_env.sh"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" != "$3" ]; then fail "$1: expected [$3], got [$2]"; else echo "ok: $1"; fi; }
work=$(mktemp -d /tmp/talven_progman.XXXXXX)
host_pid=
warm=$(cd "$(dirname "$0")/../../tools" && pwd)/wine_warm.sh
trap '[ -n "$host_pid" ] && kill $host_pid 2>/dev/null; rm -rf "$work"; "$warm"' EXIT
cp "$top/examples/gruppe.tvs" "$work/"
run() {  # ARGS...: the driver's report of the example
  (cd "$work" && timeout 90 wine "$bin/tdriver.exe" --timeout 60 -- "$(winepath -w "$bin/TALVEN.EXE")" gruppe.tvs "$@" \
    2>/dev/null | tr -d '\r')
}

wineserver -k 2>/dev/null
wine cmd /c exit >/dev/null 2>&1
programs=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs)
rm -rf "$programs/TalvenDDE" "$programs/OhneServer"

# No server: the broadcast finds nobody, the program tells so and ends.
start=$(date +%s%N)
out=$(run "OhneServer")
check "without a server" "$out" $'screen: Kein Programm-Manager antwortet: keine Gruppe angelegt.\nexit: 0'
[ $((($(date +%s%N) - start) / 1000000)) -lt 20000 ] && echo "ok: no wait without a server" || fail "waited without a server"
[ -e "$programs/OhneServer" ] && fail "a group without a server"

# With the shell's server.
wine "$bin/shellhost.exe" 60 >/dev/null 2>&1 &
host_pid=$!
sleep 2
out=$(run "TalvenDDE")
check "with the server" "$out" $'screen: Gruppe TalvenDDE angelegt: Notiz, Registrierung.\nexit: 0'
for item in Notiz Registrierung; do
  [ -f "$programs/TalvenDDE/$item.lnk" ] && echo "ok: $item.lnk" || fail "$item.lnk missing: $(ls "$programs/TalvenDDE" 2>&1)"
done
# The link leads to the program named in AddItem.
grep -a -q -i 'notepad.exe' "$programs/TalvenDDE/Notiz.lnk" 2>/dev/null && echo "ok: the link's target" ||
  fail "Notiz.lnk does not name notepad.exe"
rm -rf "$programs/TalvenDDE"
echo "failures: $failures"
[ "$failures" -eq 0 ]
