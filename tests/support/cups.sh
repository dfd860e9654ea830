# Printing tests' helpers (sourced): a private cupsd with a cups-pdf queue named PDF, and
# waiting for the jobs' PDFs, which cups-pdf writes to ~/PDF ("Out ${HOME}/PDF").
# Needs root (cupsd, lpadmin); the cupsd started here is stopped again by its own pid.
cupsd_pid=""
cups_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# A printing test's start: its work folder in `work`, and at its end the cupsd started
# here stopped, the folder removed and the prefix's wineserver left warm. False (the test
# is skipped) when a tool is missing.
cups_test_begin() {
  work=$(mktemp -d)
  trap cups_test_end EXIT
  cups_tools_present
}
cups_test_end() {
  [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null
  cd / && rm -rf "$work"
  "$cups_top/tools/wine_warm.sh"
}

# True when every tool the printing tests need is there.
cups_tools_present() {
  local tool
  for tool in cupsd lpadmin pdfinfo pdftotext pdftoppm; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing (tools/setup.sh installs it)"; return 1; }
  done
}

# Starts cupsd (unless one runs) and adds the queue PDF as the default printer; call it
# before Wine starts, which reads the printers once.
cups_start() {
  if ! pgrep -x cupsd >/dev/null; then
    cupsd -f & cupsd_pid=$!
    sleep 1
  fi
  lpadmin -p PDF -v cups-pdf:/ -E -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
  lpadmin -d PDF
  rm -rf "$HOME/PDF"
}

# Takes the queue away and stops the cupsd started here.
cups_stop() {
  lpadmin -x PDF 2>/dev/null
  rm -rf "$HOME/PDF"
  [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null
  cupsd_pid=""
}

newest_pdf() { ls -t "$HOME/PDF"/*.pdf 2>/dev/null | head -1; }

# Waits until COUNT PDFs exist and the newest is complete.
wait_pdf() {
  for _ in $(seq 100); do
    if [ "$(ls "$HOME/PDF"/*.pdf 2>/dev/null | wc -l)" -ge "$1" ] && pdfinfo "$(newest_pdf)" >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.2
  done
  return 1
}
