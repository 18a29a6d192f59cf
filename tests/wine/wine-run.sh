#!/usr/bin/env bash
# Runs a Windows program in a Wine environment started by wine-env.sh, on
# its display and in its prefix, and exits with the program's exit code.
#
#   wine-run.sh STATE_DIR PROGRAM [ARGS...]
#   wine-run.sh STATE_DIR --server [ARGS...]     that environment's wineserver
#
# Two kinds of environment (STATE_DIR/kind):
#   wine64   Debian 12's wine64, for 64-bit programs;
#   wow64    Debian 13's Wine 10 in a tree of its own (wow64-tree.sh), which
#            also runs 32-bit programs. Each start gets a private mount
#            namespace: the tree becomes the root, with /proc, /dev, the X
#            sockets and the folders of STATE_DIR/binds mounted at their own
#            paths, so Z:\ names stay valid. Only the low 8 bits of an exit
#            code come back.
#
# Wine's output goes through files rather than straight to our standard
# streams: Wine's helper processes outlive the program, and a test runner
# waiting on a pipe they inherited would hang. A stream that already is a
# file is written straight away, so that it can be read while the program
# runs (the checker's live preview).
set -u
state=$1
shift
export WINEPREFIX="$state/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko prompts; a caller's own overrides come on top.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
if [ -z "${DISPLAY:-}" ] && [ -f "$state/display" ]; then
  DISPLAY="$(cat "$state/display")"
  export DISPLAY
fi
kind=$(cat "$state/kind" 2>/dev/null || echo wine64)

if [ "${1:-}" = --server ]; then
  shift
  set -- @server "$@"
fi

out= err=
if [ -f /dev/stdout ]; then exec 3>&1; else out=$(mktemp); exec 3>"$out"; fi
if [ -f /dev/stderr ]; then exec 4>&2; else err=$(mktemp); exec 4>"$err"; fi
case $kind in
  wine64)
    if [ "$1" = @server ]; then
      shift
      server=/usr/lib/wine/wineserver64
      [ -x "$server" ] || server=/usr/lib/wine/wineserver
      "$server" "$@" </dev/null >&3 2>&4 3>&- 4>&-
    else
      /usr/lib/wine/wine64 "$@" </dev/null >&3 2>&4 3>&- 4>&-
    fi
    status=$?
    ;;
  wow64)
    tree=$(cat "$state/tree")
    # shellcheck disable=SC2016
    unshare --mount --propagation private /bin/bash -c '
      tree=$1 binds=$2 cwd=$3
      shift 3
      mount -t proc proc "$tree/proc" &&
      mount --rbind /dev "$tree/dev" &&
      mount --bind /tmp/.X11-unix "$tree/tmp/.X11-unix" || exit 125
      while IFS= read -r dir; do
        [ -n "$dir" ] && { mount --bind "$dir" "$tree$dir" || exit 125; }
      done <"$binds"
      [ -d "$tree$cwd" ] || cwd=/
      if [ "$1" = @server ]; then shift; set -- /usr/lib/wine/wineserver "$@"; else set -- /usr/lib/wine/wine64 "$@"; fi
      exec chroot "$tree" /bin/sh -c "cd \"\$0\" && exec \"\$@\"" "$cwd" "$@"
    ' wow64-run "$tree" "$state/binds" "$PWD" "$@" </dev/null >&3 2>&4 3>&- 4>&-
    status=$?
    ;;
  *)
    echo "wine-run: unknown environment kind '$kind' in $state" >&2
    status=125
    ;;
esac
exec 3>&- 4>&-
if [ -n "$out" ]; then cat "$out"; rm -f "$out"; fi
if [ -n "$err" ]; then cat "$err" >&2; rm -f "$err"; fi
exit $status
