# Sourced by the scripts: the one Wine environment every run and test uses.
_talven_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TALVEN_WINEPREFIX:-$_talven_top/.cache/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset _talven_top
