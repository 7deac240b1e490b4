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
