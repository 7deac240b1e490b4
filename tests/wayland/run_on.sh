#!/usr/bin/env bash
# Runs a command as the session's user on a headless compositor (sway, mutter or kwin) that shows
# the test slide full screen; its exit status is the test's. Fails when the compositor or the
# slide does not come up.
#
#   [kwin_trusted="program..."] run_on.sh sway|mutter|kwin <build-dir> <results-name>
#       [--slide "<slide options>"] <command...>
set -uo pipefail

compositor=$1
build=$(cd "$2" && pwd)
results="$build/wayland-results/$3"
shift 3
slide_options=()
if [ "${1:-}" = --slide ]; then
    read -r -a slide_options <<< "$2"
    shift 2
fi
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$results"
mkdir -p "$results"
chmod 777 "$results"
. "$here/wayland_lib.sh"
trap stop_session EXIT

if ! id "$wl_user" >/dev/null 2>&1 && ! useradd -M -s /usr/sbin/nologin "$wl_user"; then
    echo "FAILED: cannot make the session's user $wl_user"; exit 1
fi
if ! setpriv --reuid="$wl_user" --regid="$wl_user" --init-groups test -x "$build/tests/wayland_slide"; then
    echo "FAILED: $wl_user cannot run programs in $build (every folder above it must be open to others)"; exit 1
fi

# On KDE Plasma the command's program may take pictures of the screen, unless told otherwise.
kwin_trusted=${kwin_trusted:-$1}
if ! "start_$compositor"; then
    echo "FAILED: headless $compositor did not start"; tail -n 20 "$results"/*.log; exit 1
fi
if ! start_slide "${slide_options[@]}"; then
    echo "FAILED: the test slide did not show"; cat "$results/slide.out"; tail -n 20 "$results"/*.log; exit 1
fi
as_user env RESULTS="$results" "$@"
