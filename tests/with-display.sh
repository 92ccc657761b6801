#!/usr/bin/env bash
# Runs a command on a fresh Xvfb server of its own (1024x768, 24-bit, unless told otherwise), so display tests can run in
# parallel and nothing needs to be running before the test starts. The server picks a free display
# number itself (-displayfd), so two tests starting together never race for the same one.
# ZENDRILL_XVFB_ARGS adds server options, e.g. "-fp built-ins" for a server without font packages;
# ZENDRILL_XVFB_SCREEN gives another screen size and depth (e.g. 640x480x24).
set -uo pipefail

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 ${ZENDRILL_XVFB_SCREEN:-1024x768x24} -nolisten tcp -noreset \
    ${ZENDRILL_XVFB_ARGS:-} 3>"$fifo" 2>/dev/null &
server=$!
read -r -t 20 number <"$fifo"
rm -f "$fifo"
if [ -z "${number:-}" ]; then
    echo "with-display: Xvfb did not start" >&2
    kill "$server" 2>/dev/null
    exit 1
fi
export DISPLAY=":$number"
unset WAYLAND_DISPLAY

"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
