#!/usr/bin/env bash
# Runs a command in an X server of its own. Xvfb chooses a free display
# number itself (-displayfd), so tests running side by side never share or
# race for one, as two `xvfb-run -a` started together can. The server ends
# with the command, and with this script even when it is killed.
# Usage: with_display.sh WIDTHxHEIGHTxDEPTH COMMAND [ARG...]
set -uo pipefail
usage="usage: with_display.sh WIDTHxHEIGHTxDEPTH COMMAND [ARG...]"
screen=${1:?$usage}
shift
(($#)) || { echo "$usage" >&2; exit 2; }

work=$(mktemp -d)
server="" command=""
stop() {
    for pid in $command $server; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Made here, so the first read below finds it even before the server starts.
: >"$work/display"
setpriv --pdeathsig KILL Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset \
    3>"$work/display" 2>"$work/server.log" &
server=$!
number=""
for _ in $(seq 600); do
    read -r number <"$work/display" && break  # the number, once the server listens
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
done
if [[ ! "$number" =~ ^[0-9]+$ ]]; then
    echo "with_display.sh: Xvfb did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi
# In the background, so that a signal reaches the traps at once.
env -u WAYLAND_DISPLAY DISPLAY=:"$number" "$@" <&0 &
command=$!
wait "$command"
status=$?
command=""
exit "$status"
