#!/usr/bin/env bash
# The real program on a headless compositor without /dev/uinput (keys_session.sh): on sway the
# compositor's virtual keyboard types the slide-show toggle's and the custom key's keys into a
# native window, and the compositor's toplevel list tells the toggle that the show is running; on
# GNOME its remote desktop service types them, and without a window list the toggle's keys go to
# the focused window, a hold leaving the show the hold before started.
#
#   keys_test.sh <build-dir> <bin-dir> sway|mutter
set -uo pipefail

build=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
compositor=$3
. "$here/test_lib.sh"
run_session "$compositor" "keys-$compositor" --slide "--presentation --app-id libreoffice-impress --title talk.odp" \
    "$here/keys_session.sh" "$bin"
# The slide's key and show lines of run <n>, in the order it got them.
lines_of() {
    local from to
    from=$(awk -v n="$1" '$1 == "run" && $2 == n { print $3 }' "$results/marks.txt")
    to=$(awk -v n="$(($1 + 1))" '$1 == "run" && $2 == n { print $3 }' "$results/marks.txt")
    [ -n "$from" ] || return
    sed -n "$((from + 1)),${to:-\$}p" "$results/slide.out" | grep -E '^(key|show) '
}
run1=$(lines_of 1)
run2=$(lines_of 2)
printf '%s\n' "--- run 1" "$run1" | uniq -c | head -n 30
printf '%s\n' "--- run 2" "$run2"
grep -h "Desktop session" "$results/run1.log"

# first_line <text> <in>: the number of the first line of <in> that is <text>, empty when none.
first_line() { printf '%s\n' "$2" | grep -n -x -F -- "$1" | head -n 1 | cut -d: -f1; }
before() { [ -n "$1" ] && [ -n "$2" ] && [ "$1" -lt "$2" ]; }
# Every key pressed is released again: as many releases as presses of each key.
all_released() { printf '%s\n' "$1" | awk '$1 == "key" && $2 != "repeat" { n[$3] += ($2 == "press") ? 1 : -1 }
    END { for (k in n) if (n[k] != 0) { print "held: " k; bad = 1 } exit bad }'; }

# How each desktop types, and how the second hold knows the show runs: sway lists it full
# screen; GNOME cannot see it and leaves the show the hold before started.
case "$compositor" in
sway) session='keys: compositor'"'"'s virtual keyboard (/dev/uinput is not writable); slide-show windows: compositor'"'"'s toplevel list'
      leave='OnPPT Out FullScreen Begin' ;;
mutter) session='keys: GNOME remote desktop (/dev/uinput is not writable); slide-show windows: X11 programs only'
        leave='OnPPT the presentation window cannot be seen' ;;
esac
check "the session line names the desktop's way of typing and of finding windows" 'grep -qF "$session" "$results/run1.log"'
check "holding page up starts the show: Shift+F5 arrives at the native window" \
  'before "$(first_line "key press F5 Shift" "$run1")" "$(first_line "show 1" "$run1")"'
check "holding it again leaves the show with Escape" \
  'grep -qF "$leave" "$results/run1.log" &&
   before "$(first_line "show 1" "$run1")" "$(first_line "key press Esc -" "$run1")" &&
   before "$(first_line "key press Esc -" "$run1")" "$(first_line "show 0" "$run1")"'
check "holding page down then plays/pauses: the media key arrives after the show ended" \
  'before "$(first_line "show 0" "$run1")" "$(first_line "key press Media Play -" "$run1")"'

check "the recorded Ctrl+Shift+A (stored as left Shift and A) arrives in order, A with Shift held" \
  '[ "$(printf "%s\n" "$run2" | grep "^key " | tr "\n" ";")" = "key press Shift Shift;key press A Shift;key release A Shift;key release Shift -;" ]'
check "no key is left down" 'all_released "$run1" && all_released "$run2"'

end_checks "$results/run1.log" "$results/run2.log" "$results/slide.out"
