#!/usr/bin/env bash
# Installs every Debian package that building, testing, previewing, signing
# and making disc images need.
# Idempotent; run as root on Debian 12. The i386 architecture is never added
# here and Debian 12's wine32 is never used (some kernels here refuse 32-bit
# Linux binaries): the shipped 32-bit launcher runs under Debian 13's Wine 10
# in WoW64 mode, in a tree of its own that tests/wine/wow64-tree.sh makes
# with mmdebstrap without touching this machine's apt sources.
set -euo pipefail

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev
  googletest
  mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64
  wine wine64 fonts-wine
  xvfb xdotool x11-utils imagemagick libx11-6 libxfixes3
  python3 zip unzip file
  mmdebstrap util-linux
  xorriso osslsigncode openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
