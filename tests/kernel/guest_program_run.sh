#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the emulated receiver plays a presenter that
# comes online and keeps reporting, while the real program runs under Xvfb. Once the program has
# sent the presenter its sensitivity (it counts the presenter connected), the presenter's keys
# go: the function key (the spotlight is chosen), the do key held for a second with motion, then
# the do key again. The program is asked to end <seconds> after it logged that it opened the
# receiver and the keys are done (or once it has had 60 s to open it). Variants b and c also send
# mouse reports a thousand times a second. Leaves in <results>: receiver.log (the emulator's
# events and the script's notes), program.log (the program's day log), program.out (its standard
# output and error), marks.log, exit.txt.
#
#   guest_program_run.sh <results> <bin-dir> <variant> <seconds>
set -uo pipefail

results=$1
bin=$2
variant=$3
seconds=$4
here=$(cd "$(dirname "$0")" && pwd)

. "$here/guest_lib.sh"

prepare_user_folders

# A presenter that is on: online report (status 0x03), then the same report a hundred times a
# second, as a remote keeps reporting; without it the link would time the remote out after five
# seconds. Each key is held the same way, as the remote repeats its report while a key is down.
cat > /tmp/receiver.script <<'SCRIPT'
report 0x03 0
rate 100
SCRIPT
[ "$variant" = a ] || echo "mouse start 1000" >> /tmp/receiver.script
cat >> /tmp/receiver.script <<'SCRIPT'
wait-output 90000 0x0A 0xB2 0x01 0xD3
wait 500
note function key
report 0x03 8
wait 300
report 0x03 0
wait 500
note do key with motion
report 0x03 4 2 1
wait 1000
report 0x03 0
wait 500
note do key
report 0x03 4
wait 300
report 0x03 0
note keys done
SCRIPT
start_receiver --variant "$variant" --script /tmp/receiver.script

start_xvfb_and_program
# Under emulation the program takes ten seconds or more to start; the time it runs with the
# receiver counts from its log line saying it opened it (udev opens the device too, so the
# emulator's open events do not tell).
wait_logged 60 "InitHidManager Successful" && wait_receiver 30 "note keys done"
mark "receiver opened or given up"
sleep "$seconds"
stop_program_and_collect
exit 0
