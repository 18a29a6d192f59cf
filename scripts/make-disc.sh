#!/usr/bin/env bash
# Makes a disc image (ISO 9660 with Joliet names, which Windows reads, and
# Rock Ridge) of a media folder, ready to burn or mount.
#
#   scripts/make-disc.sh [options] MEDIA_FOLDER OUT.iso    (options anywhere)
#
#   --label NAME          the volume label (default: the folder's name), made
#                         to fit ISO 9660: upper case A-Z, 0-9 and _, at most
#                         32 characters (Windows shows the first 16)
#   --sign CERT.pfx       sign the launcher and a SetupMenuCheck.exe in the
#                         folder with Authenticode before they go into the
#                         image; --password-file FILE and --timestamp URL as
#                         for scripts/sign.sh. The folder itself is not changed.
#   --checker EXE         the 64-bit SetupMenuCheck.exe to run under wine64
#                         (default: built in build/disc)
#   --allow-debug         make the image even though the configuration or one
#                         of its language files has Debug=On
#   --name NAME           the launcher's file name in the folder, when the
#                         checker cannot tell which program it is
#
# The folder must hold the 32-bit launcher (a 64-bit build starts on no 32-bit
# Windows), and its autorun.inf, when it has one, must start it. Then the
# configuration checker runs on the folder and on each language's file
# (SETUP.de.INI): when the launcher would refuse one of them, or the folder's
# autorun.inf starts it with one it would refuse, there is no image.
# Nor is there one when the configuration or any of its language files has
# Debug=On: on a disc the log cannot be created,
# and every user would first see "Unable to start debugging!" (--allow-debug
# makes the image all the same). Other warnings are shown and the image is
# made. When the folder has no autorun.inf, the image gets one that
# starts the launcher, shows its icon and is labelled with Main/Title (cut to
# the 32 characters Windows shows).
#
# The image holds the folder's files as they are, with fixed owners, modes and
# times (the last commit's, or SOURCE_DATE_EPOCH's), so the same folder gives
# the same image byte for byte.
#
# SETUPMENU_WINE_STATE may name a Wine environment already started with
# tests/wine/wine-env.sh; otherwise one is kept in build/disc/wine.
# Prints the image's path. Exit status: 0 image written, 1 no image, 2 usage.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
label=""
checker=""
allow_debug=0
name=()
sign=()

usage() { sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//' >&2; exit "${1:-2}"; }
fail() { echo "make-disc: $*" >&2; exit 1; }

# Options anywhere, as GNU tools take them; "--" ends them.
names=()
while [ $# -gt 0 ]; do
  case $1 in
    --label) label=${2:?--label needs a value}; shift 2 ;;
    --checker) checker=${2:?--checker needs a value}; shift 2 ;;
    --allow-debug) allow_debug=1; shift ;;
    --name) name=(--name "${2:?--name needs a value}"); shift 2 ;;
    --sign|--password-file|--timestamp) sign+=("$1" "${2:?$1 needs a value}"); shift 2 ;;
    -h|--help) usage 0 ;;
    --) shift; names+=("$@"); break ;;
    -?*) echo "make-disc: unknown option $1" >&2; usage ;;
    *) names+=("$1"); shift ;;
  esac
done
set -- "${names[@]}"
[ $# -eq 2 ] || usage
if [ ${#sign[@]} -gt 0 ] && [[ " ${sign[*]} " != *" --sign "* ]]; then
  echo "make-disc: --password-file and --timestamp go with --sign" >&2
  exit 2
fi
[ -d "$1" ] || fail "no folder $1"
media=$(realpath "$1")
out=$(realpath -m "$2")
[ -d "$(dirname "$out")" ] || fail "no folder $(dirname "$out") for the image"
case $out/ in "$media"/*) fail "the image cannot go inside the media folder" ;; esac
command -v xorriso >/dev/null || fail "xorriso is missing (scripts/install-deps.sh)"

# --- the configuration checker ---------------------------------------------------
# shellcheck source=scripts/checker-step.sh
. "$root/scripts/checker-step.sh"
prepare_checker "$root/build/disc" || fail "no checker $checker"

work=$(mktemp -d "${TMPDIR:-/tmp}/setupmenu-disc.XXXXXX")
mkdir "$work/lang"
cleanup() {
  rm -rf "$work"
  rm -f "$out.part"
  if [ "$own_env" = 1 ]; then "$root/tests/wine/wine-env.sh" stop "$state"; fi
}
trap cleanup EXIT
[ "$own_env" = 0 ] || "$root/tests/wine/wine-env.sh" start "$state"
[ -f "$state/display" ] || fail "no Wine environment in $state (tests/wine/wine-env.sh start)"

run_checker make-disc "$state" "$checker" "$work" "${name[@]}" "$media" --disc || fail "no image"
# The checker's finding for media bound for a disc.
if [ "$allow_debug" = 0 ] && grep -q '^warning: \[Main\] Debug: ' "$work/check.txt"; then
  fail "Debug=On would greet every user of the disc with \"Unable to start debugging!\": set Debug=Off, or give --allow-debug: no image"
fi

# The launcher's file name, as the checker found it ("launcher: BASE (from FILE)").
launcher=$(sed -n 's/^launcher: .* (from \([^;)]*\))$/\1/p' "$work/check.txt")
if [ ${#name[@]} -gt 0 ]; then
  launcher=${name[1]}
  case ${launcher,,} in *.exe) ;; *) launcher=$launcher.exe ;; esac
fi
[ -n "$launcher" ] && [ -f "$media/$launcher" ] ||
  fail "no launcher program${launcher:+ $launcher} in the folder: put the 32-bit SetupMenu.exe there under the configuration's base name: no image"
if file -b "$media/$launcher" | grep -q '^PE32+'; then
  fail "$launcher is a 64-bit build, which starts on no 32-bit Windows: put the shipped 32-bit launcher on the disc: no image"
fi
# Main/Title as the launcher reads it ("[Main] Title = "TEXT"", cut with "..." when long).
title=$(sed -n 's/^\[Main\] Title = "\(.*\)"\(\.\.\.\)\{0,1\}$/\1/p' "$work/check.txt")

# A language's file (SETUP.de.INI) is the whole configuration for its users:
# each is checked as well, and one the launcher would refuse gives no image.
if [ -n "$launcher" ]; then
  while IFS= read -r -d '' file; do
    run_checker make-disc "$state" "$checker" "$work/lang" --name "$launcher" "$media" "$(basename "$file")" \
      --disc || fail "no image"
  done < <(find "$media" -maxdepth 1 -type f -iname "${launcher%.*}.*.ini" -print0 | sort -z)
fi

# --- the image's contents ----------------------------------------------------------
stage=$work/stage
mkdir "$stage"
cp -R -L "$media/." "$stage/"
chmod -R u+rwX "$stage"

if [ -z "$(find "$stage" -maxdepth 1 -iname autorun.inf)" ]; then
  if [[ $launcher == *[[:space:]]* ]]; then
    # The launcher would cut its command tail at the blank in its own name.
    echo "make-disc: the launcher's name \"$launcher\" holds a blank: the image gets no autorun.inf" >&2
  else
    autorun_label=$(LC_ALL=C; t=${title:-$(basename "$media")}; t=${t:0:32}; printf '%s' "${t%"${t##*[! ]}"}")
    printf '[autorun]\r\nopen=%s\r\nicon=%s,0\r\nlabel=%s\r\n' "$launcher" "$launcher" "$autorun_label" \
      >"$stage/autorun.inf"
    echo "make-disc: wrote autorun.inf: open=$launcher, label=$autorun_label" >&2
  fi
fi

if [ ${#sign[@]} -gt 0 ]; then
  programs=()
  [ -z "$launcher" ] || programs+=("$stage/$launcher")
  while IFS= read -r -d '' program; do
    programs+=("$program")
  done < <(find "$stage" -maxdepth 1 -type f -iname SetupMenuCheck.exe -print0)
  [ ${#programs[@]} -gt 0 ] || fail "--sign: no launcher or checker in the folder to sign"
  "$root/scripts/sign.sh" "${sign[@]}" "${programs[@]}"
fi

# --- the image ----------------------------------------------------------------------
volid=$(printf '%s' "${label:-$(basename "$media")}" | LC_ALL=C tr '[:lower:]' '[:upper:]' |
        LC_ALL=C tr -c 'A-Z0-9_' '_' | tr -s '_')
volid=${volid:0:32}
[ -n "$volid" ] || volid=SETUP
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)}
if [ -z "$stamp" ]; then
  echo "make-disc: no commit date (not a git checkout, no SOURCE_DATE_EPOCH): the image takes today's" >&2
  stamp=$(date +%s)
fi
uuid=$(date -u -d "@$stamp" +%Y%m%d%H%M%S00)

rm -f "$out.part"
# Owners, modes and every time fixed; the volume's creation and modification
# times come from the uuid setting. Joliet names up to 103 characters.
xorriso -no_rc -report_about SORRY -abort_on FAILURE \
  -outdev "$out.part" \
  -volid "$volid" -joliet on -rockridge on -compliance joliet_long_names \
  -map "$stage" / \
  -chown_r 0 / -- -chgrp_r 0 / -- \
  -find / -type d -exec chmod 0555 -- \
  -find / -type f -exec chmod 0444 -- \
  -volume_date uuid "$uuid" -volume_date all_file_dates "=$stamp" -iso_nowtime "=$stamp" \
  -commit >"$work/xorriso.log" 2>&1 || { cat "$work/xorriso.log" >&2; fail "xorriso failed: no image"; }
mv -f "$out.part" "$out"
echo "make-disc: volume label $volid" >&2
echo "$out"
