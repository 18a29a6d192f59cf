#!/usr/bin/env bash
# Runs the launcher on the example media, or on any media folder, under Wine;
# or the checker's live preview of that folder.
#
#   scripts/run-example.sh [--timeout SECONDS] [--headless] [--media DIR [--name NAME]] [--watch] [-- ARGS...]
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
#
#   --media DIR  your own media folder instead of the example. The launcher
#                runs on a copy of it (build/run-example/media), placed there
#                under the configuration's name: NAME given with --name (the
#                launcher's base name, Setup for Setup.INI), else SetupMenu
#                when the folder has SetupMenu.ini, else the one .ini file.
#   --watch      runs SetupMenuCheck --watch on the folder itself instead (the
#                checker of the same build, which writes nothing there): the
#                menu in a window, built again whenever you save the
#                configuration, a language file or a picture, and the
#                checker's findings printed each time. Close the window (or
#                press Ctrl+C) to end; the timeout closes it too.
#   -- ARGS      passed on: to the launcher as its command tail, or to the
#                checker (--language de, --assume 'arch=x86;windows<6.2', a
#                configuration name).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/run-example
timeout=""
headless=0
own_media=""
name=""
watch=0

while [ $# -gt 0 ]; do
  case $1 in
    --timeout) timeout=$2; shift 2 ;;
    --headless) headless=1; shift ;;
    --media) own_media=$(cd "$2" && pwd); shift 2 ;;
    --name) name=${2%.[eE][xX][eE]}; shift 2 ;;
    --watch) watch=1; shift ;;
    --) shift; break ;;
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
cmake --build "$build/win32" --target example_media SetupMenuCheck >/dev/null
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
  -DSETUPMENU_SUPERBUILD=OFF -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target probe >/dev/null
media=$build/win32/example-media
bin=$build/win32/bin
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
# Wine 10's tree sees only the folders it is given: the author's among them.
if [ -n "$own_media" ]; then export SETUPMENU_WINE_BINDS=$own_media${SETUPMENU_WINE_BINDS:+:$SETUPMENU_WINE_BINDS}; fi
"$root/tests/wine/wine-env.sh" start "$state" --wow64 --keeper "$probe"
if [ -f "$state/unavailable" ]; then
  echo "run-example: this machine cannot run the 32-bit launcher ($(cat "$state/unavailable"));" \
       "showing the 64-bit build of the same sources under wine64"
  cmake --build "$build" --target example_media SetupMenu SetupMenuCheck >/dev/null
  media=$build/example-media
  bin=$build/bin
  state=$build/wine
  "$root/tests/wine/wine-env.sh" start "$state" --keeper "$probe"
fi
if [ -n "$user_display" ]; then export DISPLAY=$user_display; else DISPLAY=$(cat "$state/display"); export DISPLAY; fi
wine() { "$root/tests/wine/wine-run.sh" "$state" "$@"; }

# The program to show: the launcher placed in the media folder (a copy of
# the author's), or the checker's preview of the folder itself.
exe=SetupMenu.exe
if [ -n "$own_media" ] && [ "$watch" = 0 ]; then
  if [ -z "$name" ]; then
    inis=$(cd "$own_media" && ls -- *.[iI][nN][iI] 2>/dev/null || true)
    if [ -n "$(cd "$own_media" && ls -- SetupMenu.[iI][nN][iI] 2>/dev/null)" ]; then name=SetupMenu
    elif [ "$(printf '%s\n' "$inis" | grep -c .)" = 1 ]; then name=${inis%.*}
    else echo "run-example: cannot tell the launcher's name in $own_media; give it with --name" >&2; exit 2
    fi
  fi
  rm -rf "$build/media"
  cp -a "$own_media" "$build/media"
  cp "$bin/SetupMenu.exe" "$build/media/$name.exe"
  media=$build/media
  exe=$name.exe
elif [ -n "$own_media" ]; then
  media=$own_media
fi
[ "$watch" = 1 ] && exe=SetupMenuCheck.exe

program_pid=""
finish() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    wine "$probe" kill --exe "$exe" >/dev/null 2>&1 </dev/null || true
  fi
  [ -n "${tail_pid:-}" ] && kill "$tail_pid" 2>/dev/null
  "$root/tests/wine/wine-env.sh" stop "$state"
}
trap finish EXIT

out=$build/program.out
: >"$out"
if [ "$watch" = 1 ]; then
  # A file, not the terminal: Wine's runner then passes each report on at once.
  (cd "$media" && wine "$bin/SetupMenuCheck.exe" --watch ${name:+--name "$name"} "Z:${media//\//\\}" "$@") \
    </dev/null >"$out" 2>&1 &
  program_pid=$!
  tail -f "$out" &
  tail_pid=$!
else
  (cd "$media" && wine "$media/$exe" "$@") </dev/null >"$out" 2>&1 &
  program_pid=$!
fi
launcher_pid=$program_pid
echo "run-example: $exe runs on display $DISPLAY (media: $media)"

# The menu dialog is the window with the Cancel control (1014).
menu_shown() {
  wine "$probe" wait --exe "$exe" --child 1014 --visible --timeout 20000 </dev/null >/dev/null 2>&1
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
  if [ "$watch" = 1 ]; then
    echo "run-example: timeout; closing the preview's window"
    wine "$probe" syscommand --exe "$exe" close </dev/null >/dev/null 2>&1 || true
  else
    echo "run-example: timeout; closing the menu as Escape would"
    wine "$probe" command --exe "$exe" --child 1014 2 </dev/null >/dev/null 2>&1 || true
  fi
  for _ in $(seq 1 20); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.25; done
fi
status=0
if kill -0 "$launcher_pid" 2>/dev/null; then
  echo "run-example: the launcher did not end; stopping it" >&2
  status=1
else
  wait "$launcher_pid" || status=$?
  launcher_pid=""
  echo "run-example: $exe ended with exit code $status"
fi
while [ "$SECONDS" -lt "$deadline" ] && pgrep -f 'example[0-9]\.exe' >/dev/null; do sleep 0.5; done
if [ -f "$media/${exe%.exe}.log" ]; then echo "run-example: its debug log is $media/${exe%.exe}.log"; fi
exit "$status"
