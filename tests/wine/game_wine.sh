#!/usr/bin/env bash
# zendrill.exe under Wine, as a user meets it, on its own 640x480 screen and Wine prefix
# (tests/wine/with-wine.sh):
#   no-settings  a folder without d3d.ini: Wine's "Fatal Error!" box asks for the setup tool;
#                Return closes it and the game ends with a non-zero code
#   play         d3d.ini for 640 x 480 without lighting, under openbox: the play scenario that
#                every build runs (tests/play_scenario.sh)
#   light        the same with lighting on: Wine refuses the game's light (its negative linear
#                attenuation), so the first frame is drawn and then the "Run-Time Error" box
#                says "Run-Time Set Light Failed."; the game ends with a non-zero code
# Needs ZENDRILL_WINDOWS_BIN (the folder of zendrill.exe) and ZENDRILL_WINDOWS_RUN (its assets).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_lib.sh"
. "$here/../write_settings.sh"

mode=${1:-play}
game=${ZENDRILL_WINDOWS_BIN:?}/zendrill.exe
assets=${ZENDRILL_WINDOWS_RUN:?}
[ -f "$game" ] || { echo "SKIP: $game is not built (cmake --preset windows)"; exit 77; }
[ -d "$assets/textures" ] || { echo "SKIP: no generated assets in $assets"; exit 77; }
# Wine makes a full-screen device only at the X screen's own size: a 640 x 480 screen.
if [ -z "${ZENDRILL_WINE_SCREEN:-}" ]; then
    exec "$here/with-wine.sh" --size 640x480 env ZENDRILL_WINE_SCREEN=640x480 \
        bash "$0" "$@"
fi

work=$(mktemp -d /tmp/zendrill-wine-game-XXXXXX)
trap driver_cleanup EXIT
cd "$work" || exit 1
echo "work folder: $work"

# The defaults (640 x 480, no snow, the three blend factors) with lighting as given, with CR LF
# as the setup tool writes them on Windows.
settings() { # lighting
    write_settings --crlf d3d.ini Lighting="$1"
}
if [ "$mode" != no-settings ]; then
    ln -s "$assets/textures" textures
    ln -s "$assets/models" models
fi
log=$work/zendrill.log

case "$mode" in
no-settings | light)
    [ "$mode" = light ] && settings 1
    if [ "$mode" = light ]; then
        caption='Run-Time Error' text='Run-Time Set Light Failed.'
    else
        caption='Fatal Error!' text='Please run 3D Zendrill Config first.'
    fi
    trace=$([ "$mode" = light ] && echo +d3d8)
    start_program "$game"
    box=$(find_window "$caption" 90)
    if [ -z "$box" ]; then
        fail "no \"$caption\" window appeared"
    else
        pass "Wine shows the \"$caption\" window"
        [ "$(box_texts "$log")" = "$text" ] && pass "the box says \"$text\"" ||
            fail "the box said \"$(box_texts "$log")\", not \"$text\""
        if [ "$mode" = light ]; then
            # The first frame was presented before the light was refused (Wine's own trace of
            # the calls says so; the picture itself may already be hidden behind the box).
            presents=$(count_lines 'trace:d3d8:d3d8_device_Present' "$log")
            [ "$presents" -eq 1 ] && pass "one frame was presented before the box" ||
                fail "$presents frames were presented before the box, not one"
            grep -q 'trace:d3d8:d3d8_device_SetLight' "$log" ||
                fail "no SetLight call was traced"
        fi
        # Modal: the game is still there while the box is.
        sleep 0.5
        kill -0 "$pid" 2>/dev/null && pass "the game waits for the box to be closed" ||
            fail "the game did not wait for the box"
        close_box "$box" "$caption"
    fi
    game_exit 60
    [ "$code" -ne 124 ] || fail "the game did not end after the box"
    [ "$code" -ne 0 ] && pass "exit code $code after the error" ||
        fail "the game reported success (exit code 0) after an error"
    [ "$(box_texts "$log" | wc -l)" -le 1 ] || fail "more than one box was shown"
    ;;
play)
    settings 0
    launch_game() { start_program "$game"; }
    start_openbox || exit 1
    source "$here/../play_scenario.sh" || exit 1
    play_scenario
    [ "$(count_lines 'trace:msgbox' "$log")" -eq 0 ] || fail "a message box was shown: $(box_texts "$log")"
    ;;
*)
    echo "unknown mode $mode"
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed; screenshots and the game's log are in $work"
    cat "$log"
    exit 1
fi
# ZENDRILL_KEEP_SHOTS keeps the screenshots of a passed run too.
[ -n "${ZENDRILL_KEEP_SHOTS:-}" ] && echo "screenshots in $work" || rm -rf "$work"
echo "PASS ($mode)"
