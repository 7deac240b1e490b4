#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the real program under Xvfb with a receiver
# that stops taking output reports while the program sends them, then SIGTERM to the program.
#   uhid  the emulated receiver reports a presenter that is on and, two seconds after the program
#         gave the presenter its sensitivity, stops reading /dev/uhid ("deaf"): the kernel queues
#         the output reports (and drops them once its queue is full), the writes return at once.
#   usb   a USB device through the dummy host controller and the HID gadget, whose presenter side
#         sends the online report ten times a second and whose /dev/hidgN nobody reads: once
#         the gadget's few output buffers are full, usbhid's write of an output report waits for
#         the device in the kernel, up to its 5 s time-out. SIGTERM comes once the program has
#         started and as soon as a thread of it is seen waiting there.
# Leaves in <results>: threads.txt (each thread of the program at SIGTERM: name, state, wait
# channel), exit.txt, marks.log, program.log, program.out, and receiver.log for uhid.
#
#   guest_not_reading.sh <results> <bin-dir> uhid|usb
set -uo pipefail

results=$1
bin=$2
mode=$3
here=$(cd "$(dirname "$0")" && pwd)

. "$here/guest_lib.sh"

# "<name> <state> <wait channel>" of each thread of <pid>, read with builtins only: a process
# started for it would take long enough for the waits to change.
threads_of() {
    local t stat name state wchan
    for t in /proc/"$1"/task/*; do
        read -r stat < "$t/stat" || continue
        read -r wchan < "$t/wchan"
        name=${stat#*(} state=${stat##*) }
        name=${name%)*}
        echo "${name// /_} ${state%% *} ${wchan:-?}"
    done
}

# True when a thread of the program waits for a USB transfer (threads come and go: the list is
# taken anew each time).
# shellcheck disable=SC2317 # called through wait_until
writing_to_usb() { grep -q -s usb /proc/"$program"/task/*/wchan; }

prepare_user_folders
case "$mode" in
uhid)
    cat > /tmp/receiver.script <<'SCRIPT'
report 0x03 0
rate 100
wait-output 90000 0x0A 0xB2 0x01 0xD3
wait 2000
deaf
SCRIPT
    start_receiver --variant a --script /tmp/receiver.script
    start_xvfb_and_program
    # The program writes for 3 s to a receiver that no longer reads, then is asked to end.
    wait_logged 60 "InitHidManager Successful" && wait_receiver 60 deaf && sleep 3
    ;;
usb)
    load_dummy_usb 1 && hid_gadget receiver 0x25a7 0x0178 "${udcs[0]}" || exit 1
    wait_until 10 hidraw_present 000025A7 00000178
    udevadm settle --timeout=20
    # The presenter's side writes its online report ten times a second and never reads.
    python3 -c '
import os, sys, time
fd = os.open(sys.argv[1], os.O_WRONLY)
report = bytes([0x0A, 0x03]) + bytes(15)
while True:
    os.write(fd, report)
    time.sleep(0.1)' "$(gadget_node receiver)" &
    helpers+=($!)
    start_xvfb_and_program
    # Asked to end once it is up, as a user would, while a write of it waits for the device.
    if wait_logged 60 "InitHidManager Successful" && wait_logged 60 "Orvelle started in"; then
        wait_until 30 writing_to_usb
    fi
    ;;
*)
    echo "unknown mode $mode"; exit 2 ;;
esac
threads_of "$program" > "$results/threads.txt"
stop_program_and_collect 40
[ "$mode" = usb ] && unplug_gadget receiver
exit 0
