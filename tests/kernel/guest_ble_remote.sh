#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the real program under Xvfb with the remote
# over Bluetooth LE against a real bluetoothd (guest_ble_lib.sh). The program starts first; the
# remote is then paired and connected as a person would, reports that it is on ten times a
# second and presses the do key. bluetoothd is then restarted and the remote connected again,
# and at the end the program gets SIGTERM.
# Leaves in <results>: marks.log, peripheral.log, pairing.log, bluetoothd.log, program.log,
# program.out, exit.txt.
#
#   guest_ble_remote.sh <results> <bin-dir>
set -uo pipefail

results=$1
bin=$2
here=$(cd "$(dirname "$0")" && pwd)

. "$here/guest_lib.sh"
. "$here/guest_ble_lib.sh"

registered_again() { [ "$(grep -c ' registered$' "$results/peripheral.log")" -ge 2 ]; }

prepare_user_folders
start_bluez || exit 1
start_peripheral || { echo "the remote did not register"; exit 1; }
start_xvfb_and_program
# The link's first passes find no remote.
sleep 3
pair_remote || { echo "pairing failed"; cat "$results/pairing.log"; }
peripheral report 0x03 0
peripheral rate 10
if wait_logged 30 "BLE device WCHBLERegisterReadNotify success" && wait_until 20 peripheral_logged "write 0AB201D3"; then
    mark "remote subscribed"
    # The program's sockets: an acquired notification session is a seqpacket socket of its own.
    ss -x -a -p > "$results/sockets.txt" 2>&1
    sleep 1
    mark "do key"
    peripheral report 0x03 4
    sleep 0.3
    peripheral report 0x03 0
    sleep 1
fi

restart_bluetoothd
wait_until 20 registered_again
pair_remote --connect-only || echo "connecting again failed"
mark "remote connected again"
peripheral rate 0
peripheral report 0x03 0
peripheral rate 10
wait_logged 30 "BLE device WCHBLERegisterReadNotify success" 2 && sleep 3
mark "before sigterm"
stop_program_and_collect
exit 0
