#!/usr/bin/env bash
# Starts and stops one Wine environment that a test run (or a script)
# shares: an Xvfb display, a Wine prefix whose default desktop is a 1024x768
# virtual desktop (so programs keep their exit codes), one persistent
# wineserver, and a hidden window that keeps Wine's desktop process up.
#
#   wine-env.sh start STATE_DIR [--wow64] [--keeper PROBE_EXE]
#   wine-env.sh stop STATE_DIR
#
# Without --wow64 the environment is Debian 12's wine64 (64-bit programs).
# With it, Debian 13's Wine 10 in a tree of its own (wow64-tree.sh builds it
# once), which runs the 32-bit launcher in WoW64 mode; programs then run
# through wine-run.sh, which mounts the folders listed in STATE_DIR/binds
# (the source tree, the folder holding STATE_DIR, and $SETUPMENU_WINE_BINDS,
# colon-separated) at their own paths inside it.
#
# When this kernel can run neither 32-bit binaries nor Wine's WoW64 mode,
# start writes the reason to STATE_DIR/unavailable and exits 0: the tests of
# that environment then report themselves skipped with that reason. Any
# other failure to build or start the environment is an error.
#
# PROBE_EXE: the end-to-end probe; its "keep" command holds a hidden window
# for the whole run. A window call made while the desktop process is still
# starting can stall for 30 s, so start also waits until that window exists.
#
# STATE_DIR holds the prefix, the display number, the Xvfb and keeper pids,
# the kind of environment and, for WoW64, the tree's path.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
action=$1
state=$(realpath -m "$2")
shift 2
wow64=0
keeper=""
while [ $# -gt 0 ]; do
  case $1 in
    --wow64) wow64=1; shift ;;
    --keeper) keeper=$2; shift 2 ;;
    *) echo "usage: $0 start|stop STATE_DIR [--wow64] [--keeper PROBE_EXE]" >&2; exit 2 ;;
  esac
done
prefix=$state/prefix
run() { "$here/wine-run.sh" "$state" "$@"; }

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
  # The file exists before the loop below reads it: the background start
  # opens it for Xvfb only once that process runs, which can be later.
  : >"$state/display.number"
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

# Whether this kernel runs a 32-bit x86 Linux program: a 96-byte ELF file
# whose only work is exit(42).
kernel_runs_32bit() {
  local elf=$state/exit42.elf
  python3 - "$elf" <<'EOF'
import struct, sys
code = b"\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80"  # mov eax,1; mov ebx,42; int 0x80
base, header, program = 0x08048000, 52, 32
size = header + program + len(code)
elf = struct.pack("<4sBBBB8xHHIIIIIHHHHHH", b"\x7fELF", 1, 1, 1, 0, 2, 3, 1, base + header + program,
                  header, 0, 0, header, program, 1, 0, 0, 0)
elf += struct.pack("<8I", 1, 0, base, base, size, size, 5, 0x1000) + code
with open(sys.argv[1], "wb") as f:
    f.write(elf)
EOF
  chmod +x "$elf"
  local status=0
  "$elf" 2>/dev/null || status=$?
  rm -f "$elf"
  [ "$status" = 42 ]
}

unavailable() {
  echo "$1" >"$state/unavailable"
  echo "wine-env: the WoW64 environment is unavailable: $1" >&2
  exit 0
}

prepare_wow64() {
  local tree
  tree=$("$here/wow64-tree.sh")
  echo wow64 >"$state/kind"
  echo "$tree" >"$state/tree"
  {
    echo "$root"
    echo "$(dirname "$state")"
    tr ':' '\n' <<<"${SETUPMENU_WINE_BINDS:-}"
  } | sed '/^$/d' | while IFS= read -r dir; do realpath -m "$dir"; done | sort -u >"$state/binds"
  mkdir -p "$tree/tmp/.X11-unix"
  while IFS= read -r dir; do mkdir -p "$dir" "$tree$dir"; done <"$state/binds"
}

create_prefix() {
  if [ -f "$prefix/.setupmenu-ready" ]; then return; fi
  rm -rf "$prefix"
  run wineboot -i >"$state/wineboot.log" 2>&1 || true
  run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$state/wineboot.log" 2>&1
  run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$state/wineboot.log" 2>&1
  run --server -w
  touch "$prefix/.setupmenu-ready"
}

start_keeper() {
  [ -n "$keeper" ] || return 0
  if [ -f "$state/keeper.pid" ] && kill -0 "$(cat "$state/keeper.pid")" 2>/dev/null; then return; fi
  setsid "$here/wine-run.sh" "$state" "$keeper" keep </dev/null >/dev/null 2>&1 &
  echo $! >"$state/keeper.pid"
  if ! run "$keeper" wait --title SetupMenuTestKeeper --timeout 60000 >/dev/null 2>&1; then
    echo "wine-env: the keeper window did not appear" >&2
    exit 1
  fi
}

case $action in
  start)
    mkdir -p "$state"
    rm -f "$state/unavailable"
    if [ "$wow64" = 1 ]; then prepare_wow64; else echo wine64 >"$state/kind"; rm -f "$state/tree"; fi
    start_display
    DISPLAY=$(cat "$state/display")
    export DISPLAY
    create_prefix
    # Every Windows opens a .txt file in Notepad; Wine's prefix knows the type
    # (txtfile) but not the extension, and media open text files (the
    # example's manual). Also for prefixes made before this line.
    run reg add 'HKCR\.txt' /ve /d txtfile /f >>"$state/wineboot.log" 2>&1 || true
    if [ "$wow64" = 1 ]; then
      # A 32-bit program that must come back with its own exit code: Wine
      # fails some WoW64 starts and still exits 0, so 0 would prove nothing.
      status=0
      run 'C:\windows\syswow64\cmd.exe' /c exit 37 >"$state/wow64-check.log" 2>&1 || status=$?
      if [ "$status" != 37 ]; then
        if ! kernel_runs_32bit; then
          unavailable "this kernel runs no 32-bit programs and Wine's WoW64 mode failed too (a 32-bit cmd.exe ended with $status, see $state/wow64-check.log)"
        fi
        echo "wine-env: a 32-bit program under WoW64 ended with $status instead of 37 (see $state/wow64-check.log)" >&2
        exit 1
      fi
    else
      # Wine 8 on Debian does not pick up its own fonts from /usr/share/wine/fonts
      # here, and dialogs then lay out in a fallback font (7x13 base units instead
      # of MS Sans Serif's 6x13) with letters for caption buttons. Copying them into
      # the prefix's Fonts folder fixes both; it is cheap and safe to repeat.
      cp -u /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    fi
    setsid "$here/wine-run.sh" "$state" --server -p </dev/null >/dev/null 2>&1 || true
    start_keeper
    ;;
  stop)
    if [ -f "$state/prefix/.setupmenu-ready" ]; then run --server -k </dev/null >/dev/null 2>&1 || true; fi
    if [ -f "$state/keeper.pid" ]; then kill "$(cat "$state/keeper.pid")" 2>/dev/null || true; fi
    if display_alive; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$state/xvfb.pid" "$state/keeper.pid"
    ;;
  *)
    echo "usage: $0 start|stop STATE_DIR [--wow64] [--keeper PROBE_EXE]" >&2
    exit 2
    ;;
esac
