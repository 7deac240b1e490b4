# Shared by the scripts that run the real program inside the kernel guest. Each sets `results`
# and `bin` before sourcing this file.

mark() {
    # The emulator stamps its lines with CLOCK_MONOTONIC; these marks use the same clock.
    python3 -c 'import sys, time; print("%.6f %s" % (time.clock_gettime(time.CLOCK_MONOTONIC), sys.argv[1]))' \
        "$1" >> "$results/marks.log"
}

# Everything the program and X write goes to tmpfs; the install folder is in the guest's overlay.
# With `run_as` set to a user name, that user owns the folders and runs the program; the install
# folder is then not theirs to write, so the program keeps its log in XDG_STATE_HOME.
prepare_user_folders() {
    export HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/runtime XDG_CONFIG_HOME=/tmp/home/.config \
        XDG_CACHE_HOME=/tmp/home/.cache XDG_DATA_HOME=/tmp/home/.local/share \
        XDG_STATE_HOME=/tmp/home/.local/state
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    [ -z "${run_as:-}" ] || chown -R "$run_as" "$HOME" "$XDG_RUNTIME_DIR"
    rm -rf "$bin/log"
}

# The program's day logs so far, wherever it keeps them.
program_logs() { cat "$bin"/log/*.log "$XDG_STATE_HOME"/Orvelle/log/*.log 2>/dev/null || true; }
# Whether the program's logs hold <text> (read whole: an early exit would fail the pipe).
program_logged() { [ "$(program_logs | grep -cF -- "$1")" -gt 0 ]; }

# Xvfb on :9, then the program hidden in the tray; sets `xvfb` and `program`.
start_xvfb_and_program() {
    Xvfb :9 -nolisten tcp -screen 0 1280x800x24 > /tmp/xvfb.log 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
        [ -S /tmp/.X11-unix/X9 ] && break
        sleep 0.1
    done
    mark "program start"
    (cd "$bin" && DISPLAY=:9 ORVELLE_DEBUG_OUTPUT=1 exec ${run_as:+setpriv --reuid="$run_as" --regid="$run_as" --init-groups} ./Orvelle hideWindows) \
        > "$results/program.out" 2>&1 &
    program=$!
}

# SIGTERM to the program (killed after 10 s), then the emulator (`receiver`) and Xvfb end; the
# program's day log is copied into the results.
stop_program_and_collect() {
    mark "program sigterm"
    kill -TERM "$program" 2>/dev/null
    local giveup=$((SECONDS + 10))
    while [ "$SECONDS" -lt "$giveup" ]; do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$program" 2>/dev/null; then
        echo "the program did not end within 10 s of SIGTERM; killed" >> "$results/program.out"
        kill -KILL "$program"
    fi
    wait "$program"
    echo "program exit status $?" >> "$results/program.out"
    kill -TERM "$receiver" "$xvfb" 2>/dev/null
    wait "$receiver" "$xvfb" 2>/dev/null
    program_logs > "$results/program.log"
    cp /tmp/xvfb.log "$results/xvfb.log" 2>/dev/null
}
