#!/usr/bin/env bash
# The real program against a remote on Bluetooth LE served by a real bluetoothd in the guest
# (guest_ble_remote.sh): the remote, paired while the program runs, is connected and subscribed
# at the first try, its reports reach the decoder and its do key the key handler, the program's
# frames reach the remote; after bluetoothd restarts the remote is subscribed again; and the
# program ends within 1 s of SIGTERM with the remote connected.
#
#   ble_remote_test.sh <bin-dir> <build-dir>
set -uo pipefail

bin=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest ble-remote 200 "$here/guest_ble_remote.sh" "$build/kernel-results/ble-remote" "$bin"

. "$here/../support/checks.sh"
read_exit
log="$results/program.log"
restart=$(time_of "$results/marks.log" "bluetoothd stop")
# Subscriptions the remote saw before and after bluetoothd's restart.
before=$(awk -v r="${restart:-1e12}" '$2 == "notify-start" && $1 < r' "$results/peripheral.log" 2>/dev/null | wc -l)
after=$(awk -v r="${restart:-1e12}" '$2 == "notify-start" && $1 > r' "$results/peripheral.log" 2>/dev/null | wc -l)
writes_after=$(awk -v r="${restart:-1e12}" '$2 == "write" && $1 > r' "$results/peripheral.log" 2>/dev/null | wc -l)
echo "pairing: $(awk '{ $1 = ""; print }' "$results/pairing.log" 2>/dev/null | paste -sd ';' -)"
echo "subscriptions before the restart: $before, after: $after; writes after: $writes_after"
echo "the program ended ${exit_ms:-?} ms after SIGTERM, status ${exit_status:-?}"

check "the remote was paired and connected" 'grep -q " connected$" "$results/pairing.log"'
check "the link connected and subscribed the remote" \
  'grep -q "BLE device WCHBLERegisterReadNotify success" "$log"'
check "the first connection did not fail for want of the remote's services" '! grep -q "BLE device open fail" "$log"'
check "the remote saw one subscription" '[ "$before" -ge 1 ]'
check "the program gave the remote its sensitivity over the characteristic" \
  'grep -q " write 0AB201D3" "$results/peripheral.log"'
check "the do key reached the key handler" 'grep -q "DealWithDoKey Press Do Key" "$log"'
check "after bluetoothd restarted the remote was subscribed again" '[ "$after" -ge 1 ]'
check "after bluetoothd restarted the program wrote to the remote again" '[ "$writes_after" -ge 1 ]'
check "the program ended normally within 1000 ms of SIGTERM" \
  '[ "${exit_status:-}" = 0 ] && [ "${exit_ms:-999999}" -lt 1000 ]'

if [ "$failures" -ne 0 ]; then
  cat "$results/marks.log"
  echo "--- remote"; grep -v -E " (write|command)" "$results/peripheral.log" 2>/dev/null
  echo "--- program log (BLE)"; grep -i "ble" "$log" 2>/dev/null | tail -n 40
  echo "--- guest command output"; cat "$results/output.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
