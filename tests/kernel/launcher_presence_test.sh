#!/usr/bin/env bash
# The launcher with a receiver plugged in and unplugged (guest_launcher.sh): it starts the program
# at its own start; when the receiver arrives it logs it and starts the program (which was ended
# meanwhile); when the receiver goes it logs that and does nothing more: the program goes on
# running and nothing is started. The program, in a session of its own, outlives the launcher.
#
#   launcher_presence_test.sh <bin-dir> <build-dir>
set -uo pipefail

bin=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest launcher 180 "$here/guest_launcher.sh" "$build/kernel-results/launcher" "$bin"

. "$here/../support/checks.sh"

log=$results/server.log
ids() { awk -v p="$1" '$1 == p { $1 = ""; print }' "$results/programs.txt" 2>/dev/null | xargs; }
line_of() { grep -n -m1 -F -- "$1" "$log" 2>/dev/null | cut -d: -f1; }
arrival=$(ids arrival)
added_line=$(line_of "ThreadInitKVOServer() Adding! $bin/Orvelle")
removed_line=$(line_of "ThreadInitKVOServer() Removing!")
starts_after_removal=$(tail -n "+${removed_line:-1}" "$log" 2>/dev/null | grep -c "call  start ShellExecute")
read -r launcher_status < "$results/launcher-exit.txt" 2>/dev/null

grep -E "Adding|Removing|ShellExecute|cannot be started" "$log" 2>/dev/null
cat "$results/programs.txt" 2>/dev/null

check "at its start the launcher started the program" \
  'grep -q "ThreadStartApp() call  start ShellExecute..0!" "$log" && [ -n "$(ids startup)" ]'
check "the launcher saw the receiver arrive" \
  'grep -q "ThreadFindHIDFunc() Adding!" "$log" && [ -n "$added_line" ]'
check "it started the program for the receiver" \
  '[ -n "$added_line" ] && tail -n "+$added_line" "$log" | grep -c "ThreadInitKVOServer() call  start ShellExecute..0!" > /dev/null && [ -n "$arrival" ]'
check "the launcher saw the receiver go" 'grep -q "ThreadFindHIDFunc() Removing!" "$log" && [ -n "$removed_line" ]'
check "at the removal the program it started runs on and nothing else is started" \
  '[ -n "$arrival" ] && [ "$(ids removal)" = "$arrival" ] && [ "$starts_after_removal" -eq 0 ]'
check "the launcher ended on SIGTERM and the program outlived it" \
  '[ "${launcher_status:-}" = 0 ] && [ -n "$arrival" ] && [ "$(ids launcher-ended)" = "$arrival" ]'

if [ "$failures" -ne 0 ]; then
  cat "$results/marks.log"
  echo "--- launcher log"; cat "$log" 2>/dev/null
  echo "--- launcher output"; grep -v "^Mem_Alloc" "$results/launcher.out" 2>/dev/null | tail -n 30
  echo "--- guest command output"; cat "$results/output.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
