#!/usr/bin/env bash
# The real program on a headless sway over a native full-screen slide (effects_on_sway.sh): each
# effect shows over the slide, the magnifier and the pen over a real frozen picture of it (not
# black), and the slide is back untouched after the last one.
#
#   effects_on_sway_test.sh <build-dir> <bin-dir>
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
results="$build/wayland-results/effects"
bash "$here/run_on_sway.sh" "$build" effects "$here/effects_on_sway.sh" "$bin" > /dev/null 2>&1 || {
    echo "FAILED: the session did not run"; cat "$results/sway.log" "$results/slide.out" 2>/dev/null; exit 1; }

. "$here/../support/checks.sh"
# share <picture> <kind>: the share of its pixels of that kind (slide, black, other).
share() { python3 "$here/picture_share.py" "$results/$1.png" 2>/dev/null | awk -v k="$2" '{ for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }'; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v != "" && v >= lo && v <= hi) }'; }
for p in spotlight laser magnifier pen after; do
    echo "$p: $(python3 "$here/picture_share.py" "$results/$p.png" 2>/dev/null || echo missing)"
done
grep -h "Desktop session" "$results/program.log"

check "the program says it draws its effects on the compositor's overlay layer, with its pictures" \
  'grep -q "Desktop session: Wayland.*effects: compositor overlay layer; frozen pictures: compositor screencopy;.*Qt platform xcb" "$results/program.log"'
for who in Searchlight_UI::Show DigitalLaser_UI::Draw KVOMagnifyManager::Show CPostilDrawWindow::Cover; do
  check "$who on the overlay layer" 'grep -q "$who on the compositor'"'"'s overlay layer" "$results/program.log"'
done
# centre <picture> <kind>: where the pixels of that kind are, on average ("x y").
centre() { python3 "$here/picture_share.py" "$results/$1.png" --centre "$2" 2>/dev/null; }
near() { # <"x y"> <"x y"> <pixels>
  awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { split(a, p, " "); split(b, q, " ");
    exit !((p[1] - q[1]) ^ 2 + (p[2] - q[2]) ^ 2 <= d * d) }'; }
hole=$(centre spotlight slide); dot=$(centre laser other)
point=$(sed -n 's/.*DigitalLaser_UI::Hide x:\([0-9-]*\) y:\([0-9-]*\).*/\1 \2/p' "$results/program.log" | head -n1)
echo "spotlight hole at $hole, laser dot at $dot, laser point $point"
check "the remote's motion moved the spotlight from the screen's centre" '! near "$hole" "640 400" 20'
check "the remote's motion moved the laser from the screen's centre" '! near "$point" "640 400" 20'
check "the laser dot is centred on its point" 'near "$dot" "$point" 2'
check "spotlight: the slide shows through the hole, dimmed around it" \
  'between "$(share spotlight slide)" 0.02 0.5 && between "$(share spotlight other)" 0.5 1'
check "laser: the dot over the slide" 'between "$(share laser slide)" 0.98 0.9999 && between "$(share laser other)" 0.0001 0.02'
check "magnifier: the lens shows the slide, nothing black" \
  'between "$(share magnifier slide)" 0.02 0.5 && between "$(share magnifier black)" 0 0.01'
check "pen: the stroke over the frozen slide, nothing black" \
  'between "$(share pen slide)" 0.95 0.9995 && between "$(share pen black)" 0 0.01'
check "after the last effect the slide is back everywhere" 'between "$(share after slide)" 0.999 1'

if [ "$failures" -ne 0 ]; then
  echo "--- program log"; tail -n 30 "$results/program.log" 2>/dev/null
  echo "--- program output"; tail -n 20 "$results/program.out" 2>/dev/null
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
