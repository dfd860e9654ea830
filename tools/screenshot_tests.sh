#!/usr/bin/env bash
# Screenshot tests: each SCREENS_DIR/NAME.tvs runs in TALVEN.EXE under Xvfb (Wine's normal
# display driver) and what it shows is compared pixel for pixel with SCREENS_DIR/NAME.png.
# A program's comment lines say what is taken:
#   ' shot: dialog   the first dialog it shows (the whole window), before it is cancelled
#   ' shot: menu     the window with the pull-downs opened by a "' menu: PATH>" line
#   (neither)        the main window's client area when the run is over
# and "' type:", "' cover:", "' click:", "' menu:" lines act as in the goldens. `--update`
# writes the references instead.
#   tools/screenshot_tests.sh WINDOWS_BIN_DIR SCREENS_DIR [--update]
set -uo pipefail
bin=$(cd "${1:?Windows bin folder}" && pwd); screens=$(cd "${2:?screens folder}" && pwd); update=${3:-}
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"
export WINEPREFIX=$WINEPREFIX-display
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$screens"/*.tvs "$work"/

cat > "$work/run-all.sh" <<'INNER'
#!/usr/bin/env bash
bin=$1; screens=$2; update=$3; work=$4
passed=0; failed=0
wine cmd /c exit >/dev/null 2>&1
cd "$work"
for program in *.tvs; do
  name=${program%.tvs}
  args=()
  shot=(--screenshot "$name.bmp")
  while IFS= read -r line; do
    case "$line" in
      "' type: "*) args+=(--type "${line#"' type: "}") ;;
      "' cover:"*) args+=(--cover) ;;
      "' click: "*) args+=(--click "${line#"' click: "}") ;;
      "' menu: "*) args+=(--menu "${line#"' menu: "}") ;;
      "' shot: dialog") shot=(--dialog-shot "$name.bmp") ;;
      "' shot: menu") shot=(--menu-shot "$name.bmp") ;;
    esac
  done < <(tr -d '\r' < "$program")
  wine "$bin/tdriver.exe" --timeout 30 "${args[@]}" "${shot[@]}" -- \
    "$bin/TALVEN.EXE" "$program" > "$name.out" 2>/dev/null
  if [ ! -f "$name.bmp" ]; then
    echo "FAIL $name: no screenshot"; cat "$name.out"; failed=$((failed + 1)); continue
  fi
  if [ "$update" = "--update" ]; then
    convert "$name.bmp" "$screens/$name.png" && echo "updated $name"
    passed=$((passed + 1)); continue
  fi
  differing=$(compare -metric AE "$screens/$name.png" "$name.bmp" "$name-diff.png" 2>&1 >/dev/null)
  if [ "$differing" = "0" ]; then
    passed=$((passed + 1))
  else
    echo "FAIL $name: $differing pixels differ (see $name.bmp)"
    cp "$name.bmp" "$screens/$name.actual.bmp" 2>/dev/null
    failed=$((failed + 1))
  fi
done
wineserver -k
echo "screenshots: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
INNER
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/run-all.sh" "$bin" "$screens" "$update" "$work" 2>/dev/null
