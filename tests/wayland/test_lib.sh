# Sourced by the Wayland tests (*_test.sh) once they have set `build` and `here`: the session run
# as the compositor's user, and the checks' tally (checks.sh).

. "$here/../support/checks.sh"

# run_session <compositor> <results-name> [run_on.sh's --slide option] <command...>: runs the
# session on a headless compositor and sets `results`, its folder; when the session did not run,
# shows the ends of its logs and ends the test.
run_session() {
    local compositor=$1 name=$2
    shift 2
    results="$build/wayland-results/$name"
    bash "$here/run_on.sh" "$compositor" "$build" "$name" "$@" > /dev/null 2>&1 || {
        echo "FAILED: the session did not run"; tail -n 20 "$results"/*.log "$results/slide.out" 2>/dev/null; exit 1; }
}
