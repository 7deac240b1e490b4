#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): one GoogleTest program, as root, its output
# and XML report left in <results>.
#
#   guest_gtest.sh <results> <test-program>
set -uo pipefail
"$2" --gtest_output="xml:$1/gtest.xml" > "$1/gtest.out" 2>&1
echo "$?" > "$1/gtest.status"
exit 0
