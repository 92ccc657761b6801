#!/usr/bin/env bash
# The game started in a folder without d3d.ini, as a user meets it: a "Fatal Error!" box asks for
# the setup tool, the same line goes to standard error, the game waits until the box is closed
# and then exits with a non-zero code, having written nothing. Runs on its own X display.
set -uo pipefail

game="${ZENDRILL_BIN_DIR:?}/zendrill"
[[ -x "$game" ]] || { echo "FAIL: $game is not built"; exit 1; }

work=$(mktemp -d /tmp/zendrill-startup-XXXXXX)
logs=$(mktemp -d /tmp/zendrill-startup-logs-XXXXXX)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null
    rm -rf "$work" "$logs"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- standard error of the game:"
    cat "$logs/stderr" 2>/dev/null
    exit 1
}

cd "$work" || exit 1
"$game" >"$logs/stdout" 2>"$logs/stderr" &
pid=$!

# The id of the top-level window captioned exactly $1. SDL names its message boxes in UTF-8 only,
# which xdotool's name search does not read, so the window tree is asked instead.
window_named() {
    xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" '$2 " " $3 == name { print $1; exit }'
}

# The box is a window of its own, captioned "Fatal Error!".
box=
for _ in $(seq 1 150); do
    box=$(window_named 'Fatal Error!')
    [[ -n "$box" ]] && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended without showing its box"
    sleep 0.1
done
[[ -n "$box" ]] || fail "no \"Fatal Error!\" box appeared"

# Modal: the game waits for the user.
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the game did not wait for the box to be closed"
grep -qxF 'Fatal Error!: Please run 3D Zendrill Config first.' "$logs/stderr" ||
    fail "standard error does not carry the fatal message"

# The user presses Return on the box (OK is its default button); failing that, clicks OK.
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key --clearmodifiers Return
for _ in $(seq 1 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    eval "$(xdotool getwindowgeometry --shell "$box")"
    xdotool mousemove --window "$box" $((WIDTH / 2)) $((HEIGHT - 20)) click 1
fi

code=
for _ in $(seq 1 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        code=$?
        pid=
        break
    fi
    sleep 0.1
done
[[ -n "$code" ]] || fail "the game did not end after its box was closed"
[[ "$code" -ne 0 ]] || fail "the game reported success (exit code 0) after a failed start"
(( code < 128 )) || fail "the game died from signal $((code - 128))"
[[ "$(grep -c 'Fatal Error!' "$logs/stderr")" -eq 1 ]] || fail "the box was shown more than once"
[[ -z "$(ls -A "$work")" ]] || fail "the game wrote into its folder: $(ls -A "$work")"

echo "PASS: box shown, message on standard error, exit code $code"
