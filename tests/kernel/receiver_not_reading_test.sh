#!/usr/bin/env bash
# A receiver that stops taking output reports while the program runs (guest_not_reading.sh): the
# program must still end promptly after SIGTERM. With the emulated receiver (uhid) its writes
# return at once and the program must end within 1 s. With a USB device (usb), a write that is
# under way when SIGTERM comes waits in the kernel until usbhid's 5 s time-out for an output
# report, and nothing can wake it: the program must end within those 5 s and 1 s more.
#
#   receiver_not_reading_test.sh <bin-dir> <build-dir> uhid|usb
set -uo pipefail

bin=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
mode=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest "not-reading-$mode" 200 "$here/guest_not_reading.sh" "$build/kernel-results/not-reading-$mode" "$bin" "$mode"

. "$here/../support/checks.sh"
read_exit
case "$mode" in
uhid) bound=1000 ;;
usb) bound=6000 ;;
esac
echo "threads of the program not sleeping at SIGTERM (name, state, wait channel): $(awk '$2 != "S"' "$results/threads.txt" 2>/dev/null | paste -sd ';' -)"
echo "the program ended ${exit_ms:-?} ms after SIGTERM, status ${exit_status:-?}"

check "the program opened the receiver" 'grep -q "InitHidManager Successful" "$results/program.log"'
if [ "$mode" = uhid ]; then
  unread=$(grep -c " unread output " "$results/receiver.log" 2>/dev/null)
  echo "output reports the receiver left unread: ${unread:-0}"
  check "the program's output reports went unread once the receiver stopped reading" '[ "${unread:-0}" -ge 1 ]'
else
  check "a thread of the program waited in the kernel for the device at SIGTERM" \
    'grep -q -E " D [a-z_]*usb" "$results/threads.txt"'
fi
check "the program ended normally within $bound ms of SIGTERM" \
  '[ "${exit_status:-}" = 0 ] && [ "${exit_ms:-999999}" -lt "$bound" ]'

if [ "$failures" -ne 0 ]; then
  cat "$results/marks.log"
  echo "--- receiver events"; grep -v output "$results/receiver.log" 2>/dev/null
  echo "--- program log"; tail -n 40 "$results/program.log" 2>/dev/null
  echo "--- guest command output"; cat "$results/output.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
