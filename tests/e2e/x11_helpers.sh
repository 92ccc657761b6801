# shellcheck shell=bash disable=SC2034
# Shell helpers for the whole-program tests that run a window manager or the installed tree:
# started processes are ended on exit, exit codes collected, windows found and clicked.
# Sourced (bash) after `set -euo pipefail`; the caller sets $work. Windows are found, activated
# and waited for with the play scenario's X11 driver (find_window, activate, window_drawn).
source "$(dirname "${BASH_SOURCE[0]}")/../x11_driver.sh"

pids=()
cleanup() {
    local pid i
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || continue
        for ((i = 0; i < 30; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    done
    [ -z "${work:-}" ] || { chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"; }
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits up to $2 seconds for process $1 (a child of this shell) to end and puts its exit code in
# $exit_code; returns 1 when it is still running then. Must run in the shell that started it.
exit_code=
wait_exit() {
    local pid=$1 seconds=$2 i
    for ((i = 0; i < seconds * 10; i++)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            exit_code=0
            wait "$pid" || exit_code=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Starts openbox on the display and waits until it manages windows.
start_window_manager() { start_openbox || fail "openbox did not start"; }

# Clicks the centre of a rectangle of the setup dialog given in its template units (x, y, width,
# height), scaled to the client window's real size. The position is xwininfo's absolute one:
# under a reparenting window manager xdotool's adds the frame's offset a second time.
click_dialog_rect() {
    local win=$1 x=$2 y=$3 w=$4 h=$5
    local X Y WIDTH HEIGHT rect
    rect=$(window_rect "$win")
    read -r X Y WIDTH HEIGHT <<<"$rect"
    local px=$((X + (2 * x + w) * WIDTH / (2 * 305)))
    local py=$((Y + (2 * y + h) * HEIGHT / (2 * 322)))
    xdotool mousemove --sync "$px" "$py" click 1
}
