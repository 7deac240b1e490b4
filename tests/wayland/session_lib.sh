# Shared by the scripts run as the session's user (effects_session.sh, blank_on_sway.sh,
# windows_on_sway.sh, pen_tip_on_sway.sh): the real program from `bin`, driven by the virtual
# remote on $ORVELLE_VIRTUAL_RECEIVER, and its log.

# start_with_remote <remote script> <duration ms>: starts the remote, then the program; sets
# `remote` and `program`.
start_with_remote() {
    "$bin/orvelle-virtual-remote" --socket "$ORVELLE_VIRTUAL_RECEIVER" --script "$1" --rate 50 --duration "$2" \
        --quiet &
    remote=$!
    "$bin/Orvelle" > "$RESULTS/program.out" 2>&1 &
    program=$!
}

log() { cat "$HOME"/.local/state/Orvelle/log/*.log 2>/dev/null || true; }

# wait_for_log <text> <seconds>: false when the program ended or the text did not come by then.
wait_for_log() {
    local giveup=$((SECONDS + $2))
    while [ "$SECONDS" -lt "$giveup" ]; do
        [ "$(log | grep -cF -- "$1")" -gt 0 ] && return 0
        kill -0 "$program" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
