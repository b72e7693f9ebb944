#!/usr/bin/env bash
# Photographs the desktop program as a user sees it: the splash while it loads,
# then every page of the main window (and the status page with its details
# open), each cropped to its window:
#   scripts/screenshot-app.sh BUILD_TREE [OUTPUT_FOLDER]
# BUILD_TREE is a win64 tree with kestro_antivirus and kestro_app_driver built;
# the pictures go to OUTPUT_FOLDER (default docs/screenshots) as splash.png,
# status.png, status-details.png, scan.png, options.png, tools.png (and
# tools-services.png, tools-performance.png, tools-quarantine.png), update.png
# and about.png. Runs in its own virtual display with the tree's own Wine prefix;
# the program's settings in that prefix start from their defaults.
set -euo pipefail
if [ "${1:-}" = "-h" ] || [ "${1:-}" = "--help" ] || [ $# -lt 1 ]; then
  sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
  [ $# -ge 1 ] && exit 0 || exit 2
fi
tree=$(cd "$1" && pwd)
out=${2:-$(dirname "$0")/../docs/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
program="$tree/out/KESTRO Antivirus.exe"
driver="$tree/tests/kestro_app_driver.exe"
for needed in "$program" "$driver"; do
  if [ ! -f "$needed" ]; then
    echo "screenshot-app: missing $needed (build kestro_antivirus and kestro_app_driver first)" >&2
    exit 1
  fi
done
command -v import >/dev/null || { echo "screenshot-app: 'import' (imagemagick) is needed" >&2; exit 1; }
export WINEPREFIX="$tree/wineprefix"
run() { "$tree/wine-run.sh" "$@" 2>/dev/null | tr -d '\r'; }

# shot NAME CLASS: the screen cropped to the window of that class.
shot() {
  local geometry
  geometry=$(run "$driver" rect "$2") || { echo "screenshot-app: no window for $1" >&2; return 1; }
  read -r x y w h <<<"$geometry"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$1.png"
  echo "saved $out/$1.png"
}

inner() {
  run cmd /c exit 0 >/dev/null || true
  wineserver -p 60 || true
  run reg delete 'HKCU\Software\KESTRO' /f >/dev/null || true
  "$tree/wine-run.sh" "$program" >/dev/null 2>&1 &
  local pid=$!
  local status=0
  if run "$driver" wait-window KestroSplashWindow 60 >/dev/null; then
    sleep 0.3
    shot splash KestroSplashWindow || status=1
  else
    echo "screenshot-app: the splash did not appear" >&2
    status=1
  fi
  if run "$driver" wait-window KestroMainWindow 60 >/dev/null; then
    sleep 1
    shot status KestroMainWindow || status=1
    run "$driver" click-button More >/dev/null && sleep 1.2
    shot status-details KestroMainWindow || status=1
    run "$driver" click-button Fewer >/dev/null && sleep 1
    local index=1
    for page in scan options tools update about; do
      run "$driver" page "$index" >/dev/null
      sleep 1
      shot "$page" KestroMainWindow || status=1
      if [ "$page" = tools ]; then
        # The tools page's other tabs (the first is tools.png).
        local tab=2
        for name in tools-services tools-performance tools-quarantine; do
          run "$driver" tools-tab "$tab" >/dev/null
          sleep 1.5
          shot "$name" KestroMainWindow || status=1
          tab=$((tab + 1))
        done
        run "$driver" tools-tab 1 >/dev/null
      fi
      index=$((index + 1))
    done
    run "$driver" close >/dev/null
    run "$driver" answer "KESTRO Antivirus" yes 10 >/dev/null || status=1
  else
    echo "screenshot-app: the main window did not appear" >&2
    status=1
  fi
  wait "$pid" || true
  wineserver -k || true
  wineserver -w || true
  return $status
}

if [ -n "${KESTRO_SCREENSHOT_IN_XVFB:-}" ]; then
  inner
else
  export KESTRO_SCREENSHOT_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$tree" "$out"
fi
