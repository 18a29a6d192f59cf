# shellcheck shell=bash
# The configuration checker's step of make-disc.sh, preview.sh and check.sh;
# sourced, with $root the source tree.
#
#   prepare_checker BUILD
#
# Sets checker to $checker, or to the 64-bit SetupMenuCheck.exe built in
# BUILD, and state and own_env to the Wine environment that runs it:
# SETUPMENU_WINE_STATE's (own_env=0), or BUILD/wine (own_env=1), which the
# caller starts and stops. Returns 1 when there is no checker.
#
#   run_checker SCRIPT STATE CHECKER WORK [--name NAME] MEDIA_FOLDER [CONFIG]
#
# Runs the checker on the folder (a Linux path; the checker gets its Windows
# name) in the started Wine environment STATE,
# leaves its output in WORK/check.txt, shows its warnings on standard error
# and returns 0 when the launcher accepts the configuration. When the launcher
# would refuse it (or the configuration the folder's autorun.inf starts it
# with: the checker's status 2), or the checker could not run, it says so and
# returns 1. Arguments after MEDIA_FOLDER go to the checker.

prepare_checker() {
  local build=$1
  if [ -z "$checker" ]; then
    cmake -S "$root" -B "$build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
      -DSETUPMENU_SUPERBUILD=OFF -DSETUPMENU_TESTS=OFF -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
    cmake --build "$build" --target SetupMenuCheck >/dev/null
    checker=$build/bin/SetupMenuCheck.exe
  fi
  [ -f "$checker" ] || return 1
  checker=$(realpath "$checker")
  if [ -n "${SETUPMENU_WINE_STATE:-}" ]; then
    state=$(realpath "$SETUPMENU_WINE_STATE")
    own_env=0
  else
    state=$build/wine
    own_env=1
  fi
}

run_checker() {
  local script=$1 state=$2 checker=$3 work=$4 status=0 name=()
  shift 4
  if [ "$1" = --name ]; then name=("$1" "$2"); shift 2; fi
  local media="Z:${1//\//\\}"
  shift
  # shellcheck disable=SC2154  # $root comes from the sourcing script
  # Output through files: Wine's helper processes outlive the checker.
  "$root/tests/wine/wine-run.sh" "$state" "$checker" "${name[@]}" "$media" "$@" </dev/null >"$work/check.out" \
    2>"$work/check.err" || status=$?
  tr -d '\r' <"$work/check.out" >"$work/check.txt"
  # Without its result line the checker did not run to its end, whatever its status.
  grep -q '^result: ' "$work/check.txt" || [ "$status" -gt 2 ] || status=99
  case $status in
    0) ;;
    1) echo "$script: the checker warns:" >&2
       grep -E '^(warning|result): ' "$work/check.txt" >&2 || true ;;
    2) grep -E '^(configuration file|refused|the launcher shows|warning: \[autorun\] open|result): ' \
         "$work/check.txt" >&2 || true
       echo "$script: the launcher would refuse this configuration" >&2
       return 1 ;;
    *) cat "$work/check.txt" "$work/check.err" >&2
       echo "$script: the checker could not run (status $status)" >&2
       return 1 ;;
  esac
}
