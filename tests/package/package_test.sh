#!/usr/bin/env bash
# The Debian package: built with cpack in the build folder every time. Installed for real only in
# CI (CI=true) or when asked (ORVELLE_TEST_PACKAGE=1), as root: apt-get installs it, a throwaway
# unprivileged user runs /opt/orvelle/Orvelle under Xvfb with a tray host (the icon must appear,
# config.ini and the log must land in the user's own folders, nothing may be written under
# /opt/orvelle), then apt-get removes it (no file of the package may stay) and the user goes.
#
#   tests/package/package_test.sh <build folder>
set -uo pipefail

build=$(cd "$1" && pwd)

echo "-- building the package in $build"
rm -f "$build"/orvelle_*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || { tail -n 40 "$build/cpack.log"; echo "cpack failed"; exit 1; }
deb=$(ls "$build"/orvelle_*.deb)
echo "ok: $deb built"

if [ "${CI:-}" != "true" ] && [ "${ORVELLE_TEST_PACKAGE:-}" != "1" ]; then
  echo "skipped: installing the package (only with CI=true or ORVELLE_TEST_PACKAGE=1; it installs as root)"
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "FAILED: installing the package needs root"
  exit 1
fi
if dpkg-query -W -f='${db:Status-Status}' orvelle 2>/dev/null | grep -q installed; then
  echo "FAILED: a package named orvelle is installed already; it is left alone"
  exit 1
fi

user="orvtest$$"
work=$(mktemp -d)
chmod 755 "$work"
xvfb_pid=""
trayer_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$trayer_pid" ] && kill "$trayer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  id "$user" >/dev/null 2>&1 && userdel -r "$user" >/dev/null 2>&1
  if dpkg-query -W orvelle >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -q orvelle >/dev/null 2>&1
    dpkg --purge orvelle >/dev/null 2>&1
  fi
  rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/../support/checks.sh"
wait_for() {  # seconds, condition
  local end=$((SECONDS + $1))
  while [ $SECONDS -lt $end ]; do
    eval "$2" && return 0
    sleep 0.2
  done
  eval "$2"
}

echo "-- installing $deb"
cp "$deb" "$work/"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$work/$(basename "$deb")" \
  >"$work/apt-install.log" 2>&1
installed=$?
check "apt-get install of the package" '[ $installed -eq 0 ] || { tail -n 20 "$work/apt-install.log"; false; }'
dpkg -L orvelle | while read -r f; do [ -f "$f" ] && echo "$f"; done | sort >"$work/files.txt"
check "the programs and their plug-ins are under /opt/orvelle" \
  '[ -x /opt/orvelle/Orvelle ] && [ -x /opt/orvelle/OrvelleServer ] && [ -f /opt/orvelle/libHook.so ] &&
   [ -f /opt/orvelle/libScreenSnapshot.so ]'
check "udev rule, menu entry, icon and log-on entry are in place" \
  '[ -f /usr/lib/udev/rules.d/70-orvelle-receiver.rules ] && [ -f /usr/share/applications/orvelle.desktop ] &&
   [ -f /usr/share/icons/hicolor/128x128/apps/orvelle.png ] && [ -f /etc/xdg/autostart/QuillonServer.desktop ]'
check "the installed desktop entries are valid" \
  'desktop-file-validate /usr/share/applications/orvelle.desktop /etc/xdg/autostart/QuillonServer.desktop'
find /opt/orvelle -printf '%p %s %T@\n' | sort >"$work/opt-before.txt"

echo "-- running Orvelle as the unprivileged user $user"
useradd -m -s /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
exec 3<> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 10 '[ -s "$work/displayfd" ]'
display=":$(head -n1 "$work/displayfd")"
if command -v trayer >/dev/null 2>&1; then
  DISPLAY=$display trayer >/dev/null 2>&1 &
  trayer_pid=$!
  sleep 0.5
fi
runtime="$work/runtime"
mkdir -p "$runtime" && chown "$user" "$runtime" && chmod 700 "$runtime"
# setpriv execs the program itself, so $! is Orvelle's own id.
setpriv --reuid "$user" --regid "$user" --init-groups env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin DISPLAY="$display" \
  XDG_RUNTIME_DIR="$runtime" /opt/orvelle/Orvelle hideWindows >"$work/orvelle.txt" 2>&1 &
program_pid=$!
logs="$home/.local/state/Orvelle/log"
check "Orvelle started as $user" 'wait_for 20 "grep -qs \"Orvelle started in\" \"$logs\"/*.log"'
if [ -n "$trayer_pid" ]; then
  check "its tray icon appears" 'wait_for 10 "grep -qs \"CTrayIcon::Show tray icon added\" \"$logs\"/*.log"'
fi
check "config.ini is in the user's own folder" '[ -s "$home/.config/Orvelle/config.ini" ]'
check "the skin is unpacked into the user's cache" '[ -f "$home/.cache/Orvelle/ImgRes/MainUI.xml" ]'
kill "$program_pid" 2>/dev/null
wait_for 5 '! kill -0 "$program_pid" 2>/dev/null'
program_pid=""

# The launcher of the package, as the same user: Orvelle is not running, so three seconds after
# its start the launcher starts it, and its own log goes to the user's state folder as well.
setpriv --reuid "$user" --regid "$user" --init-groups env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin \
  DISPLAY="$display" XDG_RUNTIME_DIR="$runtime" /opt/orvelle/OrvelleServer >"$work/launcher.txt" 2>&1 &
launcher_pid=$!
orvelle_pids() {
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = /opt/orvelle/Orvelle ] && echo "${p#/proc/}"
  done
}
check "the launcher starts Orvelle hidden and logs in the user's state folder" \
  'wait_for 10 "[ -n \"\$(orvelle_pids)\" ]" &&
   grep -qs "ThreadStartApp() call  start ShellExecute..0!" "$home/.local/state/Orvelle/ServerLog.log"'
check "the launcher wrote the user's log-on entry" \
  'grep -qs "^Exec=\"/opt/orvelle/OrvelleServer\"$" "$home/.config/autostart/QuillonServer.desktop"'
kill "$launcher_pid" 2>/dev/null
for p in $(orvelle_pids); do kill "$p"; done
wait_for 5 '[ -z "$(orvelle_pids)" ] && ! kill -0 "$launcher_pid" 2>/dev/null'
find /opt/orvelle -printf '%p %s %T@\n' | sort >"$work/opt-after.txt"
check "nothing was written under /opt/orvelle" 'diff "$work/opt-before.txt" "$work/opt-after.txt"'

echo "-- removing the package"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -q orvelle >"$work/apt-remove.log" 2>&1
removed=$?
check "apt-get remove of the package" '[ $removed -eq 0 ] || { tail -n 20 "$work/apt-remove.log"; false; }'
check "no file of the package is left" '! xargs -r ls -d 2>/dev/null <"$work/files.txt" | grep . && [ ! -e /opt/orvelle ]'
# The package keeps its remove script until purged; purging leaves dpkg with no trace of it.
dpkg --purge orvelle >/dev/null 2>&1
check "dpkg forgets the package on purge" '! dpkg-query -W orvelle >/dev/null 2>&1'
# userdel refuses a user that still runs anything: whatever of the user's is left (a program
# still ending, a helper it started) goes first.
pkill -KILL -u "$user" 2>/dev/null
wait_for 5 '! pgrep -u "$user" >/dev/null'
userdel -r "$user" >"$work/userdel.log" 2>&1
check "the throwaway user is gone" '! id "$user" >/dev/null 2>&1 || { cat "$work/userdel.log"; false; }'

echo "package test: $((checks - failures)) of $checks checks passed"
[ "$failures" -eq 0 ]
