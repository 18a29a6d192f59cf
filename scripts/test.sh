#!/usr/bin/env bash
# Installs what is needed, builds every tree and runs every test:
# native unit tests and fuzz runs, the 32-bit product checks, the
# Windows-side tests under wine64, and the end-to-end tests on Xvfb of the
# shipped 32-bit launcher under Wine 10's WoW64 mode and of the 64-bit
# build under wine64.
#
#   scripts/test.sh [BUILD_DIR]      (default: build/test)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/test}

if [ "$(id -u)" = 0 ]; then
  "$root/scripts/install-deps.sh"
else
  sudo "$root/scripts/install-deps.sh"
fi

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure --timeout 600
