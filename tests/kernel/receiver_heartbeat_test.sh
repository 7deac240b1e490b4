#!/usr/bin/env bash
# The real program against a receiver emulated through the guest kernel's uhid: it must find and
# open the receiver's vendor collection (the "InitHidManager Successful" log line) and send its
# heartbeat output reports once a second while the presenter is online.
#
#   receiver_heartbeat_test.sh <bin-dir> <build-dir> <variant>
set -uo pipefail

bin=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
variant=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest "receiver-$variant" 180 "$here/guest_program_run.sh" "$build/kernel-results/receiver-$variant" "$bin" "$variant" 8

. "$here/../support/checks.sh"

# Heartbeat frames (report 0x0A, 0xB2 0x01, command 0x50) sent while the program ran normally:
# the one it sends as it ends is not part of the once-a-second rhythm, and the parameter frames
# sent when the presenter comes online are not heartbeats.
term=$(awk '$2 == "program" && $3 == "sigterm" { print $1 }' "$results/marks.log" 2>/dev/null)
awk -v term="${term:-1e12}" '$2 == "output" && $3 == "0A" && $4 == "B2" && $5 == "01" && $6 == "50" && $1 < term' \
  "$results/receiver.log" > "$results/heartbeats.txt" 2>/dev/null
awk 'NR > 1 { printf "%.0f\n", ($1 - prev) * 1000 } { prev = $1 }' "$results/heartbeats.txt" > "$results/intervals.txt"
echo "output reports: $(awk '$2 == "output"' "$results/receiver.log" 2>/dev/null | wc -l), heartbeats before SIGTERM: $(wc -l < "$results/heartbeats.txt")"
echo "heartbeat intervals (ms): $(tr '\n' ' ' < "$results/intervals.txt")"

check "the program opened the receiver" 'grep -q "InitHidManager Successful" "$results/program.log"'
check "at least 3 heartbeat output reports arrived" '[ "$(wc -l < "$results/heartbeats.txt")" -ge 3 ]'
check "heartbeats came 1000 +- 150 ms apart" \
  '[ -s "$results/intervals.txt" ] && awk '\''$1 < 850 || $1 > 1150 { bad = 1 } END { exit bad }'\'' "$results/intervals.txt"'

if [ "$failures" -ne 0 ]; then
  echo "--- receiver events"; cat "$results/receiver.log" 2>/dev/null
  echo "--- program output"; tail -n 40 "$results/program.out" 2>/dev/null
  echo "--- program log"; tail -n 40 "$results/program.log" 2>/dev/null
  echo "--- guest command output"; cat "$results/output.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
