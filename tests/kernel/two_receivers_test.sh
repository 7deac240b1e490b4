#!/usr/bin/env bash
# Two receivers (guest_two_receivers.sh): the program counts the one present at its start, counts
# the second when it is plugged in while the program runs, and then shows its notice that more
# than one receiver is plugged in (the message box, 400 x 200, up for a second).
#
#   two_receivers_test.sh <bin-dir> <build-dir>
set -uo pipefail

bin=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host_lib.sh"
run_guest two-receivers 180 "$here/guest_two_receivers.sh" "$build/kernel-results/two-receivers" "$bin"

. "$here/../support/checks.sh"

# The kernel starting the second receiver's device (both emulators log into receiver.log).
plugged=$(awk '$2 == "start" { n++; if (n == 2) { print $1; exit } }' "$results/receiver.log" 2>/dev/null)
# The program's own order of events: its standard error carries every log line, debug ones too.
line_of() { grep -n -m1 -F "$1" "$results/program.out" 2>/dev/null | cut -d: -f1; }
counted_line=$(line_of "Physical device added via callback: ")
hidden_line=$(line_of "CMessageBoxUI::HandleCustomMessage Hide ntime:")
# xev's events as "<stamp> map|unmap <window> <width>x<height>", the size as last created or
# configured.
awk '/Notify event,/ { event = $2; stamp = $1; next }
  event != "" && match($0, / window 0x[0-9a-f]+/) {
    id = substr($0, RSTART + 8, RLENGTH - 8)
    if (match($0, /width [0-9]+, height [0-9]+/)) { split(substr($0, RSTART, RLENGTH), f, /[ ,]+/); size[id] = f[2] "x" f[4] }
    if (event == "MapNotify") print stamp, "map", id, size[id]
    if (event == "UnmapNotify") print stamp, "unmap", id, size[id]
    event = ""
  }' "$results/windows.log" > "$results/mapping.txt" 2>/dev/null
# The message box (400 x 200) coming up before the second receiver, and after it.
boxes_before=$(awk -v p="${plugged:-1e12}" '$2 == "map" && $4 == "400x200" && $1 < p' "$results/mapping.txt" | wc -l)
read -r box_up box _ <<< "$(awk -v p="${plugged:-1e12}" '$2 == "map" && $4 == "400x200" && $1 >= p { print $1, $3; exit }' \
  "$results/mapping.txt")"
box_down=$(awk -v id="${box:-none}" -v t="${box_up:-1e12}" '$2 == "unmap" && $3 == id && $1 > t { print $1; exit }' \
  "$results/mapping.txt")

grep -h -E "Enumeration completed|Physical device (added|removed)" "$results/program.log" 2>/dev/null
grep -h -o "CMessageBoxUI::HandleCustomMessage Hide ntime:[0-9]*" "$results/program.out" 2>/dev/null
echo "second receiver started at ${plugged:-?}; message box ${box:-never} up at ${box_up:-never}, down at ${box_down:-never}"

check "the program counted one receiver at its start" \
  'grep -q "Enumeration completed. Found 1 unique physical devices" "$results/program.log"'
check "the second receiver, plugged in while the program ran, made the count 2" \
  '[ -n "$plugged" ] && grep -q "Physical device added via callback: .*, Total: 2" "$results/program.log"'
check "no message box came up before the second receiver" '[ -s "$results/mapping.txt" ] && [ "$boxes_before" -eq 0 ]'
check "the message box came up within 5 s of the second receiver" \
  '[ -n "${box_up:-}" ] && awk -v a="$plugged" -v b="$box_up" '\''BEGIN { exit !(b - a <= 5) }'\'''
check "and went away again within 5 s" \
  '[ -n "$box_down" ] && awk -v a="$box_up" -v b="$box_down" '\''BEGIN { exit !(b - a <= 5) }'\'''
check "the program logged hiding its message box after it counted the second receiver" \
  '[ -n "$counted_line" ] && [ -n "$hidden_line" ] && [ "$hidden_line" -gt "$counted_line" ]'

if [ "$failures" -ne 0 ]; then
  cat "$results/marks.log"
  echo "--- windows mapped and unmapped"; cat "$results/mapping.txt" 2>/dev/null
  echo "--- receiver events"; grep -v output "$results/receiver.log"
  echo "--- program log"; tail -n 40 "$results/program.log" 2>/dev/null
  echo "--- guest command output"; cat "$results/output.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
