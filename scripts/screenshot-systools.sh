#!/usr/bin/env bash
# Photographs the process manager's detail window so a person can look at it
# (the tabs of the tools page come from the real program: screenshot-app.sh):
#   scripts/screenshot-systools.sh BUILD_TREE [OUTPUT_FOLDER]
# BUILD_TREE is a win64 tree with kestro_systools_screenshot built; the pictures
# go to OUTPUT_FOLDER (default docs/screenshots of the source tree) as
# process-detail.png and process-modules.png. Runs inside its own virtual
# display with the tree's own Wine prefix.
set -euo pipefail
if [ "${1:-}" = "-h" ] || [ "${1:-}" = "--help" ] || [ $# -lt 1 ]; then
  sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
  [ $# -ge 1 ] && exit 0 || exit 2
fi
tree=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
out=${2:-$source_dir/docs/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
helper="$tree/tests/kestro_systools_screenshot.exe"
if [ ! -f "$helper" ]; then
  echo "screenshot-systools: missing $helper (build kestro_systools_screenshot first)" >&2
  exit 1
fi
command -v convert >/dev/null || { echo "screenshot-systools: 'convert' (imagemagick) is needed" >&2; exit 1; }
export WINEPREFIX="$tree/wineprefix"

inner() {
  "$tree/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
  local work status=0
  work=$(mktemp -d)
  local bmp
  bmp=$("$tree/wine-run.sh" winepath -w "$work" 2>/dev/null | tr -d '\r')
  for shot in detail:process-detail:2 modules:process-modules:2; do
    IFS=: read -r mode name seconds <<<"$shot"
    if "$tree/wine-run.sh" "$helper" "$mode" "$bmp\\$name.bmp" "$seconds" >/dev/null 2>&1 &&
       convert "$work/$name.bmp" "$out/$name.png"; then
      echo "saved $out/$name.png"
    else
      echo "screenshot-systools: could not photograph $mode" >&2
      status=1
    fi
  done
  rm -rf "$work"
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
