#!/usr/bin/env bash
# scripts/run without a display, as a new user runs it first: on a copy of the built programs
# whose install folder has no log/ yet. It must end with code 0, leave its pictures and show
# the connection lines of this run's log.
set -uo pipefail

root=$1
bin=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build"
cp -a "$bin" "$work/build/bin"
rm -rf "$work/build/bin/log" "$work/build/bin/config.ini"

env -u DISPLAY -u WAYLAND_DISPLAY ORVELLE_BUILD_DIR="$work/build" ORVELLE_RUN_OUTPUT="$work/out" \
  "$root/scripts/run" >"$work/run.txt" 2>&1
status=$?

. "$root/tests/support/checks.sh"
check "scripts/run ends with code 0 (was $status)" '[ "$status" -eq 0 ]'
check "the settings window picture is there" '[ -s "$work/out/settings-window.png" ]'
check "the screen picture is there" '[ -s "$work/out/screen.png" ]'
check "the spotlight and laser pictures are there" '[ -s "$work/out/spotlight.png" ] && [ -s "$work/out/laser.png" ]'
check "the day's log was created" 'ls "$work/build/bin/log/"*.log >/dev/null 2>&1'
check "the receiver was opened" 'grep -q "InitHidManager Successful Presenter" "$work/run.txt"'
check "the remote got its parameters" 'grep -q "SynchDeviceParamters() presenter speed:" "$work/run.txt"'
check "the remote received frames" 'grep -Eq "remote-frames.txt \([1-9][0-9]* lines\)" "$work/run.txt"'

if [ "$failures" -ne 0 ]; then
  echo "--- output of scripts/run"
  cat "$work/run.txt"
fi
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
