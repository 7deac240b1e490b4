#!/usr/bin/env bash
# The settings window on a headless sway (settings_on_sway.sh): the compositor places it, and its
# caption drag asks the compositor to move it; the preview's dimmed layer lies on the preview
# wherever the window is, dimmed around its hole and clear inside it.
#
#   settings_on_sway_test.sh <build-dir> <bin-dir>
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test_lib.sh"
run_session sway settings "$here/settings_on_sway.sh" "$bin" "$build/tests"
read -r x0 y0 <<< "$(sed -n 1p "$results/places")"
read -r x1 y1 <<< "$(sed -n 2p "$results/places")"
echo "the window was at ${x0:-?},${y0:-?} and at ${x1:-?},${y1:-?} after the drag"

# brightest <picture> <x> <y> <w> <h>: the brightest grey (0-255) in that rectangle; mean: its mean.
brightest() { convert "$results/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace gray -format "%[fx:int(maxima*255)]" info:; }
mean() { convert "$results/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace gray -format "%[fx:int(mean*255)]" info:; }
# layer_on_preview <picture> <window x> <window y>: the preview (250, 140; 595 x 220 in the window)
# is white and light grey under the layer: dimmed, its brightest pixel is well below white, in
# bands around the hole (207, 20; 180 wide); inside the hole it keeps its light background.
layer_on_preview() {
    local p=$1 px=$(($2 + 250)) py=$(($3 + 140)) band
    for band in "0 0 595 18" "0 120 595 100" "0 0 200 220" "395 0 200 220"; do
        read -r bx by bw bh <<< "$band"
        [ "$(brightest "$p" $((px + bx)) $((py + by)) "$bw" "$bh")" -lt 210 ] || return 1
    done
    [ "$(mean "$p" $((px + 237)) $((py + 45)) 120 40)" -gt 215 ]
}

check "the window has a place" '[ -n "${x0:-}" ] && [ -n "${x1:-}" ]'
check "the caption drag moved the window by the pointer's way" '[ $((x1 - x0)) -eq 120 ] && [ $((y1 - y0)) -eq 60 ]'
check "the dimmed layer lies on the preview" 'layer_on_preview before "$x0" "$y0"'
check "the dimmed layer went with the window" 'layer_on_preview after "$x1" "$y1"'

end_checks "$results/program.log"
