#!/usr/bin/env bash
# The function tooltip and the message window on a headless sway over a native full-screen slide
# (windows_on_sway.sh): on the compositor's overlay layer, the tooltip at the top-right corner of
# the presentation screen, the message window in its middle.
#
#   windows_on_sway_test.sh <build-dir> <bin-dir>
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
run_session sway windows "$here/windows_on_sway.sh" "$bin"
# box <picture>: "left top right bottom" of what covers the slide.
box() { python3 "$here/picture_share.py" "$results/$1.png" --box other 2>/dev/null; }
tooltip=$(box tooltip); message=$(box message)
echo "tooltip at $tooltip, message window at $message (the output is 1280 x 800)"
within() { # <box> <awk condition on l t r b>
  awk -v b="$1" "BEGIN { n = split(b, v, \" \"); l = v[1]; t = v[2]; r = v[3]; b = v[4]; exit !(n == 4 && ($2)) }"; }

check "the tooltip is on the overlay layer" 'grep -q "ToolTip_UI on the compositor'"'"'s overlay layer" "$results/program.log"'
check "the message window is on the overlay layer" 'grep -q "CMessageBoxUI on the compositor'"'"'s overlay layer" "$results/program.log"'
check "the tooltip sits in the top-right corner" 'within "$tooltip" "r == 1279 && t == 0 && l > 900 && b < 200"'
check "the message window is centred" 'within "$message" "(l + r) / 2 >= 638 && (l + r) / 2 <= 641 && (t + b) / 2 >= 398 && (t + b) / 2 <= 401"'

end_checks "$results/program.log"
