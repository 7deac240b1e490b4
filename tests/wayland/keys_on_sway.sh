#!/usr/bin/env bash
# Run by run_on_sway.sh as the session's user, over the test slide acting as a presentation
# program (native, a window until Shift+F5, full screen until Escape): the real program, started
# as a user starts it on a Wayland desktop, with no /dev/uinput to write, driven by the virtual
# remote. Twice, from a scratch install folder each time:
#   1. the custom key plays/pauses media; hold page up (the show starts), hold it again (the
#      show ends), hold page down (play/pause after the first second);
#   2. the custom key is the shortcut the recorder stores for Ctrl+Shift+A (left Shift, A);
#      hold page down.
# The slide prints the keys it receives; each run's log lands in $RESULTS as run<N>.log.
#
#   keys_on_sway.sh <bin-dir>
set -uo pipefail

bin=$1
export ORVELLE_VIRTUAL_RECEIVER="$XDG_RUNTIME_DIR/remote.sock"

hold() { # <key> : 1.6 s of reports with that key, then the release
    printf 'repeat 80 {\n  report 0x03 %s\n  wait 20\n}\nreport 0x03 0\nwait 1500\n' "$1"
}

run() { # <n> <custom key> <modifier> <key> <holds...>
    local n=$1 custom=$2 modifier=$3 key=$4
    shift 4
    local install="$RESULTS/install$n"
    rm -rf "$install"
    mkdir -p "$install"
    for f in Orvelle ImgRes.zip InitConfig.ini SetupVersion.txt libHook.so; do
        cp "$bin/$f" "$install/"
    done
    sed -e "/^\[CustomKey\]/,/^\[/{s/^key = .*/key = $custom/;s/^keybordValue1 = .*/keybordValue1 = $modifier/;s/^keybordValue2 = .*/keybordValue2 = $key/}" \
        -e "s/^IsFirstRun = .*/IsFirstRun = 0/" "$bin/InitConfig.ini" > "$install/config.ini"
    { printf 'report 0x03 0\nwait 2000\n'; for h in "$@"; do hold "$h"; done; } > "$RESULTS/remote$n.txt"
    # Where this run's keys start in the slide's output.
    echo "run $n $(wc -l < "$RESULTS/slide.out")" >> "$RESULTS/marks.txt"
    # Without a duration the remote ends with its script.
    "$bin/orvelle-virtual-remote" --socket "$ORVELLE_VIRTUAL_RECEIVER" --script "$RESULTS/remote$n.txt" --rate 50 \
        --quiet &
    local remote=$!
    "$install/Orvelle" hideWindows > "$RESULTS/program$n.out" 2>&1 &
    local program=$!
    local giveup=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$giveup" ] && kill -0 "$remote" 2>/dev/null; do
        sleep 0.2
    done
    kill -TERM "$program" "$remote" 2>/dev/null
    wait "$program" "$remote" 2>/dev/null
    cat "$install"/log/*.log > "$RESULTS/run$n.log" 2>/dev/null
}

run 1 13 -1 -1 1 1 2
run 2 9 160 65 2
exit 0
