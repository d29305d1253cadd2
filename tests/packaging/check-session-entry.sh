#!/usr/bin/env bash
# check-session-entry.sh ENTRY HOOK
# The child's session entry parses as a desktop entry and names the session
# program; the Xsession hook turns off ~/.xsessionrc for that program only.
set -euo pipefail
entry=$1
hook=$2

if ! command -v desktop-file-validate >/dev/null; then
  echo "SKIP: desktop-file-validate (package desktop-file-utils) is not installed"
  exit 77
fi
desktop-file-validate "$entry"
grep -qx 'Type=Application' "$entry"
program=$(sed -n 's/^Exec=//p' "$entry")
[[ $program == /*/warrow-session ]] || { echo "Exec names '$program'"; exit 1; }
[[ $(sed -n 's/^TryExec=//p' "$entry") == "$program" ]]

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf 'touch "%s/read"\n' "$scratch" >"$scratch/xsessionrc"

# The hook, then what Xsession does with USERXSESSIONRC: the real file where
# Debian's x11-common is installed, its one statement otherwise.
reader=/etc/X11/Xsession.d/40x11-common_xsessionrc
if [[ ! -r $reader ]]; then
  reader=$scratch/reader
  echo 'if [ -r "$USERXSESSIONRC" ]; then . "$USERXSESSIONRC"; fi' >"$reader"
fi
# True when a session whose program is $1 reads the user's ~/.xsessionrc.
reads_user_file() {
  rm -f "$scratch/read"
  STARTUP=$1 USERXSESSIONRC=$scratch/xsessionrc sh -c '. "$1"; . "$2"' sh "$hook" "$reader"
  [[ -e $scratch/read ]]
}

fail=0
for child in "$program" "$program --debug"; do
  if reads_user_file "$child"; then
    echo "the session '$child' reads ~/.xsessionrc"
    fail=1
  fi
done
for other in /usr/bin/startxfce4 "${program}2" "/home/kid$program" "x-session-manager" ""; do
  if ! reads_user_file "$other"; then
    echo "the session '$other' no longer reads ~/.xsessionrc"
    fail=1
  fi
done
exit $fail
