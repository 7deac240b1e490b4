#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the emulated receiver plays a presenter that
# comes online and keeps reporting, while the real program runs under Xvfb for a while and is
# then asked to end: <seconds> after it logged that it opened the receiver, or once it has had
# 60 s to do so. Variants b and c also send mouse reports a thousand times a second. Leaves in <results>: receiver.log (the emulator's events), program.log (the
# program's day log), program.out (its standard output and error), marks.log.
#
#   guest_program_run.sh <results> <bin-dir> <variant> <seconds>
set -uo pipefail

results=$1
bin=$2
variant=$3
seconds=$4
here=$(cd "$(dirname "$0")" && pwd)

mark() {
    # The emulator stamps its lines with CLOCK_MONOTONIC; these marks use the same clock.
    python3 -c 'import sys, time; print("%.6f %s" % (time.clock_gettime(time.CLOCK_MONOTONIC), sys.argv[1]))' \
        "$1" >> "$results/marks.log"
}

# Everything the program and X write goes to tmpfs; the install folder is in the guest's overlay.
export HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/runtime XDG_CONFIG_HOME=/tmp/home/.config \
    XDG_CACHE_HOME=/tmp/home/.cache XDG_DATA_HOME=/tmp/home/.local/share
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
rm -rf "$bin/log"

# A presenter that is on: online report, then the same report a hundred times a second, as a
# remote keeps reporting; without it the link would time the remote out after five seconds.
cat > /tmp/receiver.script <<'SCRIPT'
report 0x03 0
rate 100
SCRIPT
[ "$variant" = a ] || echo "mouse start 1000" >> /tmp/receiver.script
python3 "$here/uhid_receiver.py" --variant "$variant" --script /tmp/receiver.script \
    --log "$results/receiver.log" &
receiver=$!

Xvfb :9 -nolisten tcp -screen 0 1280x800x24 > /tmp/xvfb.log 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -S /tmp/.X11-unix/X9 ] && break
    sleep 0.1
done

mark "program start"
(cd "$bin" && DISPLAY=:9 ORVELLE_DEBUG_OUTPUT=1 exec ./Orvelle hideWindows) > "$results/program.out" 2>&1 &
program=$!
# Under emulation the program takes ten seconds or more to start; the time it runs with the
# receiver counts from its log line saying it opened it (udev opens the device too, so the
# emulator's open events do not tell).
# Counted in seconds, not turns: a turn of this loop can take long on a loaded emulated machine.
giveup=$((SECONDS + 60))
while [ "$SECONDS" -lt "$giveup" ]; do
    cat "$bin"/log/*.log 2>/dev/null | grep -q "InitHidManager Successful" && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.2
done
mark "receiver opened or given up"
sleep "$seconds"
mark "program sigterm"
kill -TERM "$program" 2>/dev/null
giveup=$((SECONDS + 10))
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
cat "$bin"/log/*.log > "$results/program.log" 2>/dev/null
cp /tmp/xvfb.log "$results/xvfb.log"
exit 0
