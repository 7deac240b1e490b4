#!/usr/bin/env bash
# The screenshot on a headless sway over a native full-screen slide (screenshot_on_sway.sh): the
# frozen picture is the slide (not XWayland's black root), the selection is drawn above the slide
# on the compositor's overlay layer and follows the pointer, and Enter saves exactly the dragged
# rectangle.
#
#   screenshot_on_sway_test.sh <build-dir> <bin-dir>
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
results="$build/wayland-results/screenshot"
bash "$here/run_on_sway.sh" "$build" screenshot "$here/screenshot_on_sway.sh" "$bin" "$build/tests" > /dev/null 2>&1 || {
    echo "FAILED: the session did not run"; cat "$results/sway.log" "$results/slide.out" 2>/dev/null; exit 1; }

. "$here/../support/checks.sh"
pixel() { convert "$results/$1.png" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info: 2>/dev/null; }
red="198 40 40" # the slide's top-left quarter
check "the capture started" 'grep -q "KVO_SCREEN_SHOT_INI" "$results/program.log"'
check "inside the selection the frozen slide shows as it is" '[ "$(pixel selecting 300 250)" = "$red" ]'
check "outside it the frozen slide is dimmed, not black" \
    'read -r r g b <<< "$(pixel selecting 50 50)"; [ "$r" -gt 60 ] && [ "$r" -lt 180 ] && [ "$b" -lt "$r" ]'
check "Enter saved the picture" 'grep -q "KVO_SCREEN_SHOT_SAVE_END" "$results/program.log" && [ -s "$results/saved.png" ]'
check "the picture is the dragged 400 x 300 of the slide" \
    '[ "$(identify -format "%wx%h %k" "$results/saved.png")" = "400x300 1" ] && [ "$(pixel saved 0 0)" = "$red" ]'

if [ "$failures" -ne 0 ]; then
  echo "--- program log"; tail -n 30 "$results/program.log" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
