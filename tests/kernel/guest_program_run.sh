#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the emulated receiver plays a presenter that
# comes online and keeps reporting, while the real program runs under Xvfb for a while and is
# then asked to end: <seconds> after it logged that it opened the receiver, or once it has had
# 60 s to do so. Variants b and c also send mouse reports a thousand times a second. Leaves in <results>: receiver.log (the emulator's events), program.log (the
# program's day log), program.out (its standard output and error), marks.log.
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

# A presenter that is on: online report, then the same report a hundred times a second, as a
# remote keeps reporting; without it the link would time the remote out after five seconds.
cat > /tmp/receiver.script <<'SCRIPT'
report 0x03 0
rate 100
SCRIPT
[ "$variant" = a ] || echo "mouse start 1000" >> /tmp/receiver.script
python3 "$here/uhid_receiver.py" --variant "$variant" --script /tmp/receiver.script \
    --log "$results/receiver.log" &
receiver=$!

start_xvfb_and_program
# Under emulation the program takes ten seconds or more to start; the time it runs with the
# receiver counts from its log line saying it opened it (udev opens the device too, so the
# emulator's open events do not tell).
# Counted in seconds, not turns: a turn of this loop can take long on a loaded emulated machine.
giveup=$((SECONDS + 60))
while [ "$SECONDS" -lt "$giveup" ]; do
    cat "$bin"/log/*.log 2>/dev/null | grep -q "InitHidManager Successful" && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.2
done
mark "receiver opened or given up"
sleep "$seconds"
stop_program_and_collect
exit 0
