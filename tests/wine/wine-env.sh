#!/usr/bin/env bash
# Starts and stops the one Wine environment a test run shares: an Xvfb
# display, a Wine prefix whose default desktop is a 1024x768 virtual desktop
# (so programs keep their exit codes), and one persistent wineserver.
#
#   wine-env.sh start STATE_DIR     creates what is missing, starts the rest
#   wine-env.sh stop STATE_DIR      stops the wineserver and the display
#
# STATE_DIR holds the prefix, the display number and the Xvfb pid.
set -euo pipefail

action=$1
state=$(realpath -m "$2")
prefix=$state/prefix
wine=/usr/lib/wine/wine64
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

display_alive() {
  [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null
}

start_display() {
  if display_alive; then return; fi
  # Xvfb takes a free display number itself and writes it to descriptor 3
  # once it accepts connections. A number picked here from the free ones could
  # be picked at the same moment by another test run on this machine, which
  # would then drive the same pointer.
  rm -f "$state/display" "$state/display.number"
  # Detached and silent: nothing may hold the test runner's pipes open.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$state/display.number" </dev/null >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  local n=
  for _ in $(seq 1 100); do
    n=$(tr -dc 0-9 <"$state/display.number")
    [ -n "$n" ] && break
    sleep 0.1
  done
  if [ -z "$n" ]; then
    echo "wine-env.sh: Xvfb did not start" >&2
    exit 1
  fi
  echo ":$n" >"$state/display"
}

case $action in
  start)
    mkdir -p "$state"
    start_display
    export DISPLAY=$(cat "$state/display")
    if [ ! -f "$prefix/.setupmenu-ready" ]; then
      rm -rf "$prefix"
      "$wine" wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || true
      "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >>"$state/wineboot.log" 2>&1
      "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >>"$state/wineboot.log" 2>&1
      "$WINESERVER" -w
      touch "$prefix/.setupmenu-ready"
    fi
    # Wine 8 on Debian does not pick up its own fonts from /usr/share/wine/fonts
    # here, and dialogs then lay out in a fallback font (7x13 base units instead
    # of MS Sans Serif's 6x13) with letters for caption buttons. Copying them into
    # the prefix's Fonts folder fixes both; it is cheap and safe to repeat.
    cp -u /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    if display_alive; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$state/xvfb.pid"
    ;;
  *)
    echo "usage: $0 start|stop STATE_DIR" >&2
    exit 2
    ;;
esac
