#!/usr/bin/env bash
# OS headers belong to platform/ (and skin/, our window library over Qt): code in the product's
# other folders includes only our interfaces, so another operating system or display server is a
# new backend in platform/ and nothing else. The keyboard-hook plug-in is a backend of its own
# (XInput2 on its own thread) and may use X11 directly.
#
# Usage: os_headers_in_platform_only.sh <source root>. Prints each offending file:line and exits 1.
set -u
root=${1:?source root}
cd "$root" || exit 2

folders=(KVOControl BLE service effects shell launcher plugins)
for f in "${folders[@]}"; do
  [ -d "$f" ] || { echo "missing folder: $f"; exit 2; }
done

# POSIX and Linux system headers, the display servers, HID, udev, D-Bus and their kin.
headers='unistd\.h|sys/|fcntl\.h|dirent\.h|dlfcn\.h|pthread\.h|poll\.h|signal\.h|csignal|spawn\.h|pwd\.h|grp\.h'
headers+='|execinfo\.h|termios\.h|sched\.h|semaphore\.h|mqueue\.h|syslog\.h|netdb\.h|netinet/|arpa/|linux/'
headers+='|X11/|xcb/|xkbcommon/|wayland-|libevdev|hidapi|libudev\.h|QDBus|QtDBus|dbus/|gio/|glib\.h|pipewire/|spa/'
pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($headers)"

hits=$(grep -rnE "$pattern" "${folders[@]}" \
  --include='*.h' --include='*.hpp' --include='*.c' --include='*.cc' --include='*.cpp' --include='*.inl' \
  | grep -v '^plugins/Hook/')

if [ -n "$hits" ]; then
  echo "OS headers outside platform/ (move the use behind an interface or a helper there):"
  echo "$hits"
  exit 1
fi
echo "ok: no OS header outside platform/ and skin/"
