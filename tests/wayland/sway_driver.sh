# shellcheck shell=bash
# The play scenario's driver under a headless sway (with-sway.sh), and what the other Wayland
# tests need from it: keys and the pointer through our virtual keyboard and pointer (wl_vinput),
# screenshots with grim, window state from sway's tree. Sourced after tests/screen_checks.sh (its
# shot and screen_size are replaced here); the caller sets $work and defines
#   launch_game    starts the game program in the current folder in the background, sets $pid
# Everything started here ends with the shell (add a process to $started to have it ended too).
#   vinput_start / vin CMD      the input client, and one command it answers
#   window_of PID [FILTER]      the JSON of the program's window (with a jq filter: true/false)
#   wait_window PID FILTER S    waits up to S seconds until the filter holds for its window
#   wait_picture S              waits until the game has drawn a picture
#   press KEY                   a key held 0.3 s;  game_quit  Escape until the game ends
#   cpu_ticks PID               CPU time used so far
#   game_start, game_full_screen, shot, screen_size, key_down, key_up, button_down, button_up,
#   mouse_move, switch_away, switch_back, game_exit   the scenario's driver functions

source "$(dirname "${BASH_SOURCE[0]}")/../checked.sh"

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

# sway's answer to a query (get_tree, get_outputs) put through a jq filter; a sway that does not
# answer, or a filter that cannot be applied, ends the test. With -e first, succeeds when the
# filter's result is neither false nor null, and prints nothing.
sway_query() { # [-e] type filter
    local test=
    [ "$1" = -e ] && { test=-e; shift; }
    local answer status error
    answer=$(swaymsg -t "$1" 2>&1) || cannot_check "swaymsg -t $1 failed: $answer"
    if [ -n "$test" ]; then
        error=$(jq -e "$2" <<<"$answer" 2>&1 >/dev/null)
        status=$?
        [ "$status" -le 1 ] || cannot_check "jq '$2' on sway's $1 failed ($status): $error"
        return "$status"
    fi
    answer=$(jq -r "$2" <<<"$answer" 2>&1) || cannot_check "jq '$2' on sway's $1 failed: $answer"
    echo "$answer"
}

# The program's window in sway's tree (the container whose pid is $1), as JSON; with a jq filter
# as $2, succeeds when the filter holds for it.
window_of() {
    number "the pid whose window is looked for" "$1" >/dev/null
    local window="[.. | objects | select(.pid? == $1 and .type? != null)] | first"
    if [ $# -ge 2 ]; then
        sway_query -e get_tree "$window | $2"
    else
        sway_query get_tree "$window"
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
    local answer
    answer=$(sway_query get_outputs '.[0].rect | "\(.width) \(.height)"')
    read -r screenW screenH <<<"$answer"
    number "the output's width" "$screenW" >/dev/null
    number "the output's height" "$screenH" >/dev/null
}

# The output's refresh rate in whole Hz, as the setup tool saves it.
output_refresh() {
    number "the output's refresh rate" "$(sway_query get_outputs '.[0].current_mode.refresh / 1000 | round')"
}

shot() {
    rm -f "$work/$1.ppm"
    grim -t ppm "$work/$1.ppm" || cannot_check "grim could not take shot $1"
    must_exist "$work/$1.ppm"
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

key_down() { vin "keydown $1"; }
key_up() { vin "keyup $1"; }
press() { vin "key $1 300"; }
button_down() { vin "down 1"; }
button_up() { vin "up 1"; }
mouse_move() { vin "move $1 $2"; }

# Another workspace (empty) is shown: the game's window loses the keyboard and is hidden with its
# workspace. Then the game's workspace comes back and its window is in front again.
switch_away() {
    swaymsg -q workspace 2
    wait_window "$pid" '.visible == false and .focused == false' 20
}
switch_back() {
    swaymsg -q workspace 1
    wait_window "$pid" "$in_front" 30
}

# Starts the game (launch_game) and succeeds once its window is full screen and focused and its
# first picture is on the screen. The pointer is moved over it once, so the compositor tells the
# game the pointer is there and the game hides it, as with a real mouse.
game_start() {
    launch_game
    started+=("$pid")
    if wait_window "$pid" "$in_front" 90 && wait_picture 60; then
        vin "move 1 0"
        vin "move -1 0"
        return 0
    fi
    echo "the game's window did not come up full screen and focused:"
    window_of "$pid"
    return 1
}

game_full_screen() {
    screen_size
    window_of "$pid" ".fullscreen_mode == 1 and .rect.width == $screenW and .rect.height == $screenH"
}

# Waits up to $1 seconds for the game to end; $code is its exit code, 124 while it still runs.
game_exit() {
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

# Escape, pressed again (up to three times) while a busy machine lets the game miss it, as a
# player would; $code is the exit code, 124 while it still runs.
game_quit() {
    local i
    for i in 1 2 3; do
        press Escape
        game_exit 20
        [ "$code" -ne 124 ] && return 0
    done
}

# CPU time (user + system) the process has used, in hundredths of a second; a process that has
# ended has none to give, and ends the test.
cpu_ticks() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || cannot_check "no process $1 to measure"
    number "the CPU time of process $1" "$(awk '{ print $14 + $15 }' <<<"$stat")"
}
