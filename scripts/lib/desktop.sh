# Shared by the scripts that show the real program on a virtual display (scripts/run,
# scripts/settings-tour): the build, a virtual X server with a desktop on it, and the clean-up of
# everything started. Source it from a script that runs with `set -euo pipefail` and has `root`
# set to the project folder.

fail() {
  echo "${desktop_name:-desktop}: $*" >&2
  exit 1
}

# Builds the program, its skin and the virtual remote into ORVELLE_BUILD_DIR (default build/); a
# folder that holds only the built programs in bin/ (no build.ninja) is used as it is. Sets `build`.
desktop_build() {
  build=${ORVELLE_BUILD_DIR:-build}
  "$root/scripts/install-deps" || fail "installing the packages failed (see above)"
  if [ -f "$build/build.ninja" ]; then
    cmake --build "$build" --target Orvelle orvelle_resources orvelle-virtual-remote Hook ||
      fail "the build in $build failed"
  elif [ -x "$build/bin/Orvelle" ] && [ -x "$build/bin/orvelle-virtual-remote" ]; then
    echo "${desktop_name}: using the programs in $build/bin as they are (no build.ninja there)"
  else
    cmake -S "$root" -B "$build" -G Ninja || fail "configuring $build failed"
    cmake --build "$build" --target Orvelle orvelle_resources orvelle-virtual-remote Hook ||
      fail "the build in $build failed"
  fi
}

# Everything started here, ended newest first (the program before its display), and the scratch
# folder `work`.
pids=()
work=$(mktemp -d) || fail "cannot create a scratch folder"
desktop_cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    for _ in $(seq 1 30); do
      kill -0 "${pids[i]}" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap desktop_cleanup EXIT INT TERM

# Starts Xvfb of size $1 (WIDTHxHEIGHT) on a display number the server chooses, then the
# compositing manager (unless ORVELLE_RUN_COMPOSITOR=off), openbox and a tray. Exports DISPLAY.
desktop_start() {
  for tool in Xvfb xcompmgr openbox trayer xdotool import convert display; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
  done
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  exec 3>&-
  for _ in $(seq 1 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start (its output is above)"; }
  export DISPLAY=":$(head -n1 "$work/display")"
  unset QT_QPA_PLATFORM
  echo "${desktop_name}: virtual display $DISPLAY"
  if [ "${ORVELLE_RUN_COMPOSITOR:-on}" != off ]; then
    xcompmgr >/dev/null 2>&1 &
    pids+=($!)
  fi
  openbox >/dev/null 2>&1 &
  pids+=($!)
  trayer --edge bottom --align right >/dev/null 2>&1 &
  pids+=($!)
}

# The program's largest viewable window, waiting up to 10 s for one wider than 300 pixels
# (the settings window; the preview layer and the message windows are smaller). Prints its id.
desktop_settings_window() {
  local window="" largest id size area
  for _ in $(seq 1 100); do
    largest=0
    for id in $(xdotool search --onlyvisible --classname '^Orvelle$' 2>/dev/null); do
      size=$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
      [ -n "$size" ] || continue
      area=$((${size% *} * ${size#* }))
      if [ "${size% *}" -gt 300 ] && [ "$area" -gt "$largest" ]; then
        largest=$area
        window=$id
      fi
    done
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] && echo "$window"
}
