#!/usr/bin/env bash
# The language engine knows no library family: nothing under engine/ includes a header of
# library/. The families bind themselves to the engine's tables (library/families.def).
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
found=$(grep -rn '#include "library/' "$top/engine" || true)
if [ -n "$found" ]; then
  echo "engine/ includes library headers:"
  echo "$found"
  exit 1
fi
echo "engine/ includes nothing from library/"
