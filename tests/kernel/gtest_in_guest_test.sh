#!/usr/bin/env bash
# A GoogleTest program run in the kernel guest (guest_gtest.sh); the test passes when it does.
#
#   gtest_in_guest_test.sh <build-dir> <name> <test-program>
set -uo pipefail

build=$(cd "$1" && pwd)
name=$2
program=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest "$name" 120 "$here/guest_gtest.sh" "$build/kernel-results/$name" "$program"
cat "$results/gtest.out" 2>/dev/null
status=$(cat "$results/gtest.status" 2>/dev/null)
[ "$status" = 0 ] || { echo "FAILED: the test program ended with status ${status:-unknown}"; exit 1; }
