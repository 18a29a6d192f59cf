#!/usr/bin/env bash
# Runs the configuration checker on a media folder from Linux, as preview.sh
# and make-disc.sh run it: the 64-bit SetupMenuCheck.exe under Debian 12's
# wine64 (which is not on the PATH: /usr/lib/wine/wine64), in a Wine
# environment of its own.
#
#   scripts/check.sh [options] MEDIA_FOLDER [CONFIG]    (options anywhere)
#
#   --checker EXE   the 64-bit SetupMenuCheck.exe (default: built in build/check)
#   --name NAME     the launcher's file name, passed on to the checker
#   --disc          the media are bound for a disc, passed on to the checker
#
# SETUPMENU_WINE_STATE may name a Wine environment already started with
# tests/wine/wine-env.sh; otherwise one is kept in build/check/wine and
# stopped at the end.
#
# Prints the checker's report. Exit status: the checker's own, 0 clean,
# 1 warnings, 2 the launcher would refuse the configuration, 3 the checker
# could not run (also when Wine could not start it, or it ended without its
# result line, which a 32-bit checker under Debian 12's Wine does silently).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
checker=""
options=()

usage() { sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//' >&2; exit 3; }

names=()
while [ $# -gt 0 ]; do
  case $1 in
    --checker) checker=${2:?--checker needs a value}; shift 2 ;;
    --name) options+=("$1" "${2:?--name needs a value}"); shift 2 ;;
    --disc) options+=("$1"); shift ;;
    -h|--help) usage ;;
    --) shift; names+=("$@"); break ;;
    -?*) echo "check: unknown option $1" >&2; usage ;;
    *) names+=("$1"); shift ;;
  esac
done
set -- "${names[@]}"
[ $# -ge 1 ] && [ $# -le 2 ] || usage
[ -d "$1" ] || { echo "check: no folder $1" >&2; exit 3; }
media=$(realpath "$1")
shift

# shellcheck source=scripts/checker-step.sh
. "$root/scripts/checker-step.sh"
prepare_checker "$root/build/check" || { echo "check: no checker $checker" >&2; exit 3; }
work=$(mktemp -d "${TMPDIR:-/tmp}/setupmenu-check.XXXXXX")
cleanup() {
  rm -rf "$work"
  if [ "$own_env" = 1 ]; then "$root/tests/wine/wine-env.sh" stop "$state"; fi
}
trap cleanup EXIT
[ "$own_env" = 0 ] || "$root/tests/wine/wine-env.sh" start "$state" >/dev/null
if [ "$(cat "$state/kind" 2>/dev/null || echo wine64)" != wine64 ]; then
  echo "check: the Wine environment $state does not run the 64-bit checker" >&2
  exit 3
fi

# Output through files: Wine's helper processes outlive the checker.
status=0
"$root/tests/wine/wine-run.sh" "$state" "$checker" "${options[@]}" "Z:${media//\//\\}" "$@" </dev/null \
  >"$work/check.out" 2>"$work/check.err" || status=$?
tr -d '\r' <"$work/check.out"
cat "$work/check.err" >&2
if [ "$status" -gt 3 ]; then
  echo "check: the checker could not run (status $status)" >&2
  status=3
elif [ "$status" -lt 3 ] && ! grep -q '^result: ' "$work/check.out"; then
  echo "check: the checker ended without its result line (status $status)" >&2
  status=3
fi
exit "$status"
