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
. "$(dirname "$0")/session_lib.sh"
start_with_remote "$RESULTS/remote.txt" 40000
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
