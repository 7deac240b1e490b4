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

here=$(cd "$(dirname "$0")" && pwd)
. "$here/guest_lib.sh"

"$installer" || exit 1
load_dummy_usb 2 || exit 1

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
        node=$(hidraw_of "$vid" "$pid")
        if [ -z "$node" ]; then echo "$1 $name none - - - -" >> "$out"; continue; fi
        record_node "$1" "$name" "$node" rb+
    done
    # The virtual keyboard's device, which the second rule opens up the same way.
    udevadm trigger --action=change --sysname-match=uinput && udevadm settle --timeout=20
    record_node "$1" uinput /dev/uinput wb
}

both_nodes() {
    wait_until 10 hidraw_present 000025A7 00000178 && wait_until 10 hidraw_present 00001D6B 00000104
    udevadm settle --timeout=20
}

# No session: nothing tells udev whom to let in. The other device has the receiver's descriptor
# too: only the ids differ.
hid_gadget receiver 0x25a7 0x0178 "${udcs[0]}" && hid_gadget other 0x1d6b 0x0104 "${udcs[1]}" || exit 1
both_nodes
record nosession
unplug_gadget receiver; unplug_gadget other
udevadm settle --timeout=20

# The throwaway user is the seat's active user, as logind records it.
mkdir -p /run/systemd/seats
printf 'ACTIVE=c1\nACTIVE_UID=%s\n' "$uid" > /run/systemd/seats/seat0
plug_gadget receiver "${udcs[0]}"; plug_gadget other "${udcs[1]}"
both_nodes
record seat
cat "$out"
exit 0
