#!/usr/bin/env bash
# Prints kestro-scan throughput (files/s, MB/s) over a generated tree of about
# 20,000 files at -j 1 and -j 2, next to the read floor of the same tree (printed
# by kestro-bench-filecheck in the same run) and next to Debian's clamscan
# restricted to the same candidate files with a database of a few thousand hash
# signatures. Also prints each scanner's peak memory.
#
# Usage: bench/scan_bench.sh [BUILD_TREE] [FILES]   (default: build/native 20000)
# clamscan comes from Debian's clamav package (installed when missing; freshclam
# is never run: the database is generated here).
set -euo pipefail
tree=${1:-build/native}
count=${2:-20000}
work=$(mktemp -d /tmp/kestro-scan-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
root="$work/tree"

"$tree/bench/kestro-bench-filecheck" "$root" "$count"

# The candidate files the scanner examines: the walk's extension list, by the
# last three characters of the name.
python3 - "$root" "$work/candidates.txt" <<'PY'
import os, sys
root, out = sys.argv[1], sys.argv[2]
exts = "EXE SYS OCX DLL VBS VBE PHP BAT CMD HTM HTML COM LNK EML"
files, size = [], 0
for d, _, names in os.walk(root):
    for n in names:
        p = os.path.join(d, n)
        if p[-3:].upper() in exts and os.path.getsize(p) <= 10485760:
            files.append(p); size += os.path.getsize(p)
open(out, "w").write("\n".join(files) + "\n")
open(out + ".bytes", "w").write(str(size))
PY
candidates=$(wc -l < "$work/candidates.txt")
bytes=$(cat "$work/candidates.txt.bytes")

# Runs a command, prints elapsed seconds and peak resident memory (KiB) of it.
measure() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys, time
t = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
e = time.monotonic() - t
print(f"{e:.3f} {resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss}")
PY
}

report() {  # name seconds rss
  python3 - "$1" "$2" "$3" "$candidates" "$bytes" <<'PY'
import sys
name, s, rss, n, b = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
print(f"{name:30s} {n/s:8.0f} files/s {b/1e6/s:8.1f} MB/s  ({s:.3f} s, peak {rss/1024:.1f} MB)")
PY
}

scan="$tree/out/kestro-scan"
measure "$scan" --no-archive "$root" >/dev/null  # warm the page cache
read -r s1 m1 < <(measure "$scan" "$root")
read -r s2 m2 < <(measure "$scan" -j 2 "$root")
echo "candidates: $candidates files, $(python3 -c "print(f'{$bytes/1e6:.1f}')") MB"
report "kestro-scan -j 1" "$s1" "$m1"
report "kestro-scan -j 2" "$s2" "$m2"
python3 -c "print(f'-j 2 / -j 1 speed-up: {$s1/$s2:.2f} (target >= 1.6)')"

if ! command -v clamscan >/dev/null; then
  echo "installing clamav for the comparison ..."
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clamav >/dev/null
fi
python3 - "$work/bench.hdb" <<'PY'
import hashlib, sys
with open(sys.argv[1], "w") as f:
    for i in range(4000):
        f.write(f"{hashlib.md5(str(i).encode()).hexdigest()}:{1000 + i}:Bench.Sample.{i}\n")
PY
read -r sc mc < <(measure clamscan --no-summary --infected -d "$work/bench.hdb" --file-list="$work/candidates.txt")
report "clamscan (4,000 hash sigs)" "$sc" "$mc"
python3 -c "print(f'kestro-scan -j 1 is {$sc/$s1:.1f} times faster than clamscan (target >= 30)')"
