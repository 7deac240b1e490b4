# Shared by the Wayland tests: a headless compositor (sway, GNOME's mutter or KDE's KWin; software
# rendering, one output of 1280 x 800 unless told otherwise, with XWayland) run by a throwaway user, since sway refuses to
# run as root, and the test slide shown full screen on it. Each test sets `build` and `results`
# before sourcing this file.

wl_user=orvwayland
# The output's size: ORVELLE_WAYLAND_SIZE=WxH (benchmarks at 1920x1080) changes it; on sway
# ORVELLE_WAYLAND_SCALE sets its scale (a HiDPI screen).
wl_size=${ORVELLE_WAYLAND_SIZE:-1280x800}
wl_width=${wl_size%x*}
wl_height=${wl_size#*x}
# How many outputs KWin's session has (ORVELLE_WAYLAND_OUTPUTS; it keeps its last one on).
wl_outputs=${ORVELLE_WAYLAND_OUTPUTS:-1}
# One folder per session, so sessions started side by side (other checkouts) never share one;
# ORVELLE_WAYLAND_RUNTIME names it instead.
wl_runtime=${ORVELLE_WAYLAND_RUNTIME:-/tmp/orvelle-wayland-$$}

# Runs a command as the session's user, in the session's environment.
as_user() {
    local extra=()
    [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && extra=(DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS")
    [ -n "${XAUTHORITY:-}" ] && extra+=(XAUTHORITY="$XAUTHORITY")
    setpriv --reuid="$wl_user" --regid="$wl_user" --init-groups \
        env HOME="$wl_runtime/home" XDG_RUNTIME_DIR="$wl_runtime" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" \
        DISPLAY="${DISPLAY:-}" "${extra[@]}" "$@"
}

# A fresh runtime folder (and home) for the session's user.
prepare_runtime() {
    id "$wl_user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$wl_user" || return 1
    rm -rf "$wl_runtime"
    mkdir -p "$wl_runtime/home"
    chown -R "$wl_user:$wl_user" "$wl_runtime"
    chmod 700 "$wl_runtime"
}

# Starts a daemon of the session as its user, outside any display, logging to $results/<name>.log;
# its pid joins `session_pids`.
start_daemon() {
    local name=$1
    shift
    setpriv --reuid="$wl_user" --regid="$wl_user" --init-groups \
        env -u DISPLAY -u WAYLAND_DISPLAY HOME="$wl_runtime/home" XDG_RUNTIME_DIR="$wl_runtime" \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$wl_runtime/bus" "$@" > "$results/$name.log" 2>&1 &
    session_pids+=($!)
}

# start_kwin: a headless KDE Plasma compositor (one 1280 x 800 virtual output, with XWayland) on a
# session bus of its own; the programs named in `kwin_trusted` may take pictures of its screen. kwin_wayland carries a file capability, which makes the loader drop the
# session's environment: a plain copy of it runs instead (its QPA plug-in wants the same name).
# Sets WAYLAND_DISPLAY, DISPLAY and DBUS_SESSION_BUS_ADDRESS; false when it did not come up in 20 s.
start_kwin() {
    prepare_runtime || return 1
    session_pids=()
    mkdir -p "$wl_runtime/kwin" && cp "$(command -v kwin_wayland)" "$wl_runtime/kwin/kwin_wayland" || return 1
    chown -R "$wl_user:$wl_user" "$wl_runtime/kwin"
    # KWin hands its screen only to programs whose desktop entry asks for it, as the package's does.
    local apps="$wl_runtime/home/.local/share/applications" program n=0
    mkdir -p "$apps"
    for program in ${kwin_trusted:-}; do
        n=$((n + 1))
        printf '[Desktop Entry]\nType=Application\nName=Trusted %s\nExec=%s\nX-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2\n' \
            "$n" "$(readlink -f "$program")" > "$apps/orvelle-trusted-$n.desktop"
    done
    chown -R "$wl_user:$wl_user" "$wl_runtime/home"
    start_daemon dbus dbus-daemon --session --nofork --nopidfile --address="unix:path=$wl_runtime/bus"
    local i
    for i in $(seq 50); do [ -S "$wl_runtime/bus" ] && break; sleep 0.1; done
    # KWin starts the program named last in its session once XWayland is up: it tells the display.
    printf '#!/bin/sh\necho "$DISPLAY" > %s/display\nexec sleep infinity\n' "$wl_runtime" > "$wl_runtime/kwin/tell-display"
    chmod 755 "$wl_runtime/kwin/tell-display"
    start_daemon kwin env ${KWIN_ENV:-} "$wl_runtime/kwin/kwin_wayland" --virtual --xwayland --width "$wl_width" --height "$wl_height" \
        --output-count "$wl_outputs" \
        --socket wayland-orvelle "$wl_runtime/kwin/tell-display"
    for i in $(seq 200); do
        [ -S "$wl_runtime/wayland-orvelle" ] && [ -s "$wl_runtime/display" ] && break
        sleep 0.1
    done
    [ -S "$wl_runtime/wayland-orvelle" ] && [ -s "$wl_runtime/display" ] || return 1
    export WAYLAND_DISPLAY=wayland-orvelle DISPLAY=$(cat "$wl_runtime/display") \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$wl_runtime/bus"
}

# start_mutter: a headless GNOME compositor (one 1280 x 800 virtual monitor, with XWayland) on a
# session bus of its own, with PipeWire and its session manager for the screen cast. Sets
# WAYLAND_DISPLAY, DISPLAY and DBUS_SESSION_BUS_ADDRESS; false when it did not come up in 20 s.
start_mutter() {
    prepare_runtime || return 1
    session_pids=()
    start_daemon dbus dbus-daemon --session --nofork --nopidfile --address="unix:path=$wl_runtime/bus"
    local i
    for i in $(seq 50); do [ -S "$wl_runtime/bus" ] && break; sleep 0.1; done
    # Windows appear at once, not faded in: a picture taken right after the slide drew shows it.
    setpriv --reuid="$wl_user" --regid="$wl_user" --init-groups env HOME="$wl_runtime/home" \
        XDG_RUNTIME_DIR="$wl_runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$wl_runtime/bus" \
        gsettings set org.gnome.desktop.interface enable-animations false || return 1
    start_daemon pipewire pipewire
    for i in $(seq 50); do [ -S "$wl_runtime/pipewire-0" ] && break; sleep 0.1; done
    start_daemon wireplumber wireplumber
    start_daemon mutter mutter --headless --wayland --virtual-monitor "$wl_size" --wayland-display=wayland-orvelle
    local display=
    for i in $(seq 200); do
        display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$results/mutter.log" | head -n1)
        [ -S "$wl_runtime/wayland-orvelle" ] && [ -n "$display" ] && break
        sleep 0.1
    done
    [ -S "$wl_runtime/wayland-orvelle" ] && [ -n "$display" ] || return 1
    # Its XWayland lets in only the holders of the cookie it wrote.
    local cookie
    cookie=$(ls "$wl_runtime"/.mutter-Xwaylandauth.* 2>/dev/null | head -n1)
    [ -n "$cookie" ] || return 1
    export WAYLAND_DISPLAY=wayland-orvelle DISPLAY=$display DBUS_SESSION_BUS_ADDRESS="unix:path=$wl_runtime/bus" \
        XAUTHORITY=$cookie
    # The seat's keyboard, which a headless compositor lacks.
    start_daemon seat-keyboard python3 "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/seat_keyboard.py"
    for i in $(seq 50); do grep -q '^ready' "$results/seat-keyboard.log" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

# start_sway: sets WAYLAND_DISPLAY, DISPLAY (its XWayland) and `sway_pid`; false when sway did
# not come up within 20 s.
start_sway() {
    prepare_runtime || return 1
    # XWayland starts with sway (force), and tells its display through a file.
    cat > "$wl_runtime/sway.conf" <<CONF
xwayland force
output HEADLESS-1 resolution $wl_size position 0 0 scale ${ORVELLE_WAYLAND_SCALE:-1}
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

# start_slide [slide options...]: the test slide, native on Wayland, full screen unless the
# options say otherwise; false when it did not draw the whole output within 20 s. Sets `slide_pid`.
start_slide() {
    as_user env QT_QPA_PLATFORM=wayland "$build/tests/wayland_slide" "$@" > "$results/slide.out" 2>&1 &
    slide_pid=$!
    # A presentation program shows a window of the compositor's choosing until its show starts.
    local shown="^shown ${wl_size}\$" i
    case " $* " in *" --presentation "*) shown='^shown ' ;; esac
    for i in $(seq 200); do
        if grep -q "$shown" "$results/slide.out" 2>/dev/null; then
            # Drawn is not yet shown: GNOME's compositor puts it on screen a few frames later.
            sleep 1
            return 0
        fi
        kill -0 "$slide_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

stop_session() {
    [ -n "${slide_pid:-}" ] && kill "$slide_pid" 2>/dev/null
    [ -n "${sway_pid:-}" ] && kill "$sway_pid" 2>/dev/null
    local pid
    for pid in "${session_pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$wl_runtime"
}
