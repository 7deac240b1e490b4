#!/usr/bin/env bash
# The pen's width tip on a headless sway (pen_tip_on_sway.sh): above the pen's frozen picture on
# the compositor's overlay layer, 300 x 150 in the middle of the output.
#
#   pen_tip_on_sway_test.sh <build-dir> <bin-dir>
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
run_session sway pen-tip "$here/pen_tip_on_sway.sh" "$bin"
boxes=$(for p in "$results"/tip*.png; do python3 "$here/picture_share.py" "$p" --box other 2>/dev/null; done)
echo "what covered the slide, picture by picture:"; echo "$boxes"
check "the tip is shown on the overlay layer" 'grep -q "CPostilPencilTipUI::ShowTip on the compositor'"'"'s overlay layer" "$results/program.log"'
check "a picture shows the tip in the middle of the output" 'echo "$boxes" | grep -qx "490 325 789 474"'

end_checks "$results/program.log"
