#!/usr/bin/env bash
# The desktop program's scan next to kestro-scan, both under Wine, on the shared
# bench tree (the ~20,000 files kestro-bench-filecheck writes), in one run:
#   - the window's scan time (from "MulaiScan" to the finish message) with its
#     one checking thread per core;
#   - kestro-scan.exe on the same folder with the same thread count, writing a
#     log as the window does;
#   - the longest time the program's window took to answer a message during
#     its scan.
# Targets (printed, never asserted): window time at most 1.2 x the console's,
# longest answer under 100 ms.
#
# Usage: bench/app_scan_bench.sh [WIN64_TREE] [NATIVE_TREE] [FILES]
#        (default: build/win64 build/native 20000)
set -euo pipefail
if [ -z "${KESTRO_BENCH_IN_XVFB:-}" ]; then
  export KESTRO_BENCH_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
win=$(cd "${1:-build/win64}" && pwd)
native=$(cd "${2:-build/native}" && pwd)
count=${3:-20000}
for needed in "$win/out/KESTRO Antivirus.exe" "$win/out/kestro-scan.exe" "$win/tests/kestro_app_scan_bench.exe" \
              "$native/bench/kestro-bench-filecheck"; do
  [ -f "$needed" ] || { echo "app_scan_bench: missing $needed" >&2; exit 1; }
done
work=$(mktemp -d /tmp/kestro-app-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
root="$work/tree"
"$native/bench/kestro-bench-filecheck" "$root" "$count" | sed 's/^/  (file check) /'

threads=$(nproc)
export WINEPREFIX="$win/wineprefix"
run() {
  local winroot
  winroot=$("$win/wine-run.sh" winepath -w "$root" 2>/dev/null | tr -d '\r')
  local winout
  winout=$("$win/wine-run.sh" winepath -w "$win/out" 2>/dev/null | tr -d '\r')
  wineserver -p 60 || true
  # Warm the page cache and Wine once, as the window's run will find them.
  "$win/wine-run.sh" "$win/out/kestro-scan.exe" -j "$threads" "$winroot" >/dev/null 2>&1 || true
  # The console's time, less the time Wine takes to start and end it (its --help).
  local start end console startup
  start=$(date +%s.%N)
  "$win/wine-run.sh" "$win/out/kestro-scan.exe" --help >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  startup=$(python3 -c "print(f'{$end - $start:.3f}')")
  start=$(date +%s.%N)
  "$win/wine-run.sh" "$win/out/kestro-scan.exe" -j "$threads" --log "$winroot.log" "$winroot" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  console=$(python3 -c "print(f'{max(0.001, $end - $start - $startup):.3f}')")
  local line
  line=$("$win/wine-run.sh" "$win/tests/kestro_app_scan_bench.exe" "$winout" "$winroot" 2>/dev/null | tr -d '\r' |
         grep '^window' || true)
  wineserver -k || true
  wineserver -w || true
  echo "kestro-scan.exe -j $threads --log under Wine: $console s (its start-up of $startup s taken off)"
  if [ -z "$line" ]; then
    echo "window: no result (the program did not finish its scan)"
    return 1
  fi
  echo "$line"
  python3 - "$console" "$(echo "$line" | grep '^window scan')" <<'PY'
import re, sys
console = float(sys.argv[1])
line = sys.argv[2]
window = float(re.search(r"window scan: ([0-9.]+) s", line).group(1))
longest = float(re.search(r"longest message answer: ([0-9.]+) ms", line).group(1))
print(f"window / console: {window / console:.2f} (target <= 1.2)")
print(f"longest message answer: {longest:.1f} ms (target < 100)")
PY
}
run
