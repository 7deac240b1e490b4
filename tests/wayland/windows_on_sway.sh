#!/usr/bin/env bash
# Run by run_on_sway.sh as the session's user: the function tooltip and the message window over
# the native full-screen slide. A presenter's function key brings the tooltip; then the remote
# comes back as a mouse whose mirror button, with no mirroring application installed, brings the
# message window. Pictures of the output (grim) go to $RESULTS.
#
#   windows_on_sway.sh <bin-dir>
set -uo pipefail

bin=$1
export ORVELLE_VIRTUAL_RECEIVER="$XDG_RUNTIME_DIR/remote-windows.sock"
cat > "$RESULTS/remote.txt" <<'SCRIPT'
report 0x03 0
wait 1500
report 0x03 8
wait 100
report 0x03 0
wait 6000
report 0x05 0 0 0 0
wait 1500
report 0x05 0 0 0 32
wait 100
report 0x05 0 0 0 0
wait 30000
SCRIPT
"$bin/orvelle-virtual-remote" --socket "$ORVELLE_VIRTUAL_RECEIVER" --script "$RESULTS/remote.txt" --rate 50 \
    --duration 40000 --quiet &
remote=$!
"$bin/Orvelle" > "$RESULTS/program.out" 2>&1 &
program=$!
log() { cat "$HOME"/.local/state/Orvelle/log/*.log 2>/dev/null || true; }
wait_for_log() { # <text> <seconds>
    local giveup=$((SECONDS + $2))
    while [ "$SECONDS" -lt "$giveup" ]; do
        [ "$(log | grep -cF -- "$1")" -gt 0 ] && return 0
        kill -0 "$program" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
if wait_for_log "Dialog" 40; then
    sleep 0.5
    grim "$RESULTS/tooltip.png"
fi
if wait_for_log "MirrorScreen" 20; then
    sleep 0.8
    grim "$RESULTS/message.png"
fi
kill -TERM "$program" "$remote" 2>/dev/null
wait "$program"
log > "$RESULTS/program.log"
exit 0
