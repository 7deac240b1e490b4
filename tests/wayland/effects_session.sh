#!/usr/bin/env bash
# Run by run_on.sh as the session's user: the real program, started as a
# user starts it on a Wayland desktop (both WAYLAND_DISPLAY and XWayland's DISPLAY set, nothing
# forced), driven by the virtual remote through the spotlight, the laser, the magnifier and the
# pen over the native full-screen slide. Pictures of the compositor's output, taken by the
# command given (grim on sway), go to $RESULTS.
#
#   effects_session.sh <bin-dir> <picture-command>
set -uo pipefail

bin=$1
take_picture=$2
export ORVELLE_VIRTUAL_RECEIVER="$XDG_RUNTIME_DIR/remote.sock"
cat > "$RESULTS/remote.txt" <<'SCRIPT'
report 0x03 0
wait 1500
# each function in turn (the function key), moved while the do key is held, then held still
repeat 4 {
  report 0x03 8
  wait 100
  report 0x03 0
  wait 400
  repeat 40 {
    report 0x03 4 4 2
    wait 20
  }
  repeat 100 {
    report 0x03 4 0 0
    wait 20
  }
  report 0x03 0
  wait 600
}
report 0x03 8
wait 100
report 0x03 0
wait 1500
SCRIPT
. "$(dirname "$0")/session_lib.sh"
start_with_remote "$RESULTS/remote.txt" 60000
picture() { # <log text> <name>
    if wait_for_log "$1" 40; then
        sleep 1.6
        $take_picture "$RESULTS/$2.png"
    fi
}
picture "Searchlight_UI::Show x:" spotlight
picture "DigitalLaser_UI::Draw" laser
picture "Zoom_Show end" magnifier
picture "CPresenterPostil::Show x:" pen
# The last function key leaves the pen for the mouse; its tooltip goes after a moment.
wait_for_log "SetToolTipMode Mouse" 30
sleep 4
$take_picture "$RESULTS/after.png"
kill -TERM "$program" "$remote" 2>/dev/null
wait "$program"
log > "$RESULTS/program.log"
exit 0
