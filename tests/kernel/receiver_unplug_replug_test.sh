#!/usr/bin/env bash
# The real program while the receiver is unplugged and plugged again (guest_unplug_replug.sh):
# it notices the removal, its reader does not spin while the receiver is away, and once the
# receiver is back it opens it again and the heartbeat resumes within a few seconds.
#
#   receiver_unplug_replug_test.sh <bin-dir> <build-dir>
set -uo pipefail

bin=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest unplug-replug 200 "$here/guest_unplug_replug.sh" "$build/kernel-results/unplug-replug" "$bin"

. "$here/../support/checks.sh"

at() { time_of "$results/marks.log" "$1"; }
opened=$(at opened); unplug=$(at unplug); term=$(at "program sigterm")
# The kernel starting the second device: its hidraw node appears right after.
replugged=$(awk '$2 == "start" { n++; if (n == 2) print $1 }' "$results/receiver.log")
heartbeats() { # heartbeat frames sent between two times
  outputs 0A B2 01 50 | awk -v a="$1" -v b="$2" '$1 > a && $1 < b { print $1 }'
}
before=$(heartbeats "${opened:-1e12}" "${unplug:-0}" | wc -l)
first_after=$(heartbeats "${replugged:-1e12}" "${term:-1e12}" | head -n1)
after=$(heartbeats "${replugged:-1e12}" "${term:-1e12}" | wc -l)
delay=$(awk -v a="$replugged" -v b="$first_after" 'BEGIN { if (a != "" && b != "") printf "%.2f", b - a }')
read -r ticks seconds hz < "$results/cpu.txt" 2>/dev/null
load=$(awk -v t="${ticks:-}" -v s="${seconds:-}" -v h="${hz:-}" 'BEGIN { if (t != "" && s > 0) printf "%.1f", 100 * t / h / s }')
# The log's order tells what came after the removal; the hotplug callback and the reader log it
# in either order.
line_of() { grep -n -m1 -F "$1" "$results/program.log" 2>/dev/null | cut -d: -f1; }
removed_line=$(line_of "Physical device removed")
reader_line=$(line_of "RecvFrom() Call GetOverlappedResult()--HID ReadCmdOverlapped Length = 0")
# shellcheck disable=SC2034 # used in the check conditions below
last=$(( ${removed_line:-0} > ${reader_line:-0} ? ${removed_line:-0} : ${reader_line:-0} ))
echo "heartbeats before unplug: $before, after replug: $after; first one ${delay:-?} s after the device came back"
echo "program CPU while unplugged: ${ticks:-?} ticks in ${seconds:-?} s = ${load:-?} % of one core"

check "the program opened the receiver and sent heartbeats" '[ -n "$opened" ] && [ "$before" -ge 2 ]'
check "the program noticed the removal" '[ -n "$removed_line" ]'
check "its reader saw the receiver gone" '[ -n "$reader_line" ]'
check "less than 30 % of one core used while unplugged" '[ -n "$load" ] && awk -v l="$load" '\''BEGIN { exit !(l < 30) }'\'''
check "the program opened the receiver again" \
  '[ "$last" -gt 0 ] && tail -n "+$last" "$results/program.log" | grep -c "InitHidManager Successful Presenter" > /dev/null'
check "heartbeats resumed within 5 s of the device coming back" \
  '[ -n "$delay" ] && awk -v d="$delay" '\''BEGIN { exit !(d <= 5) }'\'' && [ "$after" -ge 2 ]'

if [ "$failures" -ne 0 ]; then
  cat "$results/marks.log"
  echo "--- receiver events"; grep -v output "$results/receiver.log"
  echo "--- program log"; grep -v "ThreadRecvCmdFunc() Error" "$results/program.log" | tail -n 40
  echo "--- guest command output"; cat "$results/output.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
