# A real BlueZ in the kernel guest, for the scripts that source guest_lib.sh: two LE-only virtual
# controllers from hci_vhci (btvirt -L -l2) that see each other, a system D-Bus and Debian's
# bluetoothd over both. The remote (ble_peripheral.py) runs on the second controller (hci1); the
# program and the pairing use the first (hci0). Dual-mode virtual controllers are avoided: they
# brought the guest kernel down on pair-then-disconnect.

ble_name="Orvelle Presenter"

# Starts the bus, the controllers and bluetoothd; false when any of them is missing. btvirt ends
# with the guest.
start_bluez() {
    modprobe -a bluetooth hci_vhci || { echo "no bluetooth modules"; return 1; }
    udevadm settle --timeout=10
    mkdir -p /run/dbus /var/lib/bluetooth
    dbus-daemon --system --fork || { echo "no system bus"; return 1; }
    local try
    for try in 1 2 3; do
        start_controllers && break
        echo "virtual controllers not up (try $try): $(hciconfig 2>&1 | grep -c 'BD Address: 00:00:00:00:00:00') without an address"
    done
    [ "$try" -lt 3 ] || controllers_up || { echo "no virtual controllers"; return 1; }
    start_bluetoothd
}

# btvirt must send each controller's creation request within a second of opening /dev/vhci, or
# the kernel makes a default controller that answers nothing: on a busy emulated machine that
# happens now and then, and btvirt is started again.
start_controllers() {
    [ -z "${btvirt:-}" ] || { kill "$btvirt"; wait "$btvirt" 2>/dev/null; wait_until 10 no_controllers; }
    btvirt -L -l2 >> "$results/btvirt.log" 2>&1 &
    btvirt=$!
    wait_until 10 controllers_up
}
controllers_up() {
    [ -e /sys/class/bluetooth/hci0 ] && [ -e /sys/class/bluetooth/hci1 ] &&
        hciconfig 2>/dev/null | grep -q "BD Address" && ! hciconfig 2>/dev/null | grep -q "BD Address: 00:00:00:00:00:00"
}
no_controllers() { ! ls /sys/class/bluetooth/hci* > /dev/null 2>&1; }

bluez_on_bus() {
    dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.bluez 2>/dev/null | grep -q "boolean true"
}

start_bluetoothd() {
    /usr/libexec/bluetooth/bluetoothd -n >> "$results/bluetoothd.log" 2>&1 &
    bluetoothd=$!
    mark "bluetoothd start"
    wait_until 20 bluez_on_bus || { echo "bluetoothd did not come up"; return 1; }
}

# bluetoothd ended and started again, as a user restarting the Bluetooth service would.
restart_bluetoothd() {
    mark "bluetoothd stop"
    kill -TERM "$bluetoothd"
    wait "$bluetoothd" 2>/dev/null
    start_bluetoothd
}

# The remote on hci1 with its command FIFO on descriptor `peripheral_in`; its log is
# peripheral.log.
start_peripheral() {
    rm -f /tmp/peripheral.fifo && mkfifo /tmp/peripheral.fifo
    /usr/bin/python3 "$here/ble_peripheral.py" --adapter hci1 --name "$ble_name" --log "$results/peripheral.log" \
        < /tmp/peripheral.fifo >> "$results/peripheral.out" 2>&1 &
    helpers+=($!)
    exec {peripheral_in}> /tmp/peripheral.fifo
    wait_until 20 grep -q -s " registered" "$results/peripheral.log"
}

# peripheral <command>: one command to the remote (report, rate, burst, quit).
peripheral() { echo "$*" >&"$peripheral_in"; }

# Pairs and connects the remote from hci0 (ble_pair.py); sets `remote_path`.
pair_remote() {
    mark "pair start"
    remote_path=$(/usr/bin/python3 "$here/ble_pair.py" --name "$ble_name" --log "$results/pairing.log" "$@")
    local status=$?
    mark "pair end $status"
    return $status
}

# A line "<stamp> <event...>" in the peripheral's log (regular expression for the event).
peripheral_logged() { grep -q -s -E "^[0-9.]+ $1" "$results/peripheral.log"; }
