#!/usr/bin/env bash
# Builds the native tree with clang and runs every fuzz target for longer than
# the CTest runs do, each on a scratch copy of its seed corpus (the committed
# corpus is never changed).
#
#   scripts/fuzz-long.sh [seconds per target] [target ...]
#
# Defaults: 60 seconds, every target. Crash reproducers and the grown corpora
# stay under build/fuzz-long/work/<target>/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
build="$root/build/fuzz-long"

case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [seconds per target] [target ...]" >&2; exit 2 ;;
esac

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

if [ "$#" -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in "$root"/tests/fuzz/*_fuzz.cpp; do
    name="$(basename "$f" _fuzz.cpp)"
    targets+=("$name")
  done
fi

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=()
for t in "${targets[@]}"; do
  bin="$build/fuzz/fuzz_$t"
  if [ ! -x "$bin" ]; then
    echo "no fuzz target $t ($bin)" >&2
    failed+=("$t")
    continue
  fi
  work="$build/work/$t"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -r "$root/tests/fuzz/corpus/$t/." "$work/corpus/" 2>/dev/null || true
  echo "=== $t: ${seconds}s"
  if ! "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$work/artifacts/" "$work/corpus"; then
    failed+=("$t")
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED: ${failed[*]} (reproducers under $build/work/<target>/artifacts/)" >&2
  exit 1
fi
echo "all fuzz targets ran ${seconds}s without a finding"
