#!/usr/bin/env bash
# The shipped udev rules on the real kernel and udev: the receiver's hidraw node and uinput are
# tagged for the seat's user and, once a user is active on the seat, that user can open them;
# with no session nobody but root can; another vendor's HID device is never opened up.
#
#   udev_rule_test.sh <bin-dir> <build-dir>
set -uo pipefail

bin=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest udev-rule 180 "$here/guest_udev_rule.sh" "$build/kernel-results/udev-rule" \
    "$bin/install-udev-rule"

. "$here/../support/checks.sh"
cat "$results/nodes.txt"
# field <phase> <device> <n>: the n-th field of that line ("<phase> <device> <node> <mode>
# <owner> <tags> <open>").
field() { awk -v p="$1" -v d="$2" -v n="$3" '$1 == p && $2 == d { print $n }' "$results/nodes.txt"; }

check "both devices got a hidraw node" \
  '[ -n "$(field seat receiver 3)" ] && [ "$(field seat receiver 3)" != none ] && [ "$(field seat other 3)" != none ] && [ -n "$(field seat other 3)" ]'
check "the receiver's node carries the uaccess tag" '[[ "$(field seat receiver 6)" == *:uaccess:* ]]'
check "the other vendor's node does not" '[[ "$(field seat other 6)" != *uaccess* ]]'
check "with no session the user cannot open the receiver" '[ "$(field nosession receiver 7)" = no ]'
check "the seat's active user can open the receiver for reading and writing" '[ "$(field seat receiver 7)" = yes ]'
check "the seat's active user cannot open the other vendor's device" '[ "$(field seat other 7)" = no ]'
check "with no session the user cannot make input devices" '[ "$(field nosession uinput 7)" = no ]'
check "the seat's active user can make the virtual keyboard (uinput for writing)" \
  '[[ "$(field seat uinput 6)" == *uaccess* ]] && [ "$(field seat uinput 7)" = yes ]'

[ "$failures" -eq 0 ] || { echo "--- guest output"; cat "$results/output.log"; }
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
