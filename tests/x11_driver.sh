# shellcheck shell=bash
# The play scenario's driver on an X display with a window manager (openbox), shared by the
# Linux build and the Windows build under Wine: keys and the mouse through xdotool (XTEST),
# screenshots through tests/screen_checks.sh, window state through the window manager's
# properties. Sourced after screen_checks.sh; the caller sets $work and defines
#   launch_game    starts the game program in the current folder in the background, sets $pid
# Processes this driver starts are ended by driver_cleanup.

source "$(dirname "${BASH_SOURCE[0]}")/checked.sh"

pid=
other=
openbox_pid=
window=

driver_cleanup() {
    local p
    for p in "$other" "$pid" "$openbox_pid"; do
        [ -n "$p" ] && kill "$p" 2>/dev/null
    done
}

# Starts openbox and waits until it manages windows (it owns the root's supporting-WM check).
start_openbox() {
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    openbox_pid=$!
    local i
    for ((i = 0; i < 300; i++)); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "openbox did not start:"
    cat "$work/openbox.log"
    return 1
}

# The visible top-level window named exactly $1 once it shows (up to $2 seconds, 60 when not
# given, while $pid runs). Searched again and again rather than with --sync, which ends with an X
# error when a window goes away during the search (as when the setup dialog closes while the
# game's window appears). Searched at least once, so with 0 seconds it says whether the window
# is there now.
find_window() { # name [seconds]
    local i=0 id
    while :; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && return 1
        i=$((i + 1))
        [ "$i" -lt $((${2:-60} * 10)) ] || return 1
        sleep 0.1
    done
}

# Asks the window manager to activate window $1 until it is the active one (up to 20 s): the
# first request can come before the window manager is ready to give focus.
# The game's window given the keyboard again: after a switch back the window manager can make
# it active without the game seeing focus (it says so in its log).
game_focus() {
    xdotool windowactivate "$window" 2>/dev/null
    xdotool windowfocus "$window" 2>/dev/null
}

activate() {
    local i
    for ((i = 0; i < 100; i++)); do
        xdotool windowactivate "$1" 2>/dev/null
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}

# Waits until window $1 (or the whole screen for "root") shows a settled picture, two shots in a
# row the same and not all of one colour, for up to $2 seconds. A window that has painted itself
# takes input; one just mapped may drop a click.
window_drawn() { # window seconds
    local dir i status=1
    dir=$(mktemp -d)
    for ((i = 0; i < $2 * 4; i++)); do
        if import -window "$1" "$dir/b.ppm" 2>/dev/null; then
            if [ -f "$dir/a.ppm" ] &&
                [ "$(compare -metric AE "$dir/a.ppm" "$dir/b.ppm" null: 2>&1)" = 0 ] &&
                [ "$(convert "$dir/b.ppm" -format '%[fx:standard_deviation > 0.01]' info:)" = 1 ]
            then
                status=0
                break
            fi
            mv "$dir/b.ppm" "$dir/a.ppm"
        fi
        sleep 0.25
    done
    rm -rf "$dir"
    return $status
}

# Waits up to $1 seconds until the game's sky colour (155,155,255) fills at least 500 pixels of
# the screen: the title screen is drawn. The last screen stays in $2 when given.
sky_on_screen() { # seconds [last.png]
    local dir i sky status=1
    dir=$(mktemp -d)
    for ((i = 0; i < $1 * 2; i++)); do
        [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && break
        if import -window root "$dir/screen.ppm" 2>/dev/null; then
            sky=$(convert "$dir/screen.ppm" -fill black +opaque "#9B9BFF" -fill white \
                -opaque "#9B9BFF" -format "%[fx:round(mean*w*h)]" info:)
            sky=$(number "the count of sky pixels in a screenshot" "$sky")
            [ "$sky" -ge 500 ] && { status=0; break; }
        fi
        sleep 0.5
    done
    [ -n "${2:-}" ] && [ -f "$dir/screen.ppm" ] && convert "$dir/screen.ppm" "$2"
    rm -rf "$dir"
    return $status
}

# Minimised (iconic) or not mapped at all.
hidden() { # window
    xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Iconic' && return 0
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsUnMapped'
}

game_start() {
    launch_game
    window=$(find_window 'D3D Zendrill' 90) || return 1
    activate "$window"
    return 0
}

# Where window $1 is on the screen and its size, "x y width height" (xwininfo's absolute place:
# under a reparenting window manager xdotool's adds the frame's offset a second time).
window_rect() { # window
    local info rect
    info=$(xwininfo -id "$1" 2>&1) || cannot_check "xwininfo -id $1 failed: $info"
    rect=$(awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }' <<<"$info")
    [[ $rect =~ ^-?[0-9]+\ -?[0-9]+\ [0-9]+\ [0-9]+$ ]] ||
        cannot_check "xwininfo -id $1 gave no place and size: '$rect'"
    echo "$rect"
}

# The size of window $1 in pixels as $WIDTH and $HEIGHT (xdotool's); run in the test's shell.
window_size() { # window
    local answer
    answer=$(xdotool getwindowgeometry --shell "$1" 2>&1) ||
        cannot_check "xdotool getwindowgeometry $1 failed: $answer"
    WIDTH=$(number "xdotool getwindowgeometry $1" "$(sed -n 's/^WIDTH=//p' <<<"$answer")")
    HEIGHT=$(number "xdotool getwindowgeometry $1" "$(sed -n 's/^HEIGHT=//p' <<<"$answer")")
}

game_full_screen() {
    screen_size
    [ "$(window_rect "$window")" = "0 0 $screenW $screenH" ]
}

key_down() { xdotool keydown "$1"; }
key_up() { xdotool keyup "$1"; }
button_down() { xdotool mousedown 1; }
button_up() { xdotool mouseup 1; }
mouse_move() { xdotool mousemove_relative -- "$1" "$2"; }

# Another program's window, activated as a user would click it, takes the foreground.
switch_away() {
    convert -size 200x150 xc:gray "$work/other.ppm"
    display -title zendrill-other -geometry 200x150+40+40 "$work/other.ppm" &
    other=$!
    local otherWindow i
    otherWindow=$(find_window zendrill-other 60) || return 1
    activate "$otherWindow" || return 1
    for ((i = 0; i < 200; i++)); do
        hidden "$window" && return 0
        sleep 0.1
    done
    return 1
}

# The other window closes and the game's window is activated again (from its minimised state).
switch_back() {
    kill "$other" 2>/dev/null
    wait "$other" 2>/dev/null
    other=
    activate "$window"
}

# Waits up to $1 seconds for $pid to end and sets $code (124 while it still runs).
program_exit() { # seconds
    local i
    for ((i = 0; i < $1 * 10; i++)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            code=$?
            pid=
            return
        fi
        sleep 0.1
    done
    code=124
}

game_exit() { program_exit "$1"; }
