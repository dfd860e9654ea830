# Sourced by the scripts: the one Wine environment every run and test uses.
_talven_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TALVEN_WINEPREFIX:-$_talven_top/.cache/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko installer; and no menu builder: links the shell makes (program groups)
# would otherwise become menu entries in the host's home, outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset _talven_top
