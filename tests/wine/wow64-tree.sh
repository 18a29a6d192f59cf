#!/usr/bin/env bash
# Finds, or builds once, the Debian 13 tree whose Wine runs the 32-bit
# launcher: Wine 10 in its WoW64 mode runs 32-bit Windows code inside a
# 64-bit Linux process, so it needs no 32-bit Linux loader or libraries
# (Debian 12's wine32 does, and some kernels here refuse 32-bit binaries).
#
#   wow64-tree.sh        prints the tree's path; builds it when missing
#
# The tree is cached between runs outside any build tree, one folder per
# Wine version: $SETUPMENU_WOW64_CACHE (default /var/cache/setupmenu/wow64)
# /wine-<version>. Building needs root, mmdebstrap and the Debian mirror the
# machine's own apt sources name; the machine's apt configuration is only
# read, never changed. On failure the reason goes to standard error and the
# exit code is 1.
set -euo pipefail

cache=${SETUPMENU_WOW64_CACHE:-/var/cache/setupmenu/wow64}
suite=trixie
packages=wine64,libwine,fonts-wine,libxrender1,libxrandr2,libxi6,libxcursor1,libxcomposite1,libxinerama1,libxfixes3,libxxf86vm1

ready_tree() {
  local tree
  for tree in $(ls -d "$cache"/wine-* 2>/dev/null | sort -V -r); do
    if [ -f "$tree/.setupmenu-ready" ]; then echo "$tree"; return 0; fi
  done
  return 1
}

# The first Debian mirror of the machine's apt sources (deb822 or one-line).
debian_mirror() {
  local uri
  uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null \
        | awk '/^URIs:/ {for (i = 2; i <= NF; i++) print $i}' | grep -v -- '-security' | head -n 1 || true)
  if [ -z "$uri" ]; then
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null \
          | awk '$1 == "deb" {for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) {print $i; break}}' \
          | grep -v -- '-security' | head -n 1 || true)
  fi
  echo "${uri:-http://deb.debian.org/debian}"
}

if tree=$(ready_tree); then echo "$tree"; exit 0; fi

if [ "$(id -u)" != 0 ]; then
  echo "wow64-tree: building the Debian 13 Wine tree needs root" >&2
  exit 1
fi
command -v mmdebstrap >/dev/null || { echo "wow64-tree: mmdebstrap is not installed" >&2; exit 1; }

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
# Another run may have built it while this one waited for the lock.
if tree=$(ready_tree); then echo "$tree"; exit 0; fi

building=$(mktemp -d "$cache/building.XXXXXX")
trap 'rm -rf "$building"' EXIT
mirror=$(debian_mirror)
echo "wow64-tree: building a Debian 13 tree with Wine from $mirror (about 330 MB, once)" >&2
# The 32-bit Windows DLLs come from the same version's libwine:i386; only
# its Windows side is taken, so no 32-bit Linux library enters the tree.
if ! mmdebstrap --quiet --variant=apt --architectures=amd64,i386 --include="$packages" \
    --customize-hook='chroot "$1" sh -ec "cd /var/tmp && apt-get -q download libwine:i386 >/dev/null && dpkg-deb -x libwine_*_i386.deb x && cp -a x/usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/ && rm -rf x libwine_*_i386.deb"' \
    "$suite" "$building/tree" "$mirror" >&2; then
  echo "wow64-tree: mmdebstrap could not build the tree from $mirror" >&2
  exit 1
fi
[ -x "$building/tree/usr/lib/wine/wine64" ] && [ -d "$building/tree/usr/lib/x86_64-linux-gnu/wine/i386-windows" ] || {
  echo "wow64-tree: the tree lacks Wine or its 32-bit Windows side" >&2
  exit 1
}
version=$(chroot "$building/tree" dpkg-query -W -f='${Version}' wine64)
target=$cache/wine-${version//[^A-Za-z0-9.+-]/_}
rm -rf "$target"
mv "$building/tree" "$target"
touch "$target/.setupmenu-ready"
echo "$target"
