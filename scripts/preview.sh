#!/usr/bin/env bash
# Screenshots of a media folder's menu, made by running the real launcher
# (the shipped 32-bit program, under Wine 10's WoW64 mode on an Xvfb display)
# on a copy of the folder.
#
#   scripts/preview.sh [options] MEDIA_DIR OUTPUT_DIR    (options anywhere)
#
# First the configuration checker runs on the copy of the folder, as
# make-disc.sh runs it: its warnings are shown (a missing picture shows as a
# grey placeholder), and when the launcher would refuse the configuration
# there are no shots. With --language, the language's file that the launcher
# reads is checked as well.
#
# The copy of the folder gets the launcher under the configuration's base name
# (so menu.ini is read by menu.exe, which also replaces a menu.exe already
# there). Written to OUTPUT_DIR:
#   menu.png             the menu dialog as it first appears
#   menu-button1.png     ... with the pointer over button 1 (likewise 2 and 3,
#                        for each button that is shown)
#   menu-cancel.png      ... with the pointer over the Cancel control
#   screen.png           the whole screen: backdrop and menu
#   controls.json        the configuration file shown, where the launcher put
#                        the menu and its controls (screen pixels; the client
#                        area's origin is menu.client_screen, so a control's
#                        Position is its rect less that origin), and which file
#                        shows which hover
#
# Options:
#   --config FILE    the configuration file in MEDIA_DIR (default: the one
#                    INI file there with a [Version] Release value; among
#                    several, the one named like an .exe in the folder). A file
#                    whose extension is not .ini is passed on the command line.
#   --launcher EXE   the launcher to show (default: the 32-bit product, built
#                    in build/preview/win32); a 64-bit build runs under
#                    Debian 12's wine64 instead
#   --checker EXE    the 64-bit SetupMenuCheck.exe (default: built in build/preview)
#   --probe EXE      the 64-bit window probe (default: built in build/preview)
#   --settle SECONDS how long to wait for painting before each shot (0.6)
#   --language TAG   show the menu as a user whose interface language is TAG
#                    (a language and a region: de-DE, pt-BR) sees it: with
#                    [Main] Languages, the launcher then reads that language's
#                    file (the locale need not be installed on this machine)
#
# SETUPMENU_WINE_STATE may name a Wine environment already started with
# tests/wine/wine-env.sh (with --wow64 for a 32-bit launcher); it is then used
# and left running. Otherwise one is kept in build/preview/wine (or wine-wow64)
# and stopped at the end. The first WoW64 environment on a machine builds a
# Debian 13 tree with Wine 10 (tests/wine/wow64-tree.sh; about 330 MB, once).
#
# Exit code: 0 when every shot was written and the launcher ended with 0
# after Escape; 1 otherwise.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
config=""
launcher=""
checker=""
probe=""
settle=0.6
language=""

usage() { sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//' >&2; exit "${1:-2}"; }

# Options anywhere, as GNU tools take them; "--" ends them.
names=()
while [ $# -gt 0 ]; do
  case $1 in
    --config) config=${2:?--config needs a value}; shift 2 ;;
    --launcher) launcher=${2:?--launcher needs a value}; shift 2 ;;
    --checker) checker=${2:?--checker needs a value}; shift 2 ;;
    --probe) probe=${2:?--probe needs a value}; shift 2 ;;
    --settle) settle=${2:?--settle needs a value}; shift 2 ;;
    --language) language=${2:?--language needs a value}; shift 2 ;;
    -h|--help) usage 0 ;;
    --) shift; names+=("$@"); break ;;
    -?*) echo "preview: unknown option $1" >&2; usage ;;
    *) names+=("$1"); shift ;;
  esac
done
set -- "${names[@]}"
[ $# -eq 2 ] || usage
# Wine takes the user's interface language from the locale of the program's environment.
locale=""
if [ -n "$language" ]; then
  [[ $language =~ ^([A-Za-z]{2,3})-([A-Za-z]{2})$ ]] ||
    { echo "preview: --language takes a language and a region, such as de-DE or pt-BR" >&2; exit 2; }
  locale="${BASH_REMATCH[1],,}_${BASH_REMATCH[2]^^}.UTF-8"
fi
media=$(realpath "$1")
out=$(realpath -m "$2")
[ -d "$media" ] || { echo "preview: no folder $media" >&2; exit 1; }

# --- which configuration, and so which base name ------------------------------
if [ -z "$config" ]; then
  config=$(python3 - "$media" <<'EOF'
import os, re, sys

folder = sys.argv[1]

def has_version_mark(path):
    section = None
    try:
        with open(path, "rb") as f:
            lines = f.read().decode("latin-1").splitlines()
    except OSError:
        return False
    for line in lines:
        line = line.strip()
        m = re.match(r"\[(.*)\]$", line)
        if m:
            section = m.group(1).strip().lower()
        elif section == "version" and "=" in line:
            key, value = (part.strip() for part in line.split("=", 1))
            if key.lower() == "release":
                return value not in ("", '""', "''") and value.lower() != "*not*"
    return False

files = sorted(os.listdir(folder))
inis = [f for f in files if f.lower().endswith(".ini") and has_version_mark(os.path.join(folder, f))]
# A language's file (SETUP.de.INI beside SETUP.INI) is chosen by the launcher, not here.
stems = {os.path.splitext(f)[0].lower() for f in inis}
inis = [f for f in inis if os.path.splitext(f)[0].rpartition(".")[0].lower() not in stems]
exes = {os.path.splitext(f)[0].lower() for f in files if f.lower().endswith(".exe")}
named = [f for f in inis if os.path.splitext(f)[0].lower() in exes]
choice = named if len(named) == 1 else inis
if len(choice) != 1:
    sys.exit("preview: cannot tell which configuration to show (%s); use --config"
             % (", ".join(inis) or "no INI file with a [Version] Release value"))
print(choice[0])
EOF
)
fi
[ -f "$media/$config" ] || { echo "preview: no file $config in $media" >&2; exit 1; }
config_file=$(basename "$config")
base=${config_file%.*}
tail=""
case ${config_file,,} in
  *.ini) ;;
  *) tail=$config_file ;;
esac

# --- the launcher and the probe -----------------------------------------------
build=$root/build/preview
if [ -z "$launcher" ]; then
  cmake -S "$root" -B "$build/win32" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DSETUPMENU_TESTS=OFF -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
  cmake --build "$build/win32" --target SetupMenu >/dev/null
  launcher=$build/win32/bin/SetupMenu.exe
fi
launcher=$(realpath "$launcher")
if [ -z "$probe" ] || [ -z "$checker" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
    -DSETUPMENU_SUPERBUILD=OFF -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
  cmake --build "$build" --target probe SetupMenuCheck >/dev/null
  probe=${probe:-$build/e2e/probe.exe}
  checker=${checker:-$build/bin/SetupMenuCheck.exe}
fi
[ -f "$launcher" ] || { echo "preview: no launcher $launcher" >&2; exit 1; }
[ -f "$probe" ] || { echo "preview: no probe $probe (build the target 'probe')" >&2; exit 1; }
[ -f "$checker" ] || { echo "preview: no checker $checker" >&2; exit 1; }
probe=$(realpath "$probe")
checker=$(realpath "$checker")

# --- the Wine environment -----------------------------------------------------
# A 32-bit launcher needs Wine 10's WoW64 mode: Debian 12's wine64 would fail
# to run it and still exit 0.
if file -b "$launcher" | grep -q '^PE32+'; then kind=wine64; else kind=wow64; fi
if [ -n "${SETUPMENU_WINE_STATE:-}" ]; then
  state=$(realpath "$SETUPMENU_WINE_STATE")
  own_env=0
else
  state=$build/wine
  [ "$kind" = wine64 ] || state=$build/wine-wow64
  own_env=1
  env_options=(--keeper "$probe")
  [ "$kind" = wine64 ] || env_options+=(--wow64)
  "$root/tests/wine/wine-env.sh" start "$state" "${env_options[@]}"
fi
if [ -f "$state/unavailable" ]; then
  echo "preview: this machine cannot run the 32-bit launcher: $(cat "$state/unavailable")" >&2
  exit 1
fi
if [ "$(cat "$state/kind" 2>/dev/null || echo wine64)" != "$kind" ]; then
  echo "preview: the Wine environment $state cannot run $launcher" >&2
  exit 1
fi
DISPLAY=$(cat "$state/display")
export DISPLAY
wine() { "$root/tests/wine/wine-run.sh" "$state" "$@"; }

# Beside the environment: the WoW64 environment sees only the folders it binds.
work=$(mktemp -d "$(dirname "$state")/preview-work.XXXXXX")
launcher_pid=""
cleanup() {
  if [ -n "$launcher_pid" ] && kill -0 "$launcher_pid" 2>/dev/null; then
    wine "$probe" kill --exe "$base.exe" >/dev/null 2>&1 || true
    kill "$launcher_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
  if [ "$own_env" = 1 ]; then "$root/tests/wine/wine-env.sh" stop "$state"; fi
}
trap cleanup EXIT

# The working copy: the launcher stands in for any program of the same name.
mkdir -p "$work/media"
cp -a "$media/." "$work/media/"
find "$work/media" -maxdepth 1 -type f -iname "$base.exe" -delete
cp "$launcher" "$work/media/$base.exe"
mkdir -p "$out"

# shellcheck source=scripts/checker-step.sh
. "$root/scripts/checker-step.sh"
# As a user of that language, when one is given: the checker then names the
# language's file that the launcher reads, which is checked as well.
(
  if [ -n "$locale" ]; then { export LC_ALL=$locale; } 2>/dev/null; fi
  run_checker preview "$state" "$checker" "$work" "$work/media" --name "$base.exe" ${tail:+"$tail"}
) || { echo "preview: no shots" >&2; exit 1; }
shown=$config_file
reads=$(sed -n 's/^\[Main\] Languages = .*: the launcher reads \(.*\)$/\1/p' "$work/check.txt")
if [ -n "$locale" ] && [ -n "$reads" ] && [ "$reads" != "this file" ]; then
  shown=${reads##*\\}
  run_checker preview "$state" "$checker" "$work" "$work/media" --name "$base.exe" "$shown" ||
    { echo "preview: no shots" >&2; exit 1; }
fi

# The probe writes to a file, never straight into a pipe: Wine's helper
# processes that it may start inherit its output and outlive it, and a pipe
# they hold open would never reach its end.
probe_run() {
  local status=0
  wine "$probe" "$@" </dev/null >"$work/probe.out" 2>/dev/null || status=$?
  cat "$work/probe.out"
  return "$status"
}

# --- start the launcher and wait for its menu ---------------------------------
(
  cd "$work/media"
  if [ -n "$locale" ]; then export LC_ALL=$locale; fi
  if [ -n "$tail" ]; then wine "$work/media/$base.exe" "$tail"; else wine "$work/media/$base.exe"; fi
) </dev/null >"$work/launcher.out" 2>&1 &
launcher_pid=$!

# Finds the menu dialog (the top-level window holding the Cancel control,
# id 1014) in a probe dump and prints what the shots need.
menu_layout() {
  python3 -c '
import json, sys
dump = json.load(sys.stdin)
for window in dump["windows"]:
    controls = {c["id"]: c for c in window["children"]}
    if window["visible"] and 1014 in controls:
        json.dump(window, sys.stdout)
        sys.exit(0)
for window in dump["windows"]:
    if window["visible"] and window["text"].endswith("SETUP ERROR!"):
        texts = [c["text"] for c in window["children"] if c["text"] and c["class"].lower() == "static"]
        print("the launcher refused the configuration: %s" % " ".join(texts), file=sys.stderr)
        sys.exit(2)
sys.exit(1)'
}

layout=""
for _ in $(seq 1 60); do
  if ! kill -0 "$launcher_pid" 2>/dev/null; then break; fi
  found=0
  layout=$(probe_run dump --exe "$base.exe" | menu_layout) || found=$?
  if [ "$found" = 0 ]; then break; fi
  layout=""
  if [ "$found" = 2 ]; then break; fi
  sleep 0.5
done
if [ -z "$layout" ]; then
  import -window root -depth 8 "$out/screen.png" 2>/dev/null || true
  echo "preview: the menu did not appear (the screen is in $out/screen.png)" >&2
  exit 1
fi

# Screen size and a resting place for the pointer outside the menu.
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
read -r dlg_x dlg_y dlg_w dlg_h rest_x rest_y < <(python3 -c '
import json, sys
w = json.loads(sys.argv[1]); sw, sh = int(sys.argv[2]), int(sys.argv[3])
l, t, r, b = w["rect"]
spots = [(2, 2), (sw - 3, 2), (2, sh - 3), (sw - 3, sh - 3)]
x, y = next(((x, y) for x, y in spots if not (l <= x < r and t <= y < b)), (2, 2))
print(l, t, r - l, b - t, x, y)' "$layout" "$screen_w" "$screen_h")

shoot() {  # shoot NAME: the whole screen into a temporary file, the menu into NAME
  import -window root -depth 8 "$work/screen.png"
  convert "$work/screen.png" -crop "${dlg_w}x${dlg_h}+${dlg_x}+${dlg_y}" +repage "$out/$1"
}

rest_pointer() {
  xdotool mousemove "$rest_x" "$rest_y"
  sleep 0.1
  xdotool mousemove "$((rest_x + 1))" "$rest_y"
  # A hover ends within one 100 ms tick after the pointer has left.
  sleep "$settle"
}

rest_pointer
sleep "$settle"
shoot menu.png
cp "$work/screen.png" "$out/screen.png"

# Each shown control of a button, and Cancel, hovered in turn.
targets=$(python3 -c '
import json, sys
w = json.loads(sys.argv[1])
controls = {c["id"]: c for c in w["children"]}
for cid, name in ((1007, "button1"), (1008, "button2"), (1009, "button3"), (1014, "cancel")):
    c = controls.get(cid)
    if c and c["visible"]:
        l, t, r, b = c["rect"]
        print(name, cid, (l + r) // 2, (t + b) // 2)' "$layout")

shots=""
while read -r name cid cx cy; do
  [ -n "$name" ] || continue
  xdotool mousemove "$cx" "$cy"
  sleep 0.1
  xdotool mousemove "$((cx + 1))" "$cy"
  sleep "$settle"
  shoot "menu-$name.png"
  shots="$shots $name:$cid:menu-$name.png"
  rest_pointer
done <<<"$targets"

# The menu must look as it did before the hovers.
shoot menu-after.png
if ! compare -metric AE "$out/menu.png" "$out/menu-after.png" null: 2>/dev/null; then
  echo "preview: warning: the menu did not return to its first look after the hovers" >&2
fi
rm -f "$out/menu-after.png"

python3 -c '
import json, sys
w = json.loads(sys.argv[1])
shots = [dict(zip(("name", "id", "file"), s.split(":"))) for s in sys.argv[2].split()]
for s in shots:
    s["id"] = int(s["id"])
json.dump({"configuration": sys.argv[3], "launcher": sys.argv[4], "menu": w,
           "screen": [int(sys.argv[5]), int(sys.argv[6])], "hovered": shots},
          open(sys.argv[7], "w"), indent=1)' \
  "$layout" "$shots" "$shown" "$base.exe" "$screen_w" "$screen_h" "$out/controls.json"

# --- end the launcher with Escape ---------------------------------------------
xdotool key Escape
status=""
for _ in $(seq 1 40); do
  if ! kill -0 "$launcher_pid" 2>/dev/null; then
    wait "$launcher_pid" && status=0 || status=$?
    break
  fi
  sleep 0.25
done
launcher_pid_done=$launcher_pid
if [ -z "$status" ]; then
  echo "preview: the launcher did not end after Escape" >&2
  exit 1
fi
launcher_pid=""
echo "preview: wrote $(cd "$out" && ls menu*.png screen.png controls.json | tr '\n' ' ')to $out"
if [ "$status" != 0 ]; then
  echo "preview: the launcher (process $launcher_pid_done) ended with exit code $status" >&2
  exit 1
fi
