#!/usr/bin/env bash
# The real program run by a user who may not open the receiver's node: it says why in its log
# once, tells the user in its message window, keeps trying without filling the log, and opens the
# receiver within a few seconds of being allowed to.
#
#   receiver_no_access_test.sh <bin-dir> <build-dir>
set -uo pipefail

bin=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest no-access 180 "$here/guest_no_access.sh" "$build/kernel-results/no-access" "$bin"

. "$here/../support/checks.sh"

at() { time_of "$results/marks.log" "$1"; }
allowed=$(at allowed); opened=$(at opened)
delay=$(awk -v a="$allowed" -v b="$opened" 'BEGIN { if (a != "" && b != "") printf "%.1f", b - a }')
echo "node: $(cat "$results/node.txt" 2>/dev/null)"
echo "opened ${delay:-?} s after access was given"

check "the refusal is logged with its reason exactly once" \
  '[ "$(grep -c "cannot be opened: Permission denied" "$results/program.log")" -eq 1 ]'
check "the failed search is logged once, not every second" \
  '[ "$(grep -c "InitHidManager() Error" "$results/program.log")" -eq 1 ]'
# The message window (400 x 200, centred) is the only thing on the black root window.
pixel() { convert "$results/screen.png" -format "%[pixel:p{$1}]" info: 2>/dev/null; }
check "the message window is on screen" \
  'grep -q "\"Orvelle\".* 400x200+440+300" "$results/windows.txt" && [ -n "$(pixel 640,320)" ] && [ "$(pixel 640,320)" != "$(pixel 100,100)" ]'
check "the receiver is opened within 5 s of access being given" \
  '[ -n "$delay" ] && awk -v d="$delay" '\''BEGIN { exit !(d <= 5) }'\'''

if [ "$failures" -ne 0 ]; then
  cat "$results/marks.log"
  echo "--- windows"; cat "$results/windows.txt" 2>/dev/null
  echo "--- program log"; tail -n 40 "$results/program.log"
  echo "--- guest command output"; cat "$results/output.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
