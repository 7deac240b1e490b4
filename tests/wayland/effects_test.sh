#!/usr/bin/env bash
# The real program on a headless compositor over a native full-screen slide (effects_session.sh):
# each effect shows over the slide, the magnifier and the pen over a real frozen picture of it
# (not black), and the slide is back untouched after the last one.
#
#   effects_test.sh <build-dir> <bin-dir> sway|mutter|kwin
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
compositor=$3
case "$compositor" in
    # sway's own pictures; GNOME's and KDE's come from their services, as the program takes them.
    sway) picture=grim; capture="compositor screencopy"; overlay="compositor overlay layer" ;;
    mutter) picture="$build/tests/desktop_picture"; capture="GNOME screen cast (PipeWire)"; overlay="X11 windows on XWayland" ;;
    kwin) picture="$build/tests/desktop_picture"; capture="KWin screenshot service"; overlay="compositor overlay layer" ;;
    *) echo "unknown compositor $compositor"; exit 2 ;;
esac
# On KWin both the program and the picture taker may take pictures of the screen.
. "$here/test_lib.sh"
kwin_trusted="$bin/Orvelle $build/tests/desktop_picture"
export kwin_trusted
run_session "$compositor" "effects-$compositor" "$here/effects_session.sh" "$bin" "$picture"
# share <picture> <kind>: the share of its pixels of that kind (slide, black, other), or where the
# slide's own pixels lie (x, y: their centre as a share of the width and the height).
share() { awk -v k="$2" '{ for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }' "$results/$1.share" 2>/dev/null; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v != "" && v >= lo && v <= hi) }'; }
for p in spotlight laser magnifier pen after; do
    python3 "$here/picture_share.py" "$results/$p.png" > "$results/$p.share" 2>/dev/null || echo missing > "$results/$p.share"
    echo "$p: $(cat "$results/$p.share")"
done
grep -h "Desktop session" "$results/program.log"

check "the program says where it draws its effects and takes its pictures" \
  'grep -q "Desktop session: Wayland.*effects: $overlay; frozen pictures: $capture;.*Qt platform xcb" "$results/program.log"'
if [ "$overlay" = "compositor overlay layer" ]; then
  for who in Searchlight_UI::Show DigitalLaser_UI::Draw KVOMagnifyManager::Show CPostilDrawWindow::Cover; do
    check "$who on the overlay layer" 'grep -q "$who on the compositor'"'"'s overlay layer" "$results/program.log"'
  done
fi
# centre <picture> <kind>: where the pixels of that kind are, on average ("x y").
centre() { python3 "$here/picture_share.py" "$results/$1.png" --centre "$2" 2>/dev/null; }
near() { # <"x y"> <"x y"> <pixels>
  awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { split(a, p, " "); split(b, q, " ");
    exit !((p[1] - q[1]) ^ 2 + (p[2] - q[2]) ^ 2 <= d * d) }'; }
dot=$(centre laser other)
point=$(sed -n 's/.*DigitalLaser_UI::Hide x:\([0-9-]*\) y:\([0-9-]*\).*/\1 \2/p' "$results/program.log" | head -n1)
echo "laser dot at $dot, laser point $point"
check "the remote's motion moved the laser from the screen's centre" '! near "$point" "640 400" 20'
check "the laser dot is centred on its point" 'near "$dot" "$point" 2'
# The remote moved right and down while the do key was held: the hole follows from the centre.
check "spotlight: the slide shows through the hole, dimmed around it" \
  'between "$(share spotlight slide)" 0.02 0.5 && between "$(share spotlight other)" 0.5 1'
check "spotlight: the hole is where the motion put it, right of and below the centre" \
  'between "$(share spotlight x)" 0.56 0.9 && between "$(share spotlight y)" 0.53 0.9'
check "laser: the dot over the slide" 'between "$(share laser slide)" 0.98 0.9999 && between "$(share laser other)" 0.0001 0.02'
check "magnifier: the lens shows the slide, nothing black" \
  'between "$(share magnifier slide)" 0.02 0.5 && between "$(share magnifier black)" 0 0.01'
check "magnifier: the lens is where the motion put it" \
  'between "$(share magnifier x)" 0.56 0.9 && between "$(share magnifier y)" 0.53 0.9'
check "pen: the stroke over the frozen slide, nothing black" \
  'between "$(share pen slide)" 0.95 0.9995 && between "$(share pen black)" 0 0.01'
check "after the last effect the slide is back everywhere" 'between "$(share after slide)" 0.999 1'

end_checks "$results/program.log" "$results/program.out"
