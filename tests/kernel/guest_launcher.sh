#!/usr/bin/env bash
# Runs inside the kernel guest (see run-in-guest): the launcher, OrvelleServer, under Xvfb with no
# receiver. It starts the program shortly after its own start; that program is ended, so that the
# receiver has something to start. Then the emulated receiver is plugged in, and unplugged a
# second after the launcher has started the program again; at the end the launcher gets SIGTERM,
# and then the program it started.
# Leaves in <results>: server.log (the launcher's log), launcher.out (the standard output and
# error of the launcher and of the programs it started), programs.txt ("<phase> <ids>" of the
# processes running the program file: "startup", "arrival", "removal" two seconds after the
# launcher logged the removal, "launcher-ended"), launcher-exit.txt, marks.log, program.log.
#
#   guest_launcher.sh <results> <bin-dir>
set -uo pipefail

results=$1
bin=$2
here=$(cd "$(dirname "$0")" && pwd)

. "$here/guest_lib.sh"

server_log=$bin/ServerLog.log
# The ids of the processes that run the program file, in one line.
programs() { find /proc -mindepth 2 -maxdepth 2 -name exe -lname "$bin/Orvelle" 2>/dev/null | cut -d/ -f3 | tr '\n' ' '; }
# Conditions for wait_until.
# shellcheck disable=SC2317
program_runs() { [ -n "$(programs)" ]; }
# shellcheck disable=SC2317
server_logged() { grep -q -F -- "$1" "$server_log" 2>/dev/null; }
# shellcheck disable=SC2317
gone() { ! kill -0 "$1" 2>/dev/null; }
# end_started <ids...>: SIGTERM to programs the launcher started (not children of this shell),
# SIGKILL to those still there 15 s later.
end_started() {
    [ $# -gt 0 ] || return 0
    kill -TERM "$@" 2>/dev/null
    local p
    for p in "$@"; do wait_until 15 gone "$p" || kill -KILL "$p" 2>/dev/null; done
}

prepare_user_folders
rm -f "$bin"/ServerLog*.log
start_xvfb
mark "launcher start"
(cd / && DISPLAY=:9 ORVELLE_DEBUG_OUTPUT=1 exec "$bin/OrvelleServer") > "$results/launcher.out" 2>&1 &
launcher=$!

wait_until 30 program_runs
echo "startup $(programs)" >> "$results/programs.txt"
# The launcher looks again 200 ms after a start and stops trying once the program runs.
sleep 1
# shellcheck disable=SC2046 # one id per word
kill -KILL $(programs) 2>/dev/null
wait_until 10 eval '! program_runs'

mark "plug"
start_receiver --variant a
if wait_until 30 program_runs; then
    echo "arrival $(programs)" >> "$results/programs.txt"
    sleep 1
fi
mark "unplug"
kill -TERM "$receiver"; wait "$receiver"
wait_until 10 server_logged "ThreadInitKVOServer() Removing!" && sleep 2
echo "removal $(programs)" >> "$results/programs.txt"

mark "launcher sigterm"
kill -TERM "$launcher"
wait_until 10 gone "$launcher" || kill -KILL "$launcher"
wait "$launcher"
echo "$?" > "$results/launcher-exit.txt"
echo "launcher-ended $(programs)" >> "$results/programs.txt"

# shellcheck disable=SC2046
end_started $(programs)
kill -TERM "${helpers[@]}" 2>/dev/null
wait "${helpers[@]}" 2>/dev/null
cp "$server_log" "$results/server.log" 2>/dev/null
cat "$bin"/log/*.log > "$results/program.log" 2>/dev/null
exit 0
