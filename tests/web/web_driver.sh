# shellcheck shell=bash
# The play scenario's driver in a browser: the page (the `web` preset's folder) in headless
# Chromium with a 640 x 480 screen, driven by a long-running Node process (play_driver.mjs) that
# answers one line per command. Sourced after tests/screen_checks.sh (its shot and screen_size
# are replaced here); the caller sets $work, $page (the page folder) and writes $work/d3d.ini,
# which the page stores before the game starts. The page's console goes to $work/page.log.
#   game_start, game_full_screen, shot, screen_size, key_down, key_up, button_down, button_up,
#   mouse_move, switch_away, switch_back, game_exit   the scenario's driver functions
# The browser and the server end with the shell.
# Escape: once full screen the page locks it (Keyboard Lock), so its press reaches the game, which
# ends; the page then says the game has ended, with the game's exit code, which game_exit reads.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

browser_pid=
driver_end() {
    [ -n "$browser_pid" ] || return 0
    [ -n "${BROWSER[1]:-}" ] && echo quit >&"${BROWSER[1]}" 2>/dev/null
    local i
    for ((i = 0; i < 100; i++)); do
        kill -0 "$browser_pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill "$browser_pid" 2>/dev/null
}
trap driver_end EXIT

page_canvas_shots

# The scenario names keys as X does; the page knows them by KeyboardEvent.code.
key_code() {
    case "$1" in
    space) echo Space ;;
    Escape) echo Escape ;;
    [a-z]) echo "Key${1^^}" ;;
    *) echo "$1" ;;
    esac
}
key_down() { browse "keydown $(key_code "$1")"; }
key_up() { browse "keyup $(key_code "$1")"; }
button_down() { browse down; }
button_up() { browse up; }
mouse_move() {
    browse "move $1 $2" || return 1
    [ -z "$reply" ] || echo "  pointer motion $1 $2: $reply"
}

# The game starts once the page has the settings; a click to play gives it the pointer and the
# screen, as a player's first click does.
game_start() {
    coproc BROWSER { node "$here/play_driver.mjs" "$page" "$work/d3d.ini" "$work/page.log" 2>&1; }
    browser_pid=$BROWSER_PID
    browse start 400 && browse play
}

game_full_screen() { browse fullscreen && [ "$reply" = yes ]; }

# The soak's readings (tests/soak_scenario.sh): the page's heap and WebAssembly memory, and the
# boxes the game showed (the stand-in's message box writes "caption: text" to the console).
game_running() { browse state && [ "$reply" = running ]; }
program_memory() { browse memory && echo "$reply"; }
boxes_seen() { # the page writes its console to the log only once it has said something
    [ -f "$work/page.log" ] || { echo 0; return; }
    count_lines '(Fatal Error!|Run-Time Error|Reset Error): ' "$work/page.log"
}

# Another tab comes to the front: the game's page is hidden or loses focus, and the game loses
# the pointer (and its device). Back on the game's tab the page asks for a click to play again,
# which takes the pointer and the screen back.
switch_away() {
    browse away || return 1
    echo "  the game's page was left: $reply"
}
switch_back() { browse back; }

# Waits up to $1 seconds for the page to say the game has ended; $code is the game's exit code,
# 124 while it still runs.
game_exit() {
    local end=$((SECONDS + $1))
    code=124
    while :; do
        browse state || return 0
        case "$reply" in
        ended\ *)
            code=${reply#ended }
            return 0
            ;;
        esac
        [ "$SECONDS" -lt "$end" ] || return 0
        sleep 0.2
    done
}
