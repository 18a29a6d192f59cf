#!/usr/bin/env bash
# Where the shipped launcher's bytes go: builds the 32-bit launcher exactly
# as shipped (the benchmark's 32-bit tree, which also writes its link map)
# and prints its bytes by PE section, object file, function and resource.
# Needs the toolchain only, no Wine.
#
#   scripts/size-report.sh [BUILD_DIR] [-- size_report.py options]   (default: build/bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
  build=$(realpath -m "$1")
  shift
fi
[ "${1:-}" = "--" ] && shift

if ! command -v i686-w64-mingw32-g++ >/dev/null || ! command -v ninja >/dev/null; then
  if [ "$(id -u)" = 0 ]; then "$root/scripts/install-deps.sh"; else sudo "$root/scripts/install-deps.sh"; fi
fi
cmake -S "$root/bench" -B "$build/w32" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build/w32" --target SetupMenu >/dev/null
python3 "$root/bench/size_report.py" --build "$build" "$@"
