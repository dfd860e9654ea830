#!/usr/bin/env bash
# Leaves a prefix's wineserver running for good with its session booted, as ./test starts
# it: a test that stopped the server calls this at its end, so the tests after it start
# warm (a cold start costs every later Wine test about 2.5 s while ctest waits for Wine's
# helper processes). Nothing of it may hold the caller's output open.
#   wine_warm.sh [PREFIX]      (default: $WINEPREFIX)
export WINEPREFIX=${1:-${WINEPREFIX:?WINEPREFIX must be set}} WINEARCH=win32 WINEDEBUG=-all
wineserver -k </dev/null >/dev/null 2>&1
wineserver -w </dev/null >/dev/null 2>&1
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
exit 0
