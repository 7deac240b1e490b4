#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): installs the shipped udev rule with the
# bundle's installer, as a user would, then plugs two USB HID devices through the kernel's dummy
# host controller and USB gadget HID function (the rule matches the USB device's
# idVendor/idProduct, which a uhid device has no USB parent to carry), one with the receiver's
# ids and one from another vendor, and records what udev made of each hidraw node and whether a
# user who is not root can open it.
#
# The rule grants access with TAG+="uaccess": udev's uaccess builtin then gives the active user
# of the seat an ACL. The guest has no logind, so the seat is described by the file logind keeps
# in /run/systemd/seats, naming a throwaway user as the active one; a run without that file
# first shows what the rule gives with no session at all.
#
#   guest_udev_rule.sh <results> <installer>
# Leaves in <results>: nodes.txt, lines "<phase> <device> <node> <mode> <owner> <tags> <open>".
set -uo pipefail

results=$1
installer=$2
out="$results/nodes.txt"
: > "$out"

useradd -M -s /bin/sh orvseat || exit 1
uid=$(id -u orvseat)
gid=$(id -g orvseat)

"$installer" || exit 1
modprobe dummy_hcd num=2 && modprobe -a libcomposite usb_f_hid usbhid || exit 1
mountpoint -q /sys/kernel/config || mount -t configfs none /sys/kernel/config || exit 1

# The receiver's vendor collection: usage page 0xFF01, report 0x0A with 16 bytes each way.
# Written in one write(): the gadget keeps only the last write's bytes as the descriptor.
descriptor=0601ff0900a101850a150026ff00750895100900810209009102c0
udcs=()
for u in /sys/class/udc/*; do [ -e "$u" ] && udcs+=("${u##*/}"); done
[ "${#udcs[@]}" -ge 2 ] || { echo "fewer than two dummy UDCs: ${udcs[*]}"; exit 1; }

gadget() { # <name> <vendor> <product> <udc>
    local g=/sys/kernel/config/usb_gadget/$1
    mkdir -p "$g/strings/0x409" "$g/configs/c.1" "$g/functions/hid.0" || return 1
    echo "$2" > "$g/idVendor"; echo "$3" > "$g/idProduct"
    echo "$1" > "$g/strings/0x409/product"
    echo 0 > "$g/functions/hid.0/protocol"; echo 0 > "$g/functions/hid.0/subclass"
    echo 17 > "$g/functions/hid.0/report_length"
    python3 -c 'import os, sys; os.write(1, bytes.fromhex(sys.argv[1]))' "$descriptor" \
        > "$g/functions/hid.0/report_desc"
    ln -s "$g/functions/hid.0" "$g/configs/c.1/"
    echo "$4" > "$g/UDC"
}
unbind() { echo "" > "/sys/kernel/config/usb_gadget/$1/UDC"; }

# The hidraw node whose HID device has these ids (the USB side, as the host sees the gadget).
node_of() { # <vendor hex, 8 digits> <product hex, 8 digits>
    local d
    for d in /sys/class/hidraw/hidraw*; do
        grep -qi "^HID_ID=0003:$1:$2$" "$d/device/uevent" 2>/dev/null && { echo "/dev/${d##*/}"; return; }
    done
}

# One line for <node> as <name> in <phase>: whether the throwaway user opens it in <mode>
# (Python's: rb+ for reading and writing, wb for writing).
record_node() { # <phase> <name> <node> <mode>
    local tags opened=no
    tags=$(udevadm info -q property -n "$3" | sed -n 's/^CURRENT_TAGS=//p')
    setpriv --reuid="$uid" --regid="$gid" --clear-groups \
        python3 -c 'import sys; open(sys.argv[1], sys.argv[2], buffering=0).close()' "$3" "$4" 2>/dev/null && opened=yes
    echo "$1 $2 $3 $(stat -c '%a %U' "$3") ${tags:--} $opened" >> "$out"
    ls -l "$3"
}

record() { # <phase>
    local name vid pid node
    for entry in "receiver 000025A7 00000178" "other 00001D6B 00000104"; do
        read -r name vid pid <<< "$entry"
        node=$(node_of "$vid" "$pid")
        if [ -z "$node" ]; then echo "$1 $name none - - - -" >> "$out"; continue; fi
        record_node "$1" "$name" "$node" rb+
    done
    # The virtual keyboard's device, which the second rule opens up the same way.
    udevadm trigger --action=change --sysname-match=uinput && udevadm settle --timeout=20
    record_node "$1" uinput /dev/uinput wb
}

plug_both() {
    gadget receiver 0x25a7 0x0178 "${udcs[0]}" && gadget other 0x1d6b 0x0104 "${udcs[1]}" || return 1
    for _ in $(seq 100); do
        [ -n "$(node_of 000025A7 00000178)" ] && [ -n "$(node_of 00001D6B 00000104)" ] && break
        sleep 0.1
    done
    udevadm settle --timeout=20
}

# No session: nothing tells udev whom to let in.
plug_both || exit 1
record nosession
unbind receiver; unbind other
udevadm settle --timeout=20

# The throwaway user is the seat's active user, as logind records it.
mkdir -p /run/systemd/seats
printf 'ACTIVE=c1\nACTIVE_UID=%s\n' "$uid" > /run/systemd/seats/seat0
echo "${udcs[0]}" > /sys/kernel/config/usb_gadget/receiver/UDC
echo "${udcs[1]}" > /sys/kernel/config/usb_gadget/other/UDC
for _ in $(seq 100); do
    [ -n "$(node_of 000025A7 00000178)" ] && [ -n "$(node_of 00001D6B 00000104)" ] && break
    sleep 0.1
done
udevadm settle --timeout=20
record seat
cat "$out"
exit 0
