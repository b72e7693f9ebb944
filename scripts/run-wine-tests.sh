#!/usr/bin/env bash
# Runs the Windows tree's tests under Wine: inside one virtual X display (tests
# that open windows need one), with this tree's own wineserver kept alive for the
# batch and stopped at the end. No other prefix's wineserver is touched.
set -euo pipefail
tree=${1:?usage: run-wine-tests.sh BUILD_TREE [JOBS]}
jobs=${2:-2}
tree=$(cd "$tree" && pwd)
export WINEPREFIX="$tree/wineprefix"

inner() {
  # Create the prefix once before the parallel run (the wrapper would do it too).
  "$tree/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
  wineserver -p 60 || true
  local status=0
  (cd "$tree" && ctest --output-on-failure -j "$jobs") || status=$?
  wineserver -k || true
  wineserver -w || true
  return $status
}

if [ -n "${KESTRO_IN_XVFB:-}" ]; then
  inner
else
  export KESTRO_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$tree" "$jobs"
fi
