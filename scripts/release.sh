#!/usr/bin/env bash
# Builds the release bundle dist/SetupMenu-<version>.zip:
#
#   SetupMenu-<version>/SetupMenu.exe        the 32-bit launcher (MinSizeRel, stripped)
#   SetupMenu-<version>/SetupMenuCheck.exe   the configuration checker, when the build has one
#   SetupMenu-<version>/example/             the example media, ready to copy to a medium
#                                            (launcher, SetupMenu.ini, pictures, 32-bit installers)
#   SetupMenu-<version>/README.md, docs/
#
#   scripts/release.sh [--out DIR] [--win32-build DIR]
#
#   --out DIR          where the zip goes (default: dist/ in the repository)
#   --win32-build DIR  the 32-bit build tree to use; configured here (i686
#                      toolchain, MinSizeRel, no tests) when it does not exist
#                      yet (default: build/release-win32)
#
# The version is the project VERSION of CMakeLists.txt. File times inside the
# zip are those of the last commit, so the same sources give the same zip.
# Prints the path of the zip.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/dist
win32=$root/build/release-win32

while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$2; shift 2 ;;
    --win32-build) win32=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "release: unknown argument $1" >&2; exit 2 ;;
  esac
done
out=$(realpath -m "$out")
win32=$(realpath -m "$win32")

version=$(sed -n 's/^project(SetupMenu VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "release: no project VERSION in CMakeLists.txt" >&2; exit 1; }
name=SetupMenu-$version
strip=i686-w64-mingw32-strip

# --- the 32-bit build -----------------------------------------------------------
if [ ! -f "$win32/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$win32" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DSETUPMENU_TESTS=OFF >/dev/null
fi
grep -q '^CMAKE_BUILD_TYPE:[A-Z]*=MinSizeRel$' "$win32/CMakeCache.txt" &&
  grep -q '^CMAKE_CXX_COMPILER_AR:[A-Z]*=.*i686-w64-mingw32' "$win32/CMakeCache.txt" || {
  echo "release: $win32 is not a 32-bit MinSizeRel build tree" >&2
  exit 1
}
cmake --build "$win32" >/dev/null

launcher=$win32/bin/SetupMenu.exe
media=$win32/example-media
[ -f "$launcher" ] || { echo "release: no $launcher" >&2; exit 1; }
[ -f "$media/SetupMenu.ini" ] || { echo "release: no example media in $media" >&2; exit 1; }
checker=$(find "$win32" -path "$win32/CMakeFiles" -prune -o -type f -iname 'SetupMenuCheck.exe' -print | head -n 1)

# --- the bundle's folder ----------------------------------------------------------
stage=$(mktemp -d "${TMPDIR:-/tmp}/setupmenu-release.XXXXXX")
trap 'rm -rf "$stage"' EXIT
top=$stage/$name
mkdir -p "$top/example/installers"

"$strip" -o "$top/SetupMenu.exe" "$launcher"
if [ -n "$checker" ]; then
  "$strip" -o "$top/SetupMenuCheck.exe" "$checker"
else
  echo "release: no configuration checker in $win32; the bundle goes without it" >&2
fi

# The example media as its tree built it, without what a run may have left.
for f in "$media"/*; do
  case ${f##*/} in
    installers|*.log|*.LOG) ;;
    *.exe) "$strip" -o "$top/example/${f##*/}" "$f" ;;
    *) cp "$f" "$top/example/" ;;
  esac
done
for f in "$media"/installers/*.exe; do
  "$strip" -o "$top/example/installers/${f##*/}" "$f"
done

cp "$root/README.md" "$top/"
cp -r "$root/docs" "$top/docs"

# --- the zip --------------------------------------------------------------------
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
find "$top" -exec touch -h -d "@$stamp" {} +
mkdir -p "$out"
zip_path=$out/$name.zip
rm -f "$zip_path"
(cd "$stage" && find "$name" | LC_ALL=C sort | zip -q -X -D "$zip_path" -@)
echo "$zip_path"
