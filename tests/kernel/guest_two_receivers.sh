#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the real program under Xvfb with one emulated
# receiver (product 0x0178) reporting a presenter that is on; once the program has opened it and
# its windows are up, a second receiver (product 0x0186, its presenter off) is plugged in, and the
# program runs on for six seconds after the second receiver's node appeared. The display's
# top-level windows are watched all along (xev on the root window), for the program's notice that
# more than one receiver is plugged in.
# Leaves in <results>: windows.log (xev's report of the windows' creation, size, mapping and
# unmapping, each line stamped with /proc/uptime), receiver.log (both emulators' events),
# marks.log, program.log, program.out, exit.txt.
#
#   guest_two_receivers.sh <results> <bin-dir>
set -uo pipefail

results=$1
bin=$2
here=$(cd "$(dirname "$0")" && pwd)

. "$here/guest_lib.sh"

prepare_user_folders
printf 'report 0x03 0\nrate 100\n' > /tmp/receiver.script
start_receiver --variant a --product 0x0178 --script /tmp/receiver.script
start_xvfb
DISPLAY=:9 xev -root -event substructure | while IFS= read -r line; do
    read -r now _ < /proc/uptime
    echo "$now $line"
done > "$results/windows.log" &
helpers+=($!)
start_program

if wait_logged 60 "InitHidManager Successful" && wait_logged 30 "Orvelle started in"; then
    start_receiver --variant a --product 0x0186 --name "Second Receiver"
    # Python takes seconds to start under emulation: the six seconds count from the node.
    wait_until 30 hidraw_present 000025A7 00000186
    mark "second receiver's node"
    sleep 6
fi
stop_program_and_collect
exit 0
