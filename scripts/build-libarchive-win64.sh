#!/usr/bin/env bash
# Fetches Debian's libarchive source package and cross-builds its static library
# for 64-bit or 32-bit Windows (mingw-w64), for RARExtract.dll. Everything lands in
# a cache outside the work tree; no third-party source is ever placed in the checkout.
#
#   KESTRO_LIBARCHIVE_CACHE  cache folder (default ~/.cache/kestro/libarchive)
#
# Layout of the cache:
#   src/libarchive-*/   the unpacked source package (its libarchive/test/*.rar.uu
#                       archives are also used by the tests)
#   build-win64/        the cross build (build-win32/ for 32-bit Windows)
#   win64/include/      archive.h, archive_entry.h (win32/ for 32-bit Windows)
#   win64/lib/          libarchive_static.a
#   win64/.done         written last; when present, the script does nothing
#
# Usage: scripts/build-libarchive-win64.sh [--arch x86_64|i686] [--source-only]
#   --arch         the Windows architecture to build for (default x86_64)
#   --source-only  fetch and unpack the source package, do not build
set -euo pipefail

cache="${KESTRO_LIBARCHIVE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kestro/libarchive}"
source_only=0
arch=x86_64
while [ $# -gt 0 ]; do
  case "$1" in
    --source-only) source_only=1 ;;
    --arch) arch="${2:-}"; shift ;;
    --arch=*) arch="${1#--arch=}" ;;
    -h|--help) sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "build-libarchive-win64: unknown option '$1' (try --help)" >&2; exit 2 ;;
  esac
  shift
done
root="$(cd "$(dirname "$0")/.." && pwd)"
case "$arch" in
  x86_64) flavour=win64; toolchain="$root/cmake/mingw-w64.cmake" ;;
  i686) flavour=win32; toolchain="$root/cmake/mingw-w64-i686.cmake" ;;
  *) echo "build-libarchive-win64: unknown architecture '$arch' (x86_64 or i686)" >&2; exit 2 ;;
esac

log() { echo "build-libarchive-win64: $*"; }

# One run at a time per cache (several build trees may configure at once).
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9

if [ "$source_only" -eq 0 ] && [ -f "$cache/$flavour/.done" ]; then
  log "already built in $cache/$flavour"
  exit 0
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The source package needs a deb-src entry for bookworm main. Add one in a file of
# our own when apt knows no source for libarchive yet.
ensure_source_entry() {
  if apt-cache showsrc libarchive 2>/dev/null | grep -q '^Package: libarchive'; then
    return
  fi
  local list=/etc/apt/sources.list.d/kestro-src.list
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  # apt refuses two entries for one archive with different keyrings: name the
  # keyring exactly when the existing entries do.
  local options=""
  if grep -rqs "$keyring" /etc/apt/sources.list /etc/apt/sources.list.d/; then
    options="[signed-by=$keyring] "
  fi
  log "adding $list (deb-src for bookworm main) and updating the package lists"
  echo "deb-src ${options}http://deb.debian.org/debian bookworm main" | as_root tee "$list" >/dev/null
  as_root apt-get update -q
}

fetch_source() {
  local found
  found=$(find "$cache/src" -maxdepth 1 -type d -name 'libarchive-*' 2>/dev/null | head -n 1)
  if [ -n "$found" ] && [ -f "$found/.kestro-unpacked" ]; then
    echo "$found"
    return
  fi
  command -v dpkg-source >/dev/null || as_root apt-get install -y -q --no-install-recommends dpkg-dev >&2
  ensure_source_entry >&2
  rm -rf "$cache/src"
  mkdir -p "$cache/src"
  (cd "$cache/src" && apt-get source -q libarchive >&2)
  found=$(find "$cache/src" -maxdepth 1 -type d -name 'libarchive-*' | head -n 1)
  [ -n "$found" ] || { log "apt-get source produced no libarchive folder" >&2; exit 1; }
  touch "$found/.kestro-unpacked"
  echo "$found"
}

src=$(fetch_source)
log "source in $src"
if [ "$source_only" -eq 1 ]; then exit 0; fi

build="$cache/build-$flavour"
rm -rf "$build" "$cache/$flavour"
# Only the RAR readers are needed: every optional codec, crypto and tool is off,
# which keeps the library free of further DLL dependencies.
cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_CNG=OFF \
  -DENABLE_LIBB2=OFF -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
  -DENABLE_ZLIB=OFF -DENABLE_BZip2=OFF -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF \
  -DENABLE_PCREPOSIX=OFF -DENABLE_LIBGCC=OFF -DPOSIX_REGEX_LIB=NONE \
  -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_XATTR=OFF -DENABLE_ACL=OFF \
  -DENABLE_ICONV=OFF -DENABLE_TEST=OFF -DENABLE_WERROR=OFF >"$cache/configure-$flavour.log" 2>&1 \
  || { log "configure failed, see $cache/configure-$flavour.log"; exit 1; }
jobs="${KESTRO_JOBS:-2}"
cmake --build "$build" --target archive_static -j "$jobs" >"$cache/build-$flavour.log" 2>&1 \
  || { log "build failed, see $cache/build-$flavour.log"; exit 1; }

lib=$(find "$build" -name 'libarchive_static.a' | head -n 1)
[ -n "$lib" ] || { log "no libarchive_static.a in $build"; exit 1; }
mkdir -p "$cache/$flavour/include" "$cache/$flavour/lib"
cp "$src/libarchive/archive.h" "$src/libarchive/archive_entry.h" "$cache/$flavour/include/"
cp "$lib" "$cache/$flavour/lib/libarchive_static.a"
touch "$cache/$flavour/.done"
log "built $cache/$flavour/lib/libarchive_static.a"
