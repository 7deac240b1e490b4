#!/usr/bin/env bash
# Run by run_on_sway.sh as the session's user: the settings window as the first start shows it
# (the spotlight's settings, whose preview carries the dimmed layer), pictured (grim), then dragged
# by its caption with a pointer of the compositor's and pictured again. The window's place before
# and after, as sway has it, goes to $RESULTS/places: "x y" per line.
#
#   settings_on_sway.sh <bin-dir> <tests-dir>
set -uo pipefail

bin=$1
tests=$2
export ORVELLE_VIRTUAL_RECEIVER="$XDG_RUNTIME_DIR/remote-settings.sock"
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n1)
export SWAYSOCK
# The settings window is an ordinary window: the full-screen slide would hide it.
pkill -u "$(id -u)" -f wayland_slide
. "$(dirname "$0")/session_lib.sh"
"$bin/Orvelle" > "$RESULTS/program.out" 2>&1 &
program=$!

# place: the Orvelle window's "x y" in sway's tree, nothing while it has none.
place() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("pid") and node.get("name") == "Orvelle":
        print(node["rect"]["x"], node["rect"]["y"])
        return True
    return any(walk(child) for child in node.get("nodes", []) + node.get("floating_nodes", []))
walk(json.load(sys.stdin))'
}

giveup=$((SECONDS + 30))
while [ -z "$(place)" ] && [ "$SECONDS" -lt "$giveup" ]; do sleep 0.2; done
wait_for_log "Session bus:" 20
sleep 1.5
read -r x y <<< "$(place)"
echo "$x $y" > "$RESULTS/places"
grim "$RESULTS/before.png"
"$tests/wayland_pointer" move $((x + 150)) $((y + 20)) press move $((x + 200)) $((y + 50)) \
    move $((x + 270)) $((y + 80)) release
sleep 1
place >> "$RESULTS/places"
grim "$RESULTS/after.png"
kill -TERM "$program" 2>/dev/null
wait "$program"
log > "$RESULTS/program.log"
exit 0
