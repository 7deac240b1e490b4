#!/usr/bin/env bash
# Run by run_on_sway.sh as the session's user over the native full-screen slide: the pen chosen
# (four function keys), the do key held and page up pressed with it, a width step whose tip shows
# for a moment; pictures of the output (grim) every half second meanwhile go to $RESULTS.
#
#   pen_tip_on_sway.sh <bin-dir>
set -uo pipefail
bin=$1
export ORVELLE_VIRTUAL_RECEIVER="$XDG_RUNTIME_DIR/remote-tip.sock"
cat > "$RESULTS/remote.txt" <<'SCRIPT'
report 0x03 0
wait 1500
repeat 4 {
  report 0x03 8
  wait 100
  report 0x03 0
  wait 600
}
report 0x03 4
wait 1500
report 0x03 5
wait 100
report 0x03 4
wait 3000
report 0x03 0
wait 20000
SCRIPT
. "$(dirname "$0")/session_lib.sh"
start_with_remote "$RESULTS/remote.txt" 30000
sleep 5
for i in 1 2 3 4 5 6 7 8 9 10; do grim "$RESULTS/tip$i.png"; sleep 0.5; done
kill -TERM "$program" "$remote" 2>/dev/null
wait "$program"
log > "$RESULTS/program.log"
exit 0
