#!/usr/bin/env bash
# Run by run_on.sh as the session's user: the screenshot over the native full-screen slide. Five
# presses of the function key select the screenshot, the do key starts it; the pointer drags from
# (100, 100) to (500, 400) and Enter saves. On sway the pointer and the keyboard are virtual
# devices of the compositor's (the selection is on its overlay layer); on GNOME the selection is
# an XWayland window with the focus, which XTest reaches. The output while dragging, on sway with
# the pointer resting in the selection after it, and the saved picture go to $RESULTS.
#
#   screenshot_session.sh <bin-dir> <tests-dir> sway|mutter
set -uo pipefail

bin=$1
tests=$2
compositor=$3
export ORVELLE_VIRTUAL_RECEIVER="$XDG_RUNTIME_DIR/remote-screenshot.sock"
mkdir -p "$HOME/.config/Orvelle" "$HOME/pictures"
printf 'XDG_PICTURES_DIR="%s/pictures"\n' "$HOME" > "$HOME/.config/user-dirs.dirs"
# A settings file of this version, so that the first-run defaults keep the function list.
printf '[FunSelect]\nNewVersion = 1\nSelValue = 123456\nIsUsed = 111111\nMouse_SelValue = 123456\nMouse_IsUsed = 111111\n' \
    > "$HOME/.config/Orvelle/config.ini"
{
    printf 'report 0x03 0\nwait 1500\n'
    for _ in 1 2 3 4 5; do printf 'report 0x03 8\nwait 50\nreport 0x03 0\nwait 300\n'; done
    printf 'report 0x03 4\nwait 100\nreport 0x03 0\nwait 30000\n'
} > "$RESULTS/remote.txt"
. "$(dirname "$0")/session_lib.sh"
# On sway the requests of the program's own Wayland connections go to program.out: the pointer's
# look over the selection is one of them.
[ "$compositor" = sway ] && export WAYLAND_DEBUG=client
start_with_remote "$RESULTS/remote.txt" 40000
unset WAYLAND_DEBUG
if wait_for_log "KVO_SCREEN_SHOT_INI" 40; then
    sleep 1.5
    if [ "$compositor" = sway ]; then
        "$tests/wayland_pointer" move 100 100 press move 300 250 move 500 400
        grim "$RESULTS/selecting.png"
        "$tests/wayland_pointer" release move 300 250
        grim -c "$RESULTS/pointer.png"
        wtype -k Return
    else
        xdotool mousemove 100 100 mousedown 1 mousemove 300 250 mousemove 500 400
        sleep 0.5
        "$tests/desktop_picture" "$RESULTS/selecting.png"
        xdotool mouseup 1 key Return
    fi
    wait_for_log "KVO_SCREEN_SHOT_COMPLETE" 10
    cp "$HOME"/pictures/Screenshots/*.png "$RESULTS/saved.png" 2>/dev/null
fi
kill -TERM "$program" "$remote" 2>/dev/null
wait "$program"
log > "$RESULTS/program.log"
exit 0
