# Shared by the Wayland tests: a headless sway (software rendering, one 1280 x 800 output, with
# XWayland) run by a throwaway user, since sway refuses to run as root, and the test slide shown
# full screen on it. Each test sets `build` and `results` before sourcing this file.

wl_user=orvwayland
# ORVELLE_WAYLAND_RUNTIME keeps sessions run side by side (several worktrees) apart.
wl_runtime=${ORVELLE_WAYLAND_RUNTIME:-/tmp/orvelle-wayland-runtime}

# Runs a command as the session's user, in the session's environment.
as_user() {
    setpriv --reuid="$wl_user" --regid="$wl_user" --init-groups \
        env HOME="$wl_runtime/home" XDG_RUNTIME_DIR="$wl_runtime" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" \
        DISPLAY="${DISPLAY:-}" "$@"
}

# start_sway: sets WAYLAND_DISPLAY, DISPLAY (its XWayland) and `sway_pid`; false when sway did
# not come up within 20 s.
start_sway() {
    id "$wl_user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$wl_user" || return 1
    rm -rf "$wl_runtime"
    mkdir -p "$wl_runtime/home"
    chown -R "$wl_user:$wl_user" "$wl_runtime"
    chmod 700 "$wl_runtime"
    # XWayland starts with sway (force), and tells its display through a file.
    cat > "$wl_runtime/sway.conf" <<CONF
xwayland force
output HEADLESS-1 resolution 1280x800 position 0 0
default_border none
exec sh -c 'echo "\$DISPLAY" > $wl_runtime/display'
CONF
    chown "$wl_user" "$wl_runtime/sway.conf"
    WAYLAND_DISPLAY= DISPLAY= setpriv --reuid="$wl_user" --regid="$wl_user" --init-groups \
        env -u DISPLAY -u WAYLAND_DISPLAY HOME="$wl_runtime/home" XDG_RUNTIME_DIR="$wl_runtime" \
        WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=1 \
        sway -c "$wl_runtime/sway.conf" > "$results/sway.log" 2>&1 &
    sway_pid=$!
    local i
    for i in $(seq 200); do
        [ -s "$wl_runtime/display" ] && break
        kill -0 "$sway_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    [ -s "$wl_runtime/display" ] || return 1
    WAYLAND_DISPLAY=$(cd "$wl_runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -n1)
    DISPLAY=$(cat "$wl_runtime/display")
    export WAYLAND_DISPLAY DISPLAY
    [ -n "$WAYLAND_DISPLAY" ] && [ -n "$DISPLAY" ]
}

# start_slide: the test slide, native on Wayland, full screen; false when it did not draw the
# whole output within 20 s. Sets `slide_pid`.
start_slide() {
    as_user env QT_QPA_PLATFORM=wayland "$build/tests/wayland_slide" > "$results/slide.out" 2>&1 &
    slide_pid=$!
    local i
    for i in $(seq 200); do
        grep -q '^shown 1280x800$' "$results/slide.out" 2>/dev/null && return 0
        kill -0 "$slide_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

stop_session() {
    [ -n "${slide_pid:-}" ] && kill "$slide_pid" 2>/dev/null
    [ -n "${sway_pid:-}" ] && kill "$sway_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$wl_runtime"
}
