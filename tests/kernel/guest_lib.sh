# Shared by the scripts that run inside the kernel guest. Those that run the real program set
# `results` and `bin` before sourcing this file.

# A line "<seconds> <what>" in marks.log. The emulator stamps its lines with CLOCK_MONOTONIC; in a
# guest that never sleeps /proc/uptime counts the same seconds (to 10 ms), and reading it starts
# no process, which takes up to a second under emulation.
mark() {
    local now _
    read -r now _ < /proc/uptime
    echo "$now $1" >> "$results/marks.log"
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
# Whether the program's logs hold <text> at least <count> times (once by default); read whole: an
# early exit would fail the pipe.
program_logged() { [ "$(program_logs | grep -cF -- "$1")" -ge "${2:-1}" ]; }

# Processes of the run that stop_program_and_collect ends: Xvfb, emulators.
helpers=()

# Xvfb on :9; its id goes into `helpers`.
start_xvfb() {
    Xvfb :9 -nolisten tcp -screen 0 1280x800x24 > /tmp/xvfb.log 2>&1 &
    helpers+=($!)
    for _ in $(seq 100); do
        [ -S /tmp/.X11-unix/X9 ] && break
        sleep 0.1
    done
}

# The program hidden in the tray, on Xvfb (as `run_as` when set); sets `program`.
start_program() {
    mark "program start"
    (cd "$bin" && DISPLAY=:9 ORVELLE_DEBUG_OUTPUT=1 exec ${run_as:+setpriv --reuid="$run_as" --regid="$run_as" --init-groups} ./Orvelle hideWindows) \
        > "$results/program.out" 2>&1 &
    program=$!
}

start_xvfb_and_program() {
    start_xvfb
    start_program
}

# An emulated receiver (uhid_receiver.py with these arguments) logging into receiver.log; its id
# goes into `helpers` and `receiver`.
start_receiver() {
    python3 "$here/uhid_receiver.py" --log "$results/receiver.log" "$@" &
    receiver=$!
    helpers+=("$receiver")
}

# wait_until <seconds> <command...>: runs the command every 0.2 s until it succeeds; false when
# the time ran out first. Counted in seconds, not turns: a turn can take long on a loaded emulated
# machine.
wait_until() {
    local giveup=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$giveup" ] || return 1
        sleep 0.2
    done
}

# wait_logged <seconds> <text> [count]: until the day log holds <text> (see program_logged); false
# when the time ran out or the program ended first.
wait_logged() {
    wait_until "$1" logged_or_ended "$2" "${3:-1}" && program_logged "$2" "${3:-1}"
}
logged_or_ended() { program_logged "$1" "$2" || ! kill -0 "$program" 2>/dev/null; }

# wait_receiver <seconds> <text>: until the emulator logged a line "<stamp> <text>" (a script's
# "note <words>", "deaf").
wait_receiver() { wait_until "$1" grep -q -s -x -E "[0-9.]+ $2" "$results/receiver.log"; }

# SIGTERM to the program, killed when it has not ended <limit> seconds later (10 by default).
# exit.txt gets "<milliseconds from the signal to the end> <exit status>": the wait returns as the
# program ends, and the watchdog sleeps in `read` on a pipe, so no polling adds to the time.
end_program() {
    local limit=${1:-10} fifo=/tmp/end-program.fifo started ended status pipe
    rm -f "$fifo" && mkfifo "$fifo"
    exec {pipe}<>"$fifo"
    ( read -r -t "$limit" _ <&"$pipe" ||
        { echo "the program did not end within $limit s of SIGTERM; killed" >> "$results/program.out"
          kill -KILL "$program"; } ) &
    mark "program sigterm"
    started=$EPOCHREALTIME
    kill -TERM "$program" 2>/dev/null
    wait "$program"
    status=$?
    ended=$EPOCHREALTIME
    echo >&"$pipe"
    exec {pipe}>&-
    echo "program exit status $status" >> "$results/program.out"
    echo "$(( (${ended//[.,]/} - ${started//[.,]/}) / 1000 )) $status" > "$results/exit.txt"
}

# The program ended (see end_program, which takes the same argument), then the helpers; the
# program's day log and Xvfb's log are copied into the results.
# shellcheck disable=SC2120 # the time limit is optional
stop_program_and_collect() {
    end_program "$@"
    kill -TERM "${helpers[@]}" 2>/dev/null
    wait "${helpers[@]}" 2>/dev/null
    program_logs > "$results/program.log"
    cp /tmp/xvfb.log "$results/xvfb.log" 2>/dev/null
}

# USB HID devices through the kernel's dummy host controller and the configfs HID gadget: the
# host side is the real usbhid driver with its USB parent, which a uhid device lacks.
# load_dummy_usb <controllers>: sets `udcs` to the dummy controllers' names.
load_dummy_usb() {
    modprobe dummy_hcd num="$1" && modprobe -a libcomposite usb_f_hid usbhid || return 1
    mountpoint -q /sys/kernel/config || mount -t configfs none /sys/kernel/config || return 1
    udcs=()
    for u in /sys/class/udc/*; do [ -e "$u" ] && udcs+=("${u##*/}"); done
    [ "${#udcs[@]}" -ge "$1" ] || { echo "fewer than $1 dummy UDCs: ${udcs[*]}"; return 1; }
}

# hid_gadget <name> <vendor> <product> <udc>: a USB device with the receiver's vendor collection
# (usage page 0xFF01, report 0x0A with 16 bytes each way), plugged into <udc>.
hid_gadget() {
    local g=/sys/kernel/config/usb_gadget/$1
    mkdir -p "$g/strings/0x409" "$g/configs/c.1" "$g/functions/hid.0" || return 1
    echo "$2" > "$g/idVendor"; echo "$3" > "$g/idProduct"
    echo "$1" > "$g/strings/0x409/product"
    echo 0 > "$g/functions/hid.0/protocol"; echo 0 > "$g/functions/hid.0/subclass"
    echo 17 > "$g/functions/hid.0/report_length"
    # In one write(): the gadget keeps only the last write's bytes as the descriptor.
    python3 -c 'import os, sys; os.write(1, bytes.fromhex(sys.argv[1]))' \
        0601ff0900a101850a150026ff00750895100900810209009102c0 > "$g/functions/hid.0/report_desc"
    ln -s "$g/functions/hid.0" "$g/configs/c.1/"
    echo "$4" > "$g/UDC"
}

# Unplugs the gadget <name>; plug_gadget <name> <udc> plugs it again.
unplug_gadget() { echo "" > "/sys/kernel/config/usb_gadget/$1/UDC"; }
plug_gadget() { echo "$2" > "/sys/kernel/config/usb_gadget/$1/UDC"; }

# The gadget's own end of the HID function, /dev/hidgN, where the device reads and writes reports.
gadget_node() {
    local dev
    dev=$(cat "/sys/kernel/config/usb_gadget/$1/functions/hid.0/dev") || return 1
    echo "/dev/$(basename "$(readlink "/sys/dev/char/$dev")")"
}

# hidraw_present <vendor> <product>: whether that HID device has its hidraw node (see hidraw_of).
hidraw_present() { [ -n "$(hidraw_of "$1" "$2")" ]; }

# hidraw_of <vendor> <product>, each 8 hex digits: the host's hidraw node of that HID device.
hidraw_of() {
    local d
    for d in /sys/class/hidraw/hidraw*; do
        grep -qi "^HID_ID=0003:$1:$2$" "$d/device/uevent" 2>/dev/null && { echo "/dev/${d##*/}"; return; }
    done
}
