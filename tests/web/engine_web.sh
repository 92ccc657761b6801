#!/usr/bin/env bash
# The play scenario that every build runs (tests/play_scenario.sh) on the page in Firefox or in
# WebKitGTK's MiniBrowser, headful on an Xvfb display of its own with openbox: the browser is
# opened and read through its WebDriver (engine_driver.mjs), the keys, mouse and screenshots are
# the display's own (xdotool, import), as for the desktop builds (WebKitGTK's shots are its
# canvas read back: it plays without full screen, see cannot_take). Steps an engine cannot take are
# skipped with the reason. Then the engine's first title frame (bench/first_frame's page) beside
# the Linux build's, as the share of differing pixels. The screenshots and the page's console
# stay in the work folder, which is printed on failure.
#   engine_web.sh <firefox|webkit> <page folder> [bench folder]
set -uo pipefail

engine=${1:?firefox or webkit}
source "$(dirname "$0")/page_test.sh"
page_test_needs "${2:-}"
bench=$(cd "${3:-$page/../bench}" 2>/dev/null && pwd) || bench=${3:-$page/../bench}
root=$(cd "$tests/.." && pwd)
page_test_needs_engine "$engine" Xvfb openbox xdotool import
# WebKitGTK's web process now and then aborts on a corrupted heap of its own ("free(): corrupted
# unsorted chunks", and MiniBrowser says "WebProcess CRASHED"), seen only on a loaded machine, at
# a read of the canvas. A player reloads the page; the scenario is played again, once, from the
# start on a display of its own. Any other failure stands.
if [ "$engine" = webkit ] && [ -z "${ZENDRILL_ENGINE_DISPLAY:-}${ZENDRILL_WEBKIT_AGAIN:-}" ]; then
    first=$(mktemp /tmp/zendrill-engine-webkit-XXXXXX.log)
    ZENDRILL_WEBKIT_AGAIN=1 bash "$0" "$@" 2>&1 | tee "$first"
    status=${PIPESTATUS[0]}
    crashed=no
    [ "$status" -ne 0 ] && grep -q "WebProcess CRASHED" "$first" && crashed=yes
    rm -f "$first"
    [ "$crashed" = no ] && exit "$status"
    echo "WebKitGTK's web process crashed (its words above): the scenario is played again"
    ZENDRILL_WEBKIT_AGAIN=1 exec bash "$0" "$@"
fi
page_test_on_display "$0" "$@"

work=$(mktemp -d /tmp/zendrill-engine-$engine-XXXXXX)
source "$tests/screen_checks.sh"
source "$tests/x11_driver.sh"
# Played without full screen (see cannot_take), WebKitGTK's shots are the game's own picture.
[ "$engine" = webkit ] && page_canvas_shots
source "$tests/play_scenario.sh"
source "$tests/write_settings.sh"
cd "$work" || exit 1
echo "work folder: $work"

skipped() { echo "skipped: $*"; }

browser_pid=
browser_end() {
    if [ -n "$browser_pid" ]; then
        echo quit >&"${BROWSER[1]}" 2>/dev/null
        local i
        for ((i = 0; i < 200; i++)); do
            kill -0 "$browser_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$browser_pid" 2>/dev/null
        browser_pid=
    fi
}
trap 'browser_end; driver_cleanup' EXIT

# Firefox under Xvfb ends now and then with an X error (XFixes, BadValue) as the page asks for
# the pointer while the window goes full screen; then it is started again, once, as a player
# would.
game_start() {
    local try
    for try in 1 2; do
        coproc BROWSER { node --experimental-websocket "$tests/web/engine_driver.mjs" "$engine" \
            play "$page" "$work/d3d.ini" "$work/page.log" 2>&1; }
        browser_pid=$BROWSER_PID
        browse start 400 || return 1
        window=$reply
        browse play && return 0
        [ "$try" = 1 ] && [[ "$answer" == *"firefox ended"*"X Window System error"* ]] || return 1
        echo "  firefox ended with an X error on the click to play: started again"
        browser_end
    done
}

game_full_screen() { browse fullscreen && [ "$reply" = yes ]; }

# Keys as in the desktop tests; the page's state is noted in its log at each, for a failed run.
key_down() { xdotool keydown "$1" && browse note; }
key_up() { xdotool keyup "$1" && browse note; }

# The display's pointer moved (xdotool, as in the desktop tests), and then waited for until the
# page has seen all of the motion (the locked pointer's movementX/Y): the browser hands it over
# some frames later, and a check made before would look at an old picture.
mouse_move() { # dx dy
    local before x y n i
    browse motion || return 1
    before=$reply
    xdotool mousemove_relative -- "$1" "$2"
    for ((i = 0; i < 100; i++)); do
        browse motion || return 1
        read -r x y n <<<"$before"
        read -r -a now <<<"$reply"
        [ "$((now[0] - x))" -eq "$1" ] && [ "$((now[1] - y))" -eq "$2" ] && return 0
        sleep 0.1
    done
    echo "  pointer motion $1 $2: the page saw $((now[0] - x)) $((now[1] - y)) in $((now[2] - n)) events"
}

# Neither engine has Keyboard Lock: in full screen the browser keeps Escape to itself (it leaves
# full screen and lets go of the pointer), as the page tells the player; checked after the
# scenario. WebKitGTK on Xvfb stops showing the canvas's new frames in full screen: it plays as a
# WebKit without full screen does (an iPhone's), the pointer taken by the click alone
# (engine_driver.mjs), and there Escape reaches the game.
cannot_take() {
    case "$1:$engine" in
    escape:firefox) echo "firefox keeps Escape to itself in full screen" ;;
    fullscreen:webkit) echo "WebKitGTK on Xvfb shows no new frames in full screen: played without it" ;;
    *) return 1 ;;
    esac
}

# Another program's window is activated, as a user clicks it: the game's page loses the focus.
# Firefox keeps the focus in full screen under openbox whatever window is activated: there
# another tab comes to the front, as in Chromium's test.
switch_away() {
    if [ "$engine" = firefox ]; then
        browse away || return 1
    else
        other_window || return 1
    fi
    local i
    for ((i = 0; i < 100; i++)); do
        browse left || return 1
        [ "$reply" != no ] && { echo "  the game's page was left: $reply"; return 0; }
        sleep 0.2
    done
    return 1
}
other_window() {
    convert -size 200x150 xc:gray "$work/other.ppm"
    display -title zendrill-other -geometry 200x150+40+40 "$work/other.ppm" &
    other=$!
    local otherWindow
    otherWindow=$(find_window zendrill-other 60) || return 1
    activate "$otherWindow"
}

# The other window closes, the browser's is activated, and a click to play takes the pointer
# and the screen back.
switch_back() {
    if [ "$engine" = firefox ]; then
        browse back || return 1
    else
        kill "$other" 2>/dev/null
        wait "$other" 2>/dev/null
        other=
        activate "$window"
    fi
    browse play
}

game_exit() { # seconds; $code as in tests/web/web_driver.sh
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

start_openbox || exit 1
# As on the other platforms, the defaults: 640 x 480, lighting and the three blend factors on.
write_settings d3d.ini
play_scenario
# What the page does with Escape where the browser keeps it: full screen and the pointer are let
# go and the page asks for a click to play; the game goes on, paused. (Where the browser lets the
# key through to the page as well, the game ends, as it would with Keyboard Lock.)
escape_kept() {
    [[ $reply == *'"play":true'* && $reply == *'"locked":false'* && $reply == *'"full":false'* &&
        $reply == *'"ended":false'* ]]
}
escape_answered() { browse page && { escape_kept || [[ $reply == *'"ended":true'* ]]; }; }
if [ -n "$browser_pid" ] && browse state && [ "$reply" = running ]; then
    key_down Escape
    sleep 0.3
    key_up Escape
    if ! await escape 30 escape_answered; then
        fail "after Escape the page is $reply"
    elif escape_kept; then
        pass "Escape leaves full screen and the pointer, and the page asks for a click"
    else
        game_exit 5
        [ "$code" -eq 0 ] && pass "Escape reached the game, which ended with 0" ||
            fail "Escape reached the game, which ended with $code"
    fi
fi
browser_end

# The engine's first title frame beside the Linux build's (bench/first_frame, same settings and
# assets as bench/web_vs_native.sh, at 640 x 480: a page in a window of a 1024 x 768 screen shows
# all of it, and the Linux program fills a screen of that size).
linux_bin=${ZENDRILL_BIN_DIR:-$root/build/bin}
assets=${ZENDRILL_RUN_DIR:-$root/build/run}
frame_settings() { write_settings "$1" WBuffering=1 SnowLayerCount=12 Lighting=0; }
if [ ! -x "$linux_bin/first_frame" ] || [ ! -d "$assets/textures" ]; then
    skipped "the picture beside the Linux build's: no $linux_bin/first_frame or assets in $assets"
elif [ ! -f "$bench/first_frame.js" ]; then
    skipped "the picture beside the Linux build's: no $bench/first_frame.js"
else
    mkdir -p "$work/linux"
    ln -sfn "$assets/textures" "$work/linux/textures"
    ln -sfn "$assets/models" "$work/linux/models"
    frame_settings "$work/linux/d3d.ini"
    if ! ZENDRILL_XVFB_SCREEN=640x480x24 ZENDRILL_BIN_DIR=$linux_bin "$tests/with-display.sh" \
        bash "$root/bench/web_vs_native.sh" --shot "$work/linux" "$work/linux.png" \
        >"$work/linux-shot.txt" 2>&1; then
        fail "the Linux build's first frame: $(cat "$work/linux-shot.txt")"
    elif ! node --experimental-websocket "$tests/web/engine_driver.mjs" "$engine" first-frame \
        "$bench" "$(frame_settings - | tr '\n' ,)" 640x480 "$work/engine-page.png" \
        >"$work/engine-shot.txt" 2>&1; then
        fail "$engine's first frame: $(cat "$work/engine-shot.txt")"
    else
        convert "$work/engine-page.png" -crop 640x480+0+0 +repage "$work/engine.png" ||
            cannot_check "convert could not cut the page's screenshot"
        read -r total differing mean < <(picture_difference "$work/linux.png" "$work/engine.png" \
            "$work/difference.png")
        echo "first frame: Linux $(cat "$work/linux-shot.txt");" \
            "$engine: $(grep 'first frame presented' "$work/engine-shot.txt")"
        awk -v d="$differing" -v t="$total" -v m="$mean" -v e="$engine" 'BEGIN {
            printf "%s beside Linux: %d of %d pixels differ by more than 8 in a channel (%.3f %%); mean difference %s per channel\n",
                e, d, t, 100 * d / t, m }'
    fi
fi

page_test_end
