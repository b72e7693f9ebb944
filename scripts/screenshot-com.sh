#!/usr/bin/env bash
# Photographs the virtual keyboard window and the shell extension's context-menu
# item (as far as Wine draws them) so a person can look at them:
#   scripts/screenshot-com.sh BUILD_TREE [OUTPUT_FOLDER]
# BUILD_TREE is a win64 tree with KESTROKeyboard, KESTROExtc and
# kestro_com_screenshot built; the pictures go to OUTPUT_FOLDER (default
# BUILD_TREE/screenshots) as keyboard.png and context-menu.png. Runs inside its
# own virtual display with the tree's own Wine prefix.
set -euo pipefail
if [ "${1:-}" = "-h" ] || [ "${1:-}" = "--help" ] || [ $# -lt 1 ]; then
  sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
  [ $# -ge 1 ] && exit 0 || exit 2
fi
tree=$(cd "$1" && pwd)
out=${2:-$tree/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
helper="$tree/tests/kestro_com_screenshot.exe"
for needed in "$helper" "$tree/out/KESTROKeyboard.dll" "$tree/out/KESTROExtc.dll"; do
  if [ ! -f "$needed" ]; then
    echo "screenshot-com: missing $needed (build KESTROKeyboard KESTROExtc kestro_com_screenshot first)" >&2
    exit 1
  fi
done
command -v import >/dev/null || { echo "screenshot-com: 'import' (imagemagick) is needed" >&2; exit 1; }
export WINEPREFIX="$tree/wineprefix"

inner() {
  "$tree/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
  local dlls
  dlls=$("$tree/wine-run.sh" winepath -w "$tree/out" 2>/dev/null | tr -d '\r')
  local status=0
  for mode in keyboard menu; do
    local name=$mode
    [ "$mode" = menu ] && name=context-menu
    "$tree/wine-run.sh" "$helper" "$mode" "$dlls" 6 >/dev/null 2>&1 &
    local pid=$!
    sleep 4
    if import -window root "$out/$name.png"; then
      echo "saved $out/$name.png"
    else
      echo "screenshot-com: could not photograph the $mode" >&2
      status=1
    fi
    wait "$pid" || { echo "screenshot-com: the $mode helper failed" >&2; status=1; }
  done
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
