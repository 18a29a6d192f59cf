#!/usr/bin/env bash
# Signs Windows programs in place with an Authenticode signature (SHA-256),
# using osslsigncode. release.sh and make-disc.sh sign through this script.
#
#   scripts/sign.sh --sign CERT.pfx [--password-file FILE] [--timestamp URL] PROGRAM...
#
#   --sign CERT.pfx       the code-signing certificate with its private key (PKCS#12)
#   --password-file FILE  the file holding the certificate's password; without
#                         it the certificate must have none
#   --timestamp URL       an RFC 3161 time-stamping server, so that the signature
#                         stays valid after the certificate has expired
#
# The password goes to osslsigncode as a file (-readpass), never on a command
# line that other users could see with ps. A program that cannot be signed is
# left as it was, and the script fails.
set -euo pipefail

cert=""
password_file=""
timestamp=""

usage() { sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//' >&2; exit "${1:-2}"; }

while [ $# -gt 0 ]; do
  case $1 in
    --sign) cert=${2:?}; shift 2 ;;
    --password-file) password_file=${2:?}; shift 2 ;;
    --timestamp) timestamp=${2:?}; shift 2 ;;
    -h|--help) usage 0 ;;
    --) shift; break ;;
    --*) echo "sign: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ -n "$cert" ] && [ $# -gt 0 ] || usage
[ -f "$cert" ] || { echo "sign: no certificate file $cert" >&2; exit 1; }
if [ -n "$password_file" ] && [ ! -r "$password_file" ]; then
  echo "sign: cannot read the password file $password_file" >&2
  exit 1
fi
command -v osslsigncode >/dev/null || { echo "sign: osslsigncode is missing (scripts/install-deps.sh)" >&2; exit 1; }

options=(-pkcs12 "$cert" -h sha256)
[ -z "$password_file" ] || options+=(-readpass "$password_file")
[ -z "$timestamp" ] || options+=(-ts "$timestamp")

log=$(mktemp)
trap 'rm -f "$log"' EXIT
for program in "$@"; do
  [ -f "$program" ] || { echo "sign: no program $program" >&2; exit 1; }
  signed=$program.signing
  rm -f "$signed"
  # -n: the description Windows shows in its consent prompt.
  if ! osslsigncode sign "${options[@]}" -n "$(basename "$program" .exe)" -in "$program" -out "$signed" \
      </dev/null >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$signed"
    echo "sign: could not sign $program" >&2
    exit 1
  fi
  chmod --reference="$program" "$signed"
  mv -f "$signed" "$program"
  echo "sign: signed $program" >&2
done
