# Shared by the kernel tests on the host. Each sets `build` and `here` before sourcing it.

# run_guest <results-name> <timeout> <command...>: a fresh results folder under the build's
# kernel-results (in `results`), the command run in the guest; ends the test with FAILED and the
# console's whereabouts when the guest run fails.
run_guest() {
    results="$build/kernel-results/$1"
    local timeout=$2
    shift 2
    rm -rf "$results"
    mkdir -p "$results"
    local started ended status
    started=$(date +%s.%N)
    "$here/run-in-guest" --cache "$build/kernel-guest" --timeout "$timeout" "$results" "$@"
    status=$?
    ended=$(date +%s.%N)
    echo "guest run: $(awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.1f", b - a }') s; $( { tr '\n' ' ' < "$results/timing"; } 2>/dev/null)(guest uptime)"
    if [ "$status" -eq 125 ]; then
        echo "FAILED: QEMU could not start the guest, or the guest never ran the test (see above and $results/serial.log)"
        exit 1
    fi
    if [ "$status" -ne 0 ]; then
        echo "FAILED: the guest run ended with status $status; console in $results/serial.log"
        cat "$results/output.log" 2>/dev/null
        exit 1
    fi
}

# time_of <file> <text>: the stamp of the first line of <file> (marks.log, receiver.log) that
# reads "<stamp> <text>".
time_of() {
    awk -v m="$2" '{ t = $1; $1 = ""; if (substr($0, 2) == m) { print t; exit } }' "$1" 2>/dev/null
}

# outputs [<byte>...]: "<stamp> <bytes>" of each output report in the run's receiver.log that
# starts with these bytes (upper-case hex, as logged).
outputs() {
    awk -v p="$*" '$2 == "output" { line = $3; for (i = 4; i <= NF; i++) line = line " " $i
        if (index(line, p) == 1) print $1, line }' "$results/receiver.log" 2>/dev/null
}

# The program's time from SIGTERM to its end and its exit status, as exit.txt holds them.
read_exit() {
    exit_ms=; exit_status=
    read -r exit_ms exit_status < "$results/exit.txt" 2>/dev/null
}
