# shellcheck shell=bash
# Shell helpers for the tests under with-sway.sh: our virtual keyboard and pointer (wl_vinput),
# the compositor's window tree, screenshots with grim, and the game's start and end. Sourced after
# the caller has set $work (a folder of its own); everything started here ends with the shell.
#   vinput_start / vin CMD      the input client, and one command answered by it
#   window_of PID [FILTER]      the JSON of the program's window (with a jq filter: true/false)
#   wait_window PID FILTER S    waits up to S seconds until the filter holds for its window
#   screen_size, shot NAME, press KEY, mouse_move DX DY, click, switch_away, switch_back,
#   game_start, wait_exit S     the driver functions of the shared play scenario

[ -n "${ZENDRILL_VINPUT:-}" ] && [ -x "$ZENDRILL_VINPUT" ] ||
    { echo "SKIP: the virtual input client (wl_vinput) is not built"; exit 77; }

started=()
end_started() {
    local p
    for p in "${started[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    for p in "${started[@]}"; do
        wait "$p" 2>/dev/null || true
    done
}
trap end_started EXIT

# The keyboard and pointer exist only while the client runs; start them before the window that
# should get the keyboard focus (a seat without a keyboard gives no window keyboard focus).
vinput_start() {
    coproc VINPUT { "$ZENDRILL_VINPUT" 2>&1; }
    started+=("$VINPUT_PID")
    local reply=
    read -r -t 20 reply <&"${VINPUT[0]}" || true
    [ "$reply" = ready ] || { echo "the virtual input client did not start: $reply"; exit 1; }
}

vin() {
    local reply=
    echo "$*" >&"${VINPUT[1]}"
    read -r -t 20 reply <&"${VINPUT[0]}" || true
    [ "$reply" = ok ] || { echo "virtual input \"$*\": ${reply:-no answer}"; exit 1; }
}

# The program's window in sway's tree (the container whose pid is $1), as JSON; with a jq filter
# as $2, succeeds when the filter holds for it.
window_of() {
    local tree
    tree=$(swaymsg -t get_tree 2>/dev/null) || return 1
    if [ $# -ge 2 ]; then
        jq -e "[.. | objects | select(.pid? == $1 and .type? != null)] | first | $2" \
            <<<"$tree" >/dev/null 2>&1
    else
        jq "[.. | objects | select(.pid? == $1 and .type? != null)] | first" <<<"$tree"
    fi
}

wait_window() { # pid filter seconds
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        window_of "$1" "$2" && return 0
        sleep 0.1
    done
    return 1
}

# Full screen on the output, focused, on the workspace shown.
in_front='. != null and .fullscreen_mode == 1 and .focused and .visible'

screen_size() {
    [ -n "${screenW:-}" ] && return
    read -r screenW screenH < <(swaymsg -t get_outputs | jq -r '.[0].rect | "\(.width) \(.height)"')
}

# The whole output. A short pause first: the game draws every 30th step.
shot() {
    sleep 0.6
    grim -t ppm "$work/$1.ppm"
}

press() { vin "key $1 300"; }
mouse_move() { vin "move $1 $2"; }
click() { vin "click 1"; }

# Another workspace (empty) takes the output; the game's window loses the keyboard and is no
# longer shown. Then the game's workspace comes back and its window is in front again.
switch_away() {
    swaymsg -q workspace 2
    wait_window "$pid" '.visible == false and .focused == false' 10 ||
        echo "the game's window stayed in front"
}
switch_back() {
    swaymsg -q workspace 1
    wait_window "$pid" "$in_front" 20 || echo "the game's window did not come back in front"
}

# Waits up to $1 seconds until the game has drawn a picture (the top-left pixel is not the black
# of the window before the first frame): start-up goes on after the window is up, and keys
# pressed before the loop runs are not the game's.
wait_picture() {
    local i rgb
    for ((i = 0; i < $1 * 4; i++)); do
        rgb=$(grim -t ppm -g "0,0 1x1" - 2>/dev/null | tail -c 3 | od -An -tu1 | tr -s ' ')
        [ -n "$rgb" ] && [ "$rgb" != " 0 0 0" ] && return 0
        sleep 0.25
    done
    return 1
}

# Starts the game ($game, default driver choice) in $work; $pid is set, and it succeeds once the
# window is full screen and focused and the first picture is on the screen.
game_start() {
    (cd "$work" && exec "$game" >"$work/game.log" 2>&1) &
    pid=$!
    started+=("$pid")
    wait_window "$pid" "$in_front" 60 && wait_picture 60 && return 0
    echo "the game's window did not come up full screen and focused:"
    window_of "$pid"
    cat "$work/game.log"
    return 1
}

# Waits up to $1 seconds for the game to end; $code is its exit code, 124 while it still runs.
wait_exit() {
    local i
    code=124
    for ((i = 0; i < $1 * 10; i++)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            code=0
            wait "$pid" || code=$?
            return 0
        fi
        sleep 0.1
    done
    return 0
}

# CPU time (user + system) the process has used, in hundredths of a second.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}
