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
#                      [--sign CERT.pfx [--password-file FILE] [--timestamp URL]]
#
#   --out DIR          where the zip goes (default: dist/ in the repository)
#   --win32-build DIR  the 32-bit build tree to use; configured here (i686
#                      toolchain, MinSizeRel, no tests) when it does not exist
#                      yet (default: build/release-win32)
#   --sign CERT.pfx    sign the launcher and the checker with Authenticode
#                      (SHA-256) before they are zipped; --password-file and
#                      --timestamp as for scripts/sign.sh
#
# The version is the project VERSION of CMakeLists.txt. The zip is the same
# byte for byte whenever the same commit is built: its entries are sorted,
# their times are the last commit's (or SOURCE_DATE_EPOCH's) and their modes
# fixed. A signature differs from one signing to the next.
# Prints the path of the zip.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/dist
win32=$root/build/release-win32

sign=()

while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$2; shift 2 ;;
    --win32-build) win32=$2; shift 2 ;;
    --sign|--password-file|--timestamp) sign+=("$1" "${2:?$1 needs a value}"); shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "release: unknown argument $1" >&2; exit 2 ;;
  esac
done
out=$(realpath -m "$out")
win32=$(realpath -m "$win32")
if [ ${#sign[@]} -gt 0 ] && [[ " ${sign[*]} " != *" --sign "* ]]; then
  echo "release: --password-file and --timestamp go with --sign" >&2
  exit 2
fi

version=$(sed -n 's/^project(SetupMenu VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "release: no project VERSION in CMakeLists.txt" >&2; exit 1; }
name=SetupMenu-$version
# strip writes the time of the run, or SOURCE_DATE_EPOCH, into a PE header:
# 0 keeps the linker's (none).
strip() { SOURCE_DATE_EPOCH=0 i686-w64-mingw32-strip -o "$2" "$1"; }

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

strip "$launcher" "$top/SetupMenu.exe"
if [ -n "$checker" ]; then
  strip "$checker" "$top/SetupMenuCheck.exe"
else
  echo "release: no configuration checker in $win32; the bundle goes without it" >&2
fi

# The example media as its tree built it, without what a run may have left.
for f in "$media"/*; do
  case ${f##*/} in
    installers|*.log|*.LOG) ;;
    *.exe) strip "$f" "$top/example/${f##*/}" ;;
    *) cp "$f" "$top/example/" ;;
  esac
done
for f in "$media"/installers/*.exe; do
  strip "$f" "$top/example/installers/${f##*/}"
done

cp "$root/README.md" "$top/"
cp -r "$root/docs" "$top/docs"

if [ ${#sign[@]} -gt 0 ]; then
  programs=("$top/SetupMenu.exe")
  [ ! -f "$top/SetupMenuCheck.exe" ] || programs+=("$top/SetupMenuCheck.exe")
  "$root/scripts/sign.sh" "${sign[@]}" "${programs[@]}"
  # The example's launcher is the same program.
  cp "$top/SetupMenu.exe" "$top/example/SetupMenu.exe"
fi

# --- the zip --------------------------------------------------------------------
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)}
if [ -z "$stamp" ]; then
  echo "release: no commit date (not a git checkout, no SOURCE_DATE_EPOCH): the zip takes today's" >&2
  stamp=$(date +%s)
fi
mkdir -p "$out"
zip_path=$out/$name.zip
rm -f "$zip_path"
# Sorted entries without directories, the stamp as every time (DOS times have
# no zone: it is written as UTC), fixed modes, one compression level.
python3 - "$stage" "$name" "$zip_path" "$stamp" <<'EOF'
import os, sys, time, zipfile

stage, name, zip_path, stamp = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
when = time.gmtime(max(stamp, 315532800))[:6]  # DOS times begin in 1980
files = sorted(os.path.relpath(os.path.join(d, f), stage).replace(os.sep, "/")
               for d, _, names in os.walk(os.path.join(stage, name)) for f in names)
with zipfile.ZipFile(zip_path + ".part", "w") as z:
    for path in files:
        info = zipfile.ZipInfo(path, when)
        info.create_system = 3
        info.external_attr = (0o100755 if path.lower().endswith(".exe") else 0o100644) << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(stage, path), "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
os.replace(zip_path + ".part", zip_path)
EOF
echo "$zip_path"
