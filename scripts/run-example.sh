#!/usr/bin/env bash
# Runs the launcher on the example media under Wine.
#
#   scripts/run-example.sh [--timeout SECONDS] [--headless]
#
# Installs what is needed (scripts/install-deps.sh), builds the shipped 32-bit
# launcher with the example media in build/run-example/win32/example-media and
# the 64-bit window probe in build/run-example, and starts the launcher there
# under Wine 10's WoW64 mode (tests/wine: the first run on a machine builds a
# Debian 13 tree for it, about 330 MB, once). Where this machine cannot run
# that, the 64-bit build of the same sources runs under Debian 12's wine64
# instead, and the script says so. The launcher is shown:
#   - on the current DISPLAY when there is one: use it like a user would, and
#     close it with Quit, Escape or a button (the example's Exit=ON ends the
#     menu after an installer has started);
#   - otherwise (or with --headless) on a display of its own (Xvfb), where a
#     screenshot of the screen is saved and its path printed.
# The script leaves when the launcher (and any example installer it started)
# has ended, or after the timeout (default: 600 s on a display, 5 s after the
# screenshot headless), closing the menu (as Escape does) if it is still open.
# Its exit code is the launcher's.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/run-example
timeout=""
headless=0

while [ $# -gt 0 ]; do
  case $1 in
    --timeout) timeout=$2; shift 2 ;;
    --headless) headless=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run-example: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ "$(id -u)" = 0 ]; then
  "$root/scripts/install-deps.sh"
else
  sudo "$root/scripts/install-deps.sh"
fi

echo "run-example: building the 32-bit launcher and the example media in $build/win32"
cmake -S "$root" -B "$build/win32" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
  -DSETUPMENU_TESTS=OFF -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build/win32" --target example_media >/dev/null
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
  -DSETUPMENU_SUPERBUILD=OFF -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target probe >/dev/null
media=$build/win32/example-media
probe=$build/e2e/probe.exe

# Where to show it: the caller's display when it answers, else our own Xvfb.
if [ "$headless" = 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  user_display=$DISPLAY
  timeout=${timeout:-600}
else
  user_display=""
  timeout=${timeout:-5}
fi

state=$build/wine-wow64
"$root/tests/wine/wine-env.sh" start "$state" --wow64 --keeper "$probe"
if [ -f "$state/unavailable" ]; then
  echo "run-example: this machine cannot run the 32-bit launcher ($(cat "$state/unavailable"));" \
       "showing the 64-bit build of the same sources under wine64"
  cmake --build "$build" --target example_media >/dev/null
  media=$build/example-media
  state=$build/wine
  "$root/tests/wine/wine-env.sh" start "$state" --keeper "$probe"
fi
if [ -n "$user_display" ]; then export DISPLAY=$user_display; else DISPLAY=$(cat "$state/display"); export DISPLAY; fi
wine() { "$root/tests/wine/wine-run.sh" "$state" "$@"; }

launcher_pid=""
finish() {
  if [ -n "$launcher_pid" ] && kill -0 "$launcher_pid" 2>/dev/null; then
    wine "$probe" kill --exe SetupMenu.exe >/dev/null 2>&1 </dev/null || true
  fi
  "$root/tests/wine/wine-env.sh" stop "$state"
}
trap finish EXIT

(cd "$media" && wine "$media/SetupMenu.exe") </dev/null >"$build/launcher.out" 2>&1 &
launcher_pid=$!
echo "run-example: SetupMenu.exe runs on display $DISPLAY (media: $media)"

menu_shown() {
  wine "$probe" wait --exe SetupMenu.exe --title "Example Media Setup" --visible --timeout 20000 \
    </dev/null >/dev/null 2>&1
}

if [ -z "$user_display" ]; then
  if menu_shown; then
    sleep 1
    shot=$build/example-screen.png
    import -window root -depth 8 "$shot"
    echo "run-example: screenshot saved to $shot"
  else
    echo "run-example: the menu did not appear" >&2
  fi
fi

# Wait for the launcher, then for installers it started, up to the timeout.
deadline=$((SECONDS + timeout))
while kill -0 "$launcher_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.5; done
if kill -0 "$launcher_pid" 2>/dev/null; then
  echo "run-example: timeout; closing the menu as Escape would"
  wine "$probe" command --exe SetupMenu.exe --title "Example Media Setup" 2 </dev/null >/dev/null 2>&1 || true
  for _ in $(seq 1 20); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.25; done
fi
status=0
if kill -0 "$launcher_pid" 2>/dev/null; then
  echo "run-example: the launcher did not end; stopping it" >&2
  status=1
else
  wait "$launcher_pid" || status=$?
  launcher_pid=""
  echo "run-example: SetupMenu.exe ended with exit code $status"
fi
while [ "$SECONDS" -lt "$deadline" ] && pgrep -f 'example[0-9]\.exe' >/dev/null; do sleep 0.5; done
if [ -f "$media/SetupMenu.log" ]; then echo "run-example: its debug log is $media/SetupMenu.log"; fi
exit "$status"
