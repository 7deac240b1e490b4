#!/usr/bin/env bash
# What the spotlight and the laser cost a Wayland desktop: the real Orvelle on a headless sway
# (software rendering, 1280 x 800) over the native full-screen test slide, the effect drawn as
# surfaces of sway's overlay layer (sway offers layer-shell), the virtual remote playing
# bench_effects_cpu's script (effect selected and idle, do key held still, then a circle at 100
# reports a second). The figure is the CPU of Orvelle, sway and XWayland (which still carries the
# settings window and the tray) together, from /proc/<pid>/stat, beside the X11 figures of
# bench_effects_cpu.
#
#   bench/bench_effects_sway.sh [build-dir] [seconds per window, default 10]
# Run as root (sway runs as a throwaway user, as in tests/wayland).
set -uo pipefail

build=$(cd "${1:-build}" && pwd)
seconds=${2:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
results="$build/bench-sway"
rm -rf "$results" && mkdir -p "$results" && chmod 777 "$results"
. "$root/tests/wayland/wayland_lib.sh"
trap stop_session EXIT
start_sway && start_slide || { echo "bench_effects_sway: sway or the slide did not start" >&2; exit 1; }

# ours <name>: the process of that name run in this session.
ours() {
    local p
    for p in $(pgrep -u "$wl_user" -f "(^|/)$1( |\$)"); do
        tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$wl_runtime" && { echo "$p"; return; }
    done
}
ticks() { [ -n "$1" ] || { echo 0; return; }; awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
sum_ticks() { local t=0 p; for p in "$@"; do t=$((t + $(ticks "$p"))); done; echo "$t"; }
hz=$(getconf CLK_TCK)
margin=1

for effect in spotlight laser; do
    "$build/bench/bench_effects_cpu" --print-script --effect "$effect" --seconds "$seconds" > "$results/$effect.txt"
    chmod 644 "$results/$effect.txt"
    socket="$wl_runtime/remote-$effect.sock"
    as_user "$build/bin/orvelle-virtual-remote" --socket "$socket" --script "$results/$effect.txt" --rate 100 \
        --quiet > /dev/null 2>&1 &
    rm -rf "$wl_runtime/home/.local/state/Orvelle"
    as_user env ORVELLE_VIRTUAL_RECEIVER="$socket" "$build/bin/Orvelle" hideWindows > "$results/$effect.out" 2>&1 &
    # The processes themselves, not the shells that started them as the session's user, and only
    # this session's: other sessions of the same user may run beside it.
    program=
    for _ in $(seq 100); do
        program=$(ours Orvelle)
        [ -n "$program" ] && break
        sleep 0.1
    done
    remote=$(ours orvelle-virtual-remote)
    xwayland=$(ours Xwayland)
    shown_line=$([ "$effect" = spotlight ] && echo "Searchlight_UI::Show x:" || echo "DigitalLaser_UI::Draw")
    for _ in $(seq 600); do
        cat "$wl_runtime"/home/.local/state/Orvelle/log/*.log 2>/dev/null | grep -qF "$shown_line" && break
        sleep 0.1
    done
    # The shown phase started with the first show; the moving phase follows one phase later.
    phase=$((seconds + 2 * margin))
    for window in shown moving; do
        sleep "$margin"
        a=$(sum_ticks "$program" "$sway_pid" "$xwayland"); o=$(ticks "$program"); s=$(ticks "$sway_pid"); x=$(ticks "$xwayland")
        t0=$(date +%s.%N)
        sleep "$seconds"
        b=$(sum_ticks "$program" "$sway_pid" "$xwayland"); o2=$(ticks "$program"); s2=$(ticks "$sway_pid"); x2=$(ticks "$xwayland")
        t1=$(date +%s.%N)
        awk -v e="$effect" -v w="$window" -v a="$a" -v b="$b" -v o="$((o2 - o))" -v s="$((s2 - s))" -v x="$((x2 - x))" \
            -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN { d = t1 - t0;
            printf "%-9s %-7s cpu %6.2f %% of one core (Orvelle %.2f, sway %.2f, Xwayland %.2f) over %.1f s\n",
                   e, w, 100 * (b - a) / hz / d, 100 * o / hz / d, 100 * s / hz / d, 100 * x / hz / d, d }'
        sleep "$margin"
    done
    kill "$program" "$remote" 2>/dev/null
    while kill -0 "$program" 2>/dev/null; do sleep 0.2; done
done
