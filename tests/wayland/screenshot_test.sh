#!/usr/bin/env bash
# The screenshot on a headless sway or GNOME over a native full-screen slide
# (screenshot_session.sh): the frozen picture is the slide (not XWayland's black root), the
# selection is drawn above the slide and follows the pointer, and Enter saves exactly the dragged
# rectangle.
#
#   screenshot_test.sh <build-dir> <bin-dir> sway|mutter
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
compositor=$3
. "$here/test_lib.sh"
run_session "$compositor" "screenshot-$compositor" "$here/screenshot_session.sh" "$bin" "$build/tests" "$compositor"
pixel() { convert "$results/$1.png" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info: 2>/dev/null; }
red="198 40 40" # the slide's top-left quarter
check "the capture started" 'grep -q "KVO_SCREEN_SHOT_INI" "$results/program.log"'
check "inside the selection the frozen slide shows as it is" '[ "$(pixel selecting 300 250)" = "$red" ]'
check "outside it the frozen slide is dimmed, not black" \
    'read -r r g b <<< "$(pixel selecting 50 50)"; [ "$r" -gt 60 ] && [ "$r" -lt 180 ] && [ "$b" -lt "$r" ]'
check "Enter saved the picture" 'grep -q "KVO_SCREEN_SHOT_SAVE_END" "$results/program.log" && [ -s "$results/saved.png" ]'
check "the picture is the dragged 400 x 300 of the slide" \
    '[ "$(identify -format "%wx%h %k" "$results/saved.png")" = "400x300 1" ] && [ "$(pixel saved 0 0)" = "$red" ]'

# The pointer's look the program set over the selection: the hotspot of a crosshair lies in the
# middle of its image (an arrow's is at its tip). Read from the requests it made (WAYLAND_DEBUG),
# in order, as object ids are used again.
crosshair_set() {
    awk '
        match($0, /create_buffer\(new id wl_buffer@[0-9]+, [0-9]+, [0-9]+, [0-9]+/) {
            split(substr($0, RSTART, RLENGTH), f, /[@, ]+/); size[f[4]] = f[6] " " f[7] }
        match($0, /wl_surface@[0-9]+\.attach\(wl_buffer@[0-9]+/) {
            split(substr($0, RSTART, RLENGTH), f, /[@.(]+/); shown[f[2]] = size[f[5]] }
        match($0, /-> wl_pointer@[0-9]+\.set_cursor\([0-9]+, wl_surface@[0-9]+, [0-9]+, [0-9]+/) {
            split(substr($0, RSTART, RLENGTH), f, /[@, ()]+/); split(shown[f[6]], wh, " ")
            dx = 2 * f[7] - wh[1]; dy = 2 * f[8] - wh[2]
            found = wh[1] > 0 && dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2; exit }
        END { exit !found }' "$results/program.out"
}
[ "$compositor" = sway ] && check "over the selection the pointer is a crosshair" crosshair_set

end_checks "$results/program.log"
