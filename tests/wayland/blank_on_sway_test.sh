#!/usr/bin/env bash
# The blank screen on a headless sway over a native full-screen slide (blank_on_sway.sh): on the
# compositor's overlay layer the curtain covers the whole output in its colour, and a key typed on
# the keyboard lifts it, leaving the slide as it was.
#
#   blank_on_sway_test.sh <build-dir> <bin-dir>
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
run_session sway blank "$here/blank_on_sway.sh" "$bin"
# colour <picture>: the share of its pixels in the curtain's colour 3 (#DF2116).
curtain() { convert "$results/$1.png" -fill black +opaque "#DF2116" -fill white -opaque "#DF2116" -format "%[fx:mean]" info: 2>/dev/null; }
share() { python3 "$here/picture_share.py" "$results/$1.png" 2>/dev/null | awk -v k="$2" '{ for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }'; }
at_least() { awk -v v="$1" -v lo="$2" 'BEGIN { exit !(v != "" && v >= lo) }'; }
echo "blank: curtain $(curtain blank); lifted: $(python3 "$here/picture_share.py" "$results/lifted.png" 2>/dev/null || echo missing)"

check "the curtain is on the compositor's overlay layer, over the whole output" \
  'grep -q "effects: compositor overlay layer" "$results/program.log" && at_least "$(curtain blank)" 0.9999'
check "a key typed lifts it" 'grep -q "CBlankScreenUI a key typed on the curtain: Hide BlankScreen" "$results/program.log"'
check "the slide is back everywhere" 'at_least "$(share lifted slide)" 0.999'

end_checks "$results/program.log"
