#!/usr/bin/env bash
# Checks the Debian package without installing it (CI machines should not):
# its file list, its dependencies, lintian (no error), the man pages, and the
# packaged kestro-scan run from the unpacked files on the demo tree, where it
# finds the packaged databases (../share/kestro) and archive library
# (../lib/kestro) as it does when installed in /usr.
#
# usage: check-deb.sh DIST_FOLDER NATIVE_TREE
set -uo pipefail
dist=${1:?dist folder} native=${2:?native build tree}
deb=$(ls "$dist"/kestro_*_amd64.deb 2>/dev/null | sort | tail -n 1)
[ -n "$deb" ] || { echo "check-deb: no kestro_*_amd64.deb in $dist"; exit 1; }
failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== $deb"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$work/files"
for path in /usr/bin/kestro-scan /usr/bin/kestro-sigtool /usr/bin/kestro-quarantine /usr/bin/kestro-update \
            /usr/lib/kestro/libRARExtract.so /usr/share/kestro/DB_0x.avn /usr/share/kestro/DB_1x.avn \
            /usr/share/kestro/DB_2x.avn /usr/share/man/man1/kestro-scan.1.gz /usr/share/man/man1/kestro-sigtool.1.gz \
            /usr/share/man/man1/kestro-quarantine.1.gz /usr/share/man/man1/kestro-update.1.gz \
            /usr/share/doc/kestro/copyright /usr/share/doc/kestro/changelog.gz; do
  check "holds $path" grep -qx "$path" "$work/files"
done
depends=$(dpkg-deb -f "$deb" Depends)
check "depends on libarchive ($depends)" grep -q 'libarchive' <<<"$depends"
check "depends on libc" grep -q 'libc6' <<<"$depends"

lintian --no-tag-display-limit "$deb" > "$work/lintian" 2>&1
sed 's/^/  lintian: /' "$work/lintian"
check "lintian reports no error" bash -c "! grep -q '^E:' '$work/lintian'"

dpkg-deb -x "$deb" "$work/root"
check "man page of kestro-scan renders" bash -c \
  "MANWIDTH=80 man -l '$work/root/usr/share/man/man1/kestro-scan.1.gz' 2>/dev/null | grep -q 'kestro-scan'"
rm -rf "$work/demo"
"$native/tests/kestro-demo-tree" "$work/demo" >/dev/null
"$work/root/usr/bin/kestro-scan" -q "$work/demo" > "$work/scan.out" 2> "$work/scan.err"
status=$?
check "packaged kestro-scan finds the demo tree's detections (status $status)" [ "$status" -eq 1 ]
check "four detections, the archive member among them" bash -c \
  "[ \$(wc -l < '$work/scan.out') -ge 4 ] && grep -q 'autorun.inf' '$work/scan.out'"
cat "$work/scan.out" "$work/scan.err" | sed 's/^/  kestro-scan: /'
check "--version names the product version" bash -c \
  "'$work/root/usr/bin/kestro-scan' --version | grep -q \"$(dpkg-deb -f "$deb" Version)\""

if [ "$failures" -ne 0 ]; then echo "check-deb: $failures check(s) failed"; exit 1; fi
echo "check-deb: all checks passed"
