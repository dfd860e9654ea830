#!/usr/bin/env bash
# The portable core never includes windows.h: only win32/ folders, the programs' entry
# points and the Win32 tools may. C and C++ sources only: a script may write out a Win32
# program for a test or a benchmark.
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top" || exit 2
hits=$(grep -rlE --include='*.c' --include='*.cpp' --include='*.h' '#\s*include\s*<(windows|commdlg|winuser|wingdi|winbase|shellapi|shlobj)\.h>' \
  engine library toolchain script editor sfx installer tests fuzz bench 2>/dev/null | grep -v '/win32/')
if [ -n "$hits" ]; then
  echo "windows.h outside win32/:"; echo "$hits"; exit 1
fi
echo "portable core clean"
