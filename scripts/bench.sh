#!/usr/bin/env bash
# The benchmark command: installs what is needed, builds the product as
# shipped (32-bit) with its floor and example media, the same sources for
# wine64 with the floor program, the timing builds and the measuring helper,
# starts two Wine environments of its own (Debian 12's wine64 for the 64-bit
# builds, Debian 13's Wine 10 in WoW64 mode for the 32-bit ones), runs every
# measurement and prints one table (also written to BUILD_DIR/results.md,
# with the raw figures in BUILD_DIR/results.json). Not part of the test run.
#
#   scripts/bench.sh [BUILD_DIR] [-- bench.py options]     (default: build/bench)
#
# bench.py options: --runs N (start-ups per case, default 25), --leaves N
# (hover leaves, default 50), --cost-runs N, --settle MS.
# BENCH_PRIORITY=realtime (default), raised or normal: see below.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
  build=$(realpath -m "$1")
  shift
fi
[ "${1:-}" = "--" ] && shift

if [ "$(id -u)" = 0 ]; then
  "$root/scripts/install-deps.sh"
else
  sudo "$root/scripts/install-deps.sh"
fi

for tree in w32:i686 w64:x86_64; do
  name=${tree%%:*}
  arch=${tree#*:}
  cmake -S "$root/bench" -B "$build/$name" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
done
cmake --build "$build/w32" --target SetupMenu SetupMenuFloor example_media
cmake --build "$build/w64" --target SetupMenu SetupMenuFloor SetupMenuTimed SetupMenuFloorTimed bench_meter \
  example_media

# The Wine environments (displays, wineservers), the measuring helper and the
# programs it starts run at real-time priority (round-robin, the lowest
# level) where that is allowed, else at a raised one: other work on the
# machine then barely disturbs the timings. Product and floor get the same.
# Nothing in them spins, and the kernel keeps a share of each second for
# everything else. BENCH_PRIORITY=normal runs at the ordinary priority.
priority=()
case ${BENCH_PRIORITY:-realtime} in
  realtime)
    if chrt -r 1 true 2>/dev/null; then priority=(chrt -r 1)
    elif nice -n -10 true 2>/dev/null; then priority=(nice -n -10)
    fi ;;
  raised)
    if nice -n -10 true 2>/dev/null; then priority=(nice -n -10); fi ;;
esac
export BENCH_PRIORITY_USED="${priority[*]:-normal}"

# The measuring helper also keeps each environment's desktop process up for
# the whole run: a window call made while it starts can stall for 30 s.
# A machine that cannot run the WoW64 environment gets a table without the
# 32-bit start-up; so does one where starting it fails, with the reason.
meter=$build/w64/bin/bench_meter.exe
states=("$build/wine" "$build/wine-wow64")
stop_all() { for state in "${states[@]}"; do "$root/tests/wine/wine-env.sh" stop "$state"; done; }
stop_all
trap stop_all EXIT
"${priority[@]}" "$root/tests/wine/wine-env.sh" start "$build/wine" --keeper "$meter"
if ! "${priority[@]}" "$root/tests/wine/wine-env.sh" start "$build/wine-wow64" --wow64 --keeper "$meter" \
     2>"$build/wine-wow64.log"; then
  echo "bench: the WoW64 environment did not start, see $build/wine-wow64.log" >&2
  mkdir -p "$build/wine-wow64"
  echo "starting it failed, see $build/wine-wow64.log" >"$build/wine-wow64/unavailable"
fi
"${priority[@]}" python3 "$root/bench/bench.py" --build "$build" "$@"
