#!/usr/bin/env bash
# The real program against a receiver emulated through the guest kernel's uhid: it must find and
# open the receiver's vendor collection (the "InitHidManager Successful" log line), give the
# presenter its time-outs and sensitivity before any heartbeat, send its heartbeat once a second,
# take the presenter's keys and motion, and end with the heartbeat that leaves the on-screen mode
# (mode 0) as the last output report.
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

term=$(time_of "$results/marks.log" "program sigterm")
do_key=$(time_of "$results/receiver.log" "note do key with motion")
keys_done=$(time_of "$results/receiver.log" "note keys done")
read_exit

# The parameter frames: time-out (0xD4: connected and unconnected time-outs in 10 ms units, low
# byte first) and sensitivity (0xD3: value, rate).
timeout_frame=$(outputs 0A B2 01 D4 | head -n1)
sensitivity_frame=$(outputs 0A B2 01 D3 | head -n1)
first_heartbeat=$(outputs 0A B2 01 50 | head -n1 | cut -d' ' -f1)
# The once-a-second heartbeats: from a second after the last key until SIGTERM. Each key and mode
# change sends a heartbeat of its own, and under emulation a heartbeat sent while the program is
# still starting may go out late (once 275 ms, with the host busy).
outputs 0A B2 01 50 | awk -v term="${term:-1e12}" -v from="${keys_done:-0}" '$1 > from + 1 && $1 < term { print $1 }' \
  > "$results/heartbeats.txt"
awk 'NR > 1 { printf "%.0f\n", ($1 - prev) * 1000 } { prev = $1 }' "$results/heartbeats.txt" > "$results/intervals.txt"
last_output=$(outputs | tail -n1)
# Where the spotlight was shown: first with the do key and motion, then with the do key alone.
shown=$(grep -o "Searchlight_UI::Show x:[0-9-]* y:[0-9-]*" "$results/program.log" 2>/dev/null |
  sed 's/.*x:\([0-9-]*\) y:\([0-9-]*\)/\1 \2/' | tr '\n' ' ')

echo "output reports: $(outputs | wc -l), rhythm heartbeats: $(wc -l < "$results/heartbeats.txt")"
echo "heartbeat intervals (ms): $(tr '\n' ' ' < "$results/intervals.txt")"
echo "first heartbeat ${first_heartbeat:-none}; time-out frame ${timeout_frame:-none}; sensitivity frame ${sensitivity_frame:-none}"
echo "spotlight shown at (x y): ${shown:-nowhere}"
echo "last output report: ${last_output:-none}; SIGTERM at ${term:-?}; program ended ${exit_ms:-?} ms after SIGTERM, status ${exit_status:-?}"

check "the program opened the receiver" 'grep -q "InitHidManager Successful" "$results/program.log"'
check "the time-out frame asks for 10 min connected and 10 s unconnected" \
  '[[ "$timeout_frame" == *" 0A B2 01 D4 60 EA E8 03 "* ]]'
check "the sensitivity frame (rate 100) follows the time-out frame" \
  '[[ "$sensitivity_frame" == *" 0A B2 01 D3 "??" 64 "* ]] && awk -v t="${timeout_frame%% *}" -v s="${sensitivity_frame%% *}" '\''BEGIN { exit !(t < s) }'\'''
# The periodic heartbeat runs whether or not the remote's parameters went out yet, so its first
# frame may come before them.
check "at least 3 heartbeats arrived once a second" '[ "$(wc -l < "$results/heartbeats.txt")" -ge 3 ]'
check "heartbeats came 1000 +- 150 ms apart" \
  '[ -s "$results/intervals.txt" ] && awk '\''$1 < 850 || $1 > 1150 { bad = 1 } END { exit bad }'\'' "$results/intervals.txt"'
check "the do key reached the key handler, which played the function" \
  'grep -q "DealWithDoKey Press Do Key" "$results/program.log" && grep -q "RunPlayOrStopProc(), CMD_PLAY_FUNCTION" "$results/program.log"'
check "the motion with the do key moved the spotlight right and down" \
  'read -r x1 y1 x2 y2 _ <<< "$shown"; [ -n "${y2:-}" ] && [ "$x2" -gt "$x1" ] && [ "$y2" -gt "$y1" ]'
check "after the keys the heartbeat asks for the presenter's motion (mode 1)" \
  '[ -n "$(outputs 0A B2 01 50 01 | awk -v k="${do_key:-1e12}" -v t="${term:-0}" '\''$1 > k && $1 < t'\'')" ]'
check "the last output report is the heartbeat of mode 0, sent after SIGTERM" \
  '[[ "$last_output" == *" 0A B2 01 50 00 00 "* ]] && awk -v o="${last_output%% *}" -v t="${term:-1e12}" '\''BEGIN { exit !(o > t) }'\'''
check "the program ended normally after SIGTERM" '[ "${exit_status:-}" = 0 ]'

if [ "$failures" -ne 0 ]; then
  echo "--- receiver events"; cat "$results/receiver.log" 2>/dev/null
  echo "--- program output"; tail -n 40 "$results/program.out" 2>/dev/null
  echo "--- program log"; tail -n 40 "$results/program.log" 2>/dev/null
  echo "--- guest command output"; cat "$results/output.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
