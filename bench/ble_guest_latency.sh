#!/usr/bin/env bash
# Notification-to-decoder latency of the Bluetooth LE link against a real bluetoothd: boots the
# kernel guest (tests/kernel/run-in-guest), brings up BlueZ on two virtual LE controllers with the
# remote on the second (tests/kernel/guest_ble_lib.sh), pairs it, and runs
# `bench_ble --system` there, which prints p50/p99 beside nothing else. Compare with the mock's
# figure from `bench_ble` on this machine.
#
#   bench/ble_guest_latency.sh <build-dir> [--seconds N] [--rate R]
set -uo pipefail

if [ "${1:-}" = --guest ]; then
    # In the guest: <results> <bench-binary> [bench_ble options]
    results=$2
    bench=$3
    shift 3
    here=$(cd "$(dirname "$0")/../tests/kernel" && pwd)
    . "$here/guest_lib.sh"
    . "$here/guest_ble_lib.sh"
    start_bluez || exit 1
    start_peripheral || { echo "the remote did not register"; exit 1; }
    pair_remote || { echo "pairing failed"; cat "$results/pairing.log"; exit 1; }
    "$bench" --system /tmp/peripheral.fifo "$@"
    status=$?
    kill -TERM "${helpers[@]}" 2>/dev/null
    exit $status
fi

build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
results="$build/kernel-results/bench-ble"
rm -rf "$results" && mkdir -p "$results"
"$here/../tests/kernel/run-in-guest" --cache "$build/kernel-guest" --timeout 240 "$results" \
    bash "$here/ble_guest_latency.sh" --guest "$results" "$build/bench/bench_ble" "$@"
status=$?
cat "$results/output.log"
exit $status
