#!/usr/bin/env bash
# Photographs the scan page during and after a scan of the demo tree, and the
# quarantine page, from the real program under Wine, so a person can look at them:
#   scripts/screenshot-scan-page.sh BUILD_TREE [OUTPUT_FOLDER]
# BUILD_TREE is a win64 tree with the program and kestro_app_scan_screenshots
# built; the pictures go to OUTPUT_FOLDER (default BUILD_TREE/screenshots) as
# scan-page-during.png, scan-page-finished.png, scan-page-after.png and
# quarantine-page.png. Runs inside its own virtual display with the tree's own
# Wine prefix.
set -euo pipefail
if [ "${1:-}" = "-h" ] || [ "${1:-}" = "--help" ] || [ $# -lt 1 ]; then
  sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
  [ $# -ge 1 ] && exit 0 || exit 2
fi
tree=$(cd "$1" && pwd)
out=${2:-$tree/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
helper="$tree/tests/kestro_app_scan_screenshots.exe"
for needed in "$helper" "$tree/out/KESTRO Antivirus.exe"; do
  [ -f "$needed" ] || { echo "screenshot-scan-page: missing $needed" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "screenshot-scan-page: 'convert' (imagemagick) is needed" >&2; exit 1; }
export WINEPREFIX="$tree/wineprefix"

inner() {
  local work
  work=$(mktemp -d /tmp/kestro-screens.XXXXXX)
  local status=0
  local win_program win_work win_shots
  win_program=$("$tree/wine-run.sh" winepath -w "$tree/out" 2>/dev/null | tr -d '\r')
  win_work=$("$tree/wine-run.sh" winepath -w "$work" 2>/dev/null | tr -d '\r')
  mkdir -p "$work/shots"
  win_shots=$("$tree/wine-run.sh" winepath -w "$work/shots" 2>/dev/null | tr -d '\r')
  "$tree/wine-run.sh" "$helper" "$win_program" "$win_work" "$win_shots" || status=1
  for bmp in "$work"/shots/*.bmp; do
    [ -f "$bmp" ] || continue
    local name
    name=$(basename "$bmp" .bmp)
    convert "$bmp" "$out/$name.png" && echo "saved $out/$name.png"
  done
  wineserver -k || true
  wineserver -w || true
  rm -rf "$work"
  return $status
}

if [ -n "${KESTRO_SCREENSHOT_IN_XVFB:-}" ]; then
  inner
else
  export KESTRO_SCREENSHOT_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$tree" "$out"
fi
