#!/usr/bin/env bash
# kestro-scan on the shared speed yardstick: runs the shared compare script
# (the read floor, kestro-scan -j 1 and -j 2, clamscan on the same candidates;
# medians and the three ratios of one run) and adds the bound of the -j 2
# speed-up on this machine and kestro-scan's peak memory on the same tree. The machine's load average is printed with the figures:
# wall-clock ratios taken while others build are not worth quoting.
#
# Usage: bench/compare.sh [BUILD_TREE] [ROUNDS]   (default: build/native 5)
# KESTRO_SHARED_BENCH: the yardstick's folder (default /work/shared/bench).
# KESTRO_BENCH_LARGE=1: also the peak memory on a tree ten times as large
#   (ten hard-linked copies of the bench tree: 200,000 files, no extra disk).
# clamscan comes from Debian's clamav package, installed here when missing
# (freshclam is never run: the yardstick writes its own signatures).
set -euo pipefail
tree=${1:-build/native}
rounds=${2:-5}
shared=${KESTRO_SHARED_BENCH:-/work/shared/bench}
scan="$tree/out/kestro-scan"
corpus=/tmp/bench/corpus

if [ ! -x "$shared/compare.sh" ]; then
  echo "bench/compare.sh: the shared yardstick is not at $shared (set KESTRO_SHARED_BENCH)" >&2
  exit 2
fi
if ! command -v clamscan >/dev/null; then
  echo "installing clamav for the comparison ..."
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clamav >/dev/null
fi

echo "load before: $(uptime | sed 's/.*load average/load average/')"
"$shared/compare.sh" "$scan" "$tree/out" "$rounds"
echo "load after:  $(uptime | sed 's/.*load average/load average/')"

# The bound for -j 2 on this machine: two kestro-scan -j 1 at once, each on one
# half of the tree (no memory shared, nothing handed over), against one on the
# whole tree. Threads cannot beat separate processes; when this ratio is low,
# the processors (or the host they run on) are shared, not the scanner slow.
python3 "$(dirname "$0")/split_tree.py" "$corpus" /tmp/bench/half
python3 - "$scan" "$tree/out" "$corpus" "$rounds" <<'PY'
import statistics, subprocess, sys, time
scan, db, corpus, rounds = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
def half(index):
    with open("/tmp/bench/half.%d" % index, "rb") as f:
        return [p.decode() for p in f.read().split(b"\0") if p]
halves = [half(0), half(1)]
quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
whole, pair = [], []
for _ in range(rounds):
    start = time.monotonic()
    subprocess.run([scan, "--db", db, "-j", "1", corpus], **quiet)
    whole.append(time.monotonic() - start)
    start = time.monotonic()
    running = [subprocess.Popen([scan, "--db", db, "-j", "1"] + h, **quiet) for h in halves]
    for p in running:
        p.wait()
    pair.append(time.monotonic() - start)
w, p = statistics.median(whole), statistics.median(pair)
print("two kestro-scan -j 1 at once, each on half of the tree: %.3f s against %.3f s for the whole;"
      " the most -j 2 can gain here: %.2f" % (p, w, w / p))
PY

# Peak resident memory of one scan, in MB (the scan's own, from the kernel's count).
peak() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print("%.1f" % (resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024))
PY
}
echo "peak memory, bench tree: -j 1 $(peak "$scan" --db "$tree/out" -j 1 "$corpus") MB," \
     "-j 2 $(peak "$scan" --db "$tree/out" -j 2 "$corpus") MB (target < 64 MB)"
if [ "${KESTRO_BENCH_LARGE:-0}" = 1 ]; then
  large=/tmp/bench/corpus_x10
  if [ ! -d "$large" ]; then
    mkdir -p "$large.tmp"
    for i in 0 1 2 3 4 5 6 7 8 9; do cp -al "$corpus" "$large.tmp/copy$i"; done
    mv "$large.tmp" "$large"
  fi
  echo "peak memory, ten times the tree ($(find "$large" -type f | wc -l) files): -j 1" \
       "$(peak "$scan" --db "$tree/out" -j 1 "$large") MB, -j 2 $(peak "$scan" --db "$tree/out" -j 2 "$large") MB"
fi
