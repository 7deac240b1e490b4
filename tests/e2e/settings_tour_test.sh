#!/usr/bin/env bash
# scripts/settings-tour on this build's programs, in the language $3 with the compositor $4
# (on or off), its pictures in a scratch folder. The tour checks config.ini after every step and
# ends with code 0 only when every check passed.
set -uo pipefail

root=$1
bin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build"
ln -s "$bin" "$work/build/bin"

env -u DISPLAY -u WAYLAND_DISPLAY ORVELLE_BUILD_DIR="$work/build" ORVELLE_TOUR_OUTPUT="$work/out" \
  ORVELLE_TOUR_LANGUAGE="$3" ORVELLE_RUN_COMPOSITOR="$4" "$root/scripts/settings-tour"
