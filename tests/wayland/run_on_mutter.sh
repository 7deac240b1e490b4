#!/usr/bin/env bash
# Runs a command as the session's user on a headless GNOME compositor that shows the test slide
# full screen; its exit status is the test's. Fails when the compositor or the slide does not
# come up.
#
#   run_on_mutter.sh <build-dir> <results-name> <command...>
set -uo pipefail

build=$(cd "$1" && pwd)
results="$build/wayland-results/$2"
shift 2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$results"
mkdir -p "$results"
chmod 777 "$results"
. "$here/wayland_lib.sh"
trap stop_session EXIT

if ! start_mutter; then
    echo "FAILED: headless mutter did not start"; tail -n 20 "$results"/*.log; exit 1
fi
if ! start_slide; then
    echo "FAILED: the test slide did not show"; cat "$results/slide.out"; tail -n 20 "$results/mutter.log"; exit 1
fi
as_user env RESULTS="$results" "$@"
