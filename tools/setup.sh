#!/usr/bin/env bash
# Brings a Debian 12 machine (as root) to a state where Talven builds and its tests run:
# the i386 architecture, the packages, and one project-local 32-bit Wine prefix.
# Idempotent: a second run checks and returns within seconds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine_env.sh"

packages=(
  wine wine32:i386 g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
  xvfb xauth x11-utils imagemagick fonts-wine fonts-dejavu-core
  zip unzip p7zip-full python3 bc ccache
  jlha-utils lhasa liblhasa-dev mscompress
  shapelib libshp-dev python3-dbf python3-dbfread libdbd-xbase-perl
  libodbc2:i386 libodbcinst2:i386 libsqliteodbc:i386 odbcinst unixodbc libsqliteodbc sqlite3 sox
  yabasic brandy linux-perf valgrind
  cups printer-driver-cups-pdf libcups2:i386 poppler-utils python3-pil netpbm icoutils
  socat tk8.6 xclip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  # A mirror in the middle of its sync fails one index now and then: try again, and go on
  # with what was fetched (the install below says clearly what it cannot find).
  for attempt in 1 2 3; do
    apt-get update -qq && break
    echo "setup: apt-get update failed (attempt $attempt)"
    sleep 10
  done
  if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    # With one architecture's security index missing (a mirror mid-sync), the i386
    # libraries cannot match their amd64 twins' security versions: take both from the
    # release itself, where every architecture has the same versions.
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "setup: installing from $codename alone"
    apt-get install -y -qq --no-install-recommends -t "$codename" "${missing[@]}" >/dev/null
  fi
fi

# The prefix: 32-bit (no WOW64 redirection), null graphics driver, no audio noise,
# Wine's own fonts copied in so the stock fonts are stable.
if [ ! -f "$WINEPREFIX/.talven-ready" ]; then
  echo "setup: creating the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
  touch "$WINEPREFIX/.talven-ready"
fi

# A copy with Wine's normal display driver, for runs that show windows on a display (./run,
# the screenshot tests under Xvfb).
display_prefix=${WINEPREFIX}-display
if [ ! -f "$display_prefix/.talven-ready" ]; then
  echo "setup: creating the display prefix $display_prefix"
  rm -rf "$display_prefix"
  cp -a "$WINEPREFIX" "$display_prefix"
  rm -f "$display_prefix/.talven-ready"
  WINEPREFIX=$display_prefix wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
  WINEPREFIX=$display_prefix wineserver -w
  touch "$display_prefix/.talven-ready"
fi
