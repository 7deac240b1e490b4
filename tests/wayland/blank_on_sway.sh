#!/usr/bin/env bash
# Run by run_on_sway.sh as the session's user: the blank screen over the native full-screen slide.
# Page down held for two seconds with the blank screen (colour 3) as the custom action rolls the
# curtain down; a key typed on the keyboard (wtype, a virtual keyboard of the compositor's) lifts
# it. Pictures of the output (grim) go to $RESULTS.
#
#   blank_on_sway.sh <bin-dir>
set -uo pipefail

bin=$1
export ORVELLE_VIRTUAL_RECEIVER="$XDG_RUNTIME_DIR/remote-blank.sock"
mkdir -p "$HOME/.config/Orvelle"
printf '[CustomKey]\nkey=1\nSelectType=1\nSelectIndex=3\n' > "$HOME/.config/Orvelle/config.ini"
printf 'report 0x03 0\nwait 1500\nreport 0x03 2\nwait 2500\nreport 0x03 0\nwait 30000\n' > "$RESULTS/remote.txt"
. "$(dirname "$0")/session_lib.sh"
start_with_remote "$RESULTS/remote.txt" 40000
if wait_for_log "CBlankScreenUI::ShowBlankScreen" 40; then
    # Rolled down (10 steps of 30 ms), and the hold over.
    wait_for_log "CPresenterService::DealDoKeyOpen begin" 10
    sleep 1
    grim "$RESULTS/blank.png"
    wtype a
    wait_for_log "Hide BlankScreen" 10
    sleep 1.5
    grim "$RESULTS/lifted.png"
fi
kill -TERM "$program" "$remote" 2>/dev/null
wait "$program"
log > "$RESULTS/program.log"
exit 0
