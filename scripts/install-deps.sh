#!/usr/bin/env bash
# Installs, by Debian package name, everything the build and the tests need.
# Idempotent: packages already present are left alone, and `apt-get update` runs
# only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  nsis p7zip-full
  help2man lintian man-db dpkg-dev
  wine64 wine xvfb xauth imagemagick
  libarchive-dev
  libcurl4-openssl-dev
  clang libclang-rt-14-dev
  gzip
  python3
  openssl osslsigncode
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
