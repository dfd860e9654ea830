#!/usr/bin/env bash
# Makes TALVSET.EXE, the self-extracting setup package of Talven: the extractor stub
# TLVSFX.BIN followed byte for byte by a ZIP archive (Info-ZIP, no extra fields) of the
# setup program MEDRA32.EXE, its two language libraries, the setup script
# installer/package/MEDRA.INF, the programs and the examples. Extract it anywhere and start
# MEDRA32.EXE there.
#   tools/package.sh [DIST_DIR] [OUTPUT]      (defaults: dist/ and dist/TALVSET.EXE)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dist=$(cd "${1:-$top/dist}" && pwd)
out=${2:-$dist/TALVSET.EXE}
command -v zip >/dev/null || { echo "package.sh: zip is missing (tools/setup.sh installs it)" >&2; exit 1; }
stage=$(mktemp -d); trap 'rm -rf "$stage"' EXIT
mkdir "$stage/files"
for program in MEDRA32.EXE MED32ENG.DLL MED32DEU.DLL TALVEN.EXE TLVRUN32.EXE TALVCOMP.EXE \
               TALVLINK.EXE TALVSCR.EXE TALVED32.EXE TLVSFX.EXE TLVSFX.BIN; do
  [ -f "$dist/$program" ] || { echo "package.sh: $dist/$program is missing (build first)" >&2; exit 1; }
  cp "$dist/$program" "$stage/files/"
done
# The examples go into the folder BEISPIEL of the target, in upper case as the setup
# script names them.
examples=()
for example in "$top"/examples/*.tvs; do
  name=$(basename "$example" | tr '[:lower:]' '[:upper:]')
  cp "$example" "$stage/files/$name"
  examples+=("$name, 0:BEISPIEL")
done
# The script in the Windows way: CR LF line ends.
while IFS= read -r line; do
  if [ "$line" = "@EXAMPLES@" ]; then
    for entry in "${examples[@]}"; do printf '%s\r\n' "$entry"; done
  else
    printf '%s\r\n' "$line"
  fi
done < "$top/installer/package/MEDRA.INF" > "$stage/files/MEDRA.INF"
(cd "$stage/files" && zip -q -9 -X -D "$stage/talvset.zip" ./*)
cat "$dist/TLVSFX.BIN" "$stage/talvset.zip" > "$out.part"
mv "$out.part" "$out"
echo "$out"
