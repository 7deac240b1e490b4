#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the real program under Xvfb with the emulated
# receiver (variant a) reporting a presenter that is on; once the program has opened it and sent
# heartbeats for a few seconds the receiver is unplugged (the emulator ends, which destroys the
# uhid device), stays away for 3 s while the program's CPU time is sampled, and is plugged again
# (a new emulator). The program is asked to end a few seconds after it opened the receiver again.
# Leaves in <results>: receiver.log (both emulators' events, one clock), marks.log (same clock),
# cpu.txt ("<ticks used> <seconds> <ticks per second>" over the time unplugged), program.log,
# program.out.
#
#   guest_unplug_replug.sh <results> <bin-dir>
set -uo pipefail

results=$1
bin=$2
here=$(cd "$(dirname "$0")" && pwd)

. "$here/guest_lib.sh"
# utime + stime of the program, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

prepare_user_folders

printf 'report 0x03 0\nrate 100\n' > /tmp/receiver.script
start_receiver --variant a --script /tmp/receiver.script

start_xvfb_and_program

if wait_logged 60 "InitHidManager Successful Presenter"; then
    mark "opened"
    sleep 4
    kill -TERM "$receiver"; wait "$receiver"
    mark "unplug"
    # Sampled with /proc/uptime, which starts no process (see mark).
    read -r t0 _ < /proc/uptime; before=$(cpu_ticks "$program")
    sleep 3
    read -r t1 _ < /proc/uptime; after=$(cpu_ticks "$program")
    echo "$((after - before)) $(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }') $(getconf CLK_TCK)" \
        > "$results/cpu.txt"
    mark "plug"
    start_receiver --variant a --script /tmp/receiver.script
    wait_until 10 hidraw_present 000025A7 00000178
    mark "node"
    wait_logged 30 "InitHidManager Successful Presenter" 2 && mark "reopened"
    sleep 4
fi

stop_program_and_collect
exit 0
