#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the real program runs as a user who may not
# open the receiver's node (no udev rule: only root may), and is then given access the way the
# rule's ACL would give it. Leaves in <results>: marks.log, screen.png (the screen while it is
# refused), windows.txt (the mapped windows then), program.log, program.out, receiver.log.
#
#   guest_no_access.sh <results> <bin-dir>
set -uo pipefail

results=$1
bin=$2
here=$(cd "$(dirname "$0")" && pwd)

. "$here/guest_lib.sh"

useradd -M -s /bin/sh orvuser || exit 1
run_as=orvuser
prepare_user_folders

printf 'report 0x03 0\nrate 100\n' > /tmp/receiver.script
start_receiver --variant a --script /tmp/receiver.script
wait_until 10 hidraw_present 000025A7 00000178
node=$(hidraw_of 000025A7 00000178)
ls -l "$node" > "$results/node.txt"

start_xvfb_and_program
if wait_logged 60 "cannot be opened: Permission denied"; then
    mark "refused"
    # The message window comes up once the program's windows exist; a few retries go by.
    sleep 4
    DISPLAY=:9 xwininfo -root -tree > "$results/windows.txt" 2>&1
    DISPLAY=:9 import -window root "$results/screen.png" 2>/dev/null
    chmod 0666 "$node"
    mark "allowed"
    wait_logged 15 "InitHidManager Successful" && mark "opened"
    sleep 2
fi
stop_program_and_collect
exit 0
