#!/usr/bin/env bash
# zendrill.exe under Wine, as a user meets it, on its own 640x480 screen and Wine prefix
# (tests/wine/with-wine.sh):
#   no-settings  a folder without d3d.ini: Wine's "Fatal Error!" box asks for the setup tool;
#                Return closes it and the game ends with a non-zero code
#   play         d3d.ini for 640 x 480 without lighting, under openbox: the play scenario that
#                every build runs (tests/play_scenario.sh)
#   light        a first run as a player makes it: zendrill-setup.exe, snow set to None (the
#                scenario waits for still pictures) and Save (lighting stays on, as the tool
#                offers it for an adapter with lights), then the play scenario with that
#                d3d.ini: Wine refuses the game's tuned light (its negative linear attenuation),
#                so the game takes the nearest light Wine accepts, says so once, and plays
#   bad-files    each damaged file of tests/bad_files.sh in turn, in an otherwise complete
#                folder: Wine's box with the game's own text, Return closes it, a non-zero exit
#                code and no crash, every other file as it was
#   pad          d3d.ini as for play, under openbox: at the title a game controller is plugged
#                into Wine's input bus (pad_lib.sh), and the game is played with it alone
#                (tests/pad_scenario.sh), then Escape ends it
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
if [ "$mode" = play ] || [ "$mode" = light ] || [ "$mode" = pad ]; then
    ln -s "$assets/textures" textures
    ln -s "$assets/models" models
fi
log=$work/zendrill.log

# The setup tool, as a player first meets it: its dialog, snow None, Save, d3d.ini written with
# lighting on, and the tool gone.
setup_saves() {
    local setup=${ZENDRILL_WINDOWS_BIN}/zendrill-setup.exe dialog
    [ -f "$setup" ] || { fail "$setup is not built"; return 1; }
    start_program "$setup"
    dialog=$(find_window '3D Zendrill Setup' 90) || { fail "no setup dialog"; return 1; }
    window_drawn "$dialog" 60 || fail "the setup dialog did not finish drawing"
    activate "$dialog" || fail "the setup dialog could not be activated"
    # Snow would keep the picture moving where the scenario waits for it to stand still: the
    # player picks None, then Save. A control's middle, from its template rectangle in dialog
    # units (x y w h) over the template's 305 x 322 units.
    local geometry width height
    geometry=$(xdotool getwindowgeometry "$dialog" | awk '/Geometry/ { print $2 }')
    width=${geometry%x*} height=${geometry#*x}
    # The dialog is taller than this 640 x 480 screen: the player drags it up until Save shows.
    [ "$height" -le 470 ] || xdotool windowmove "$dialog" x $((470 - height))
    xdotool mousemove --window "$dialog" $(((2 * 26 + 33) * width / 610)) \
        $(((2 * 251 + 10) * height / 644)) click 1 # None
    xdotool mousemove --window "$dialog" $(((2 * 16 + 133) * width / 610)) \
        $(((2 * 286 + 14) * height / 644)) click 1 # Save
    program_exit 60
    wine_exit_code
    [ "$code" -eq 0 ] || { fail "zendrill-setup ended with $code"; return 1; }
    [ -f d3d.ini ] || { fail "zendrill-setup saved no d3d.ini"; return 1; }
    local lighting
    lighting=$(tr -d '\r' <d3d.ini | sed -n 12p)
    [ "$lighting" = 1 ] && pass "the setup tool saved d3d.ini with lighting on" ||
        fail "the setup tool saved lighting '$lighting', not 1"
    pid=
}

# Starts the game, expects one "Fatal Error!" box with text $1, closes it as a user does, and
# expects the game to end with an error's exit code.
fatal_box() { # text
    local caption='Fatal Error!' box
    start_program "$game"
    box=$(find_window "$caption" 90)
    if [ -z "$box" ]; then
        fail "no \"$caption\" window appeared"
    else
        pass "Wine shows the \"$caption\" window"
        [ "$(box_texts "$log")" = "$1" ] && pass "the box says \"$1\"" ||
            fail "the box said \"$(box_texts "$log")\", not \"$1\""
        # Modal: the game is still there while the box is.
        sleep 0.5
        kill -0 "$pid" 2>/dev/null && pass "the game waits for the box to be closed" ||
            fail "the game did not wait for the box"
        close_box "$box" "$caption"
    fi
    game_exit 60
    [ "$code" -ne 124 ] || fail "the game did not end after the box"
    [ "$code" -ne 0 ] && [ "$code" -lt 128 ] && pass "exit code $code after the error" ||
        fail "exit code $code after the error: success, or a crash"
    [ "$(box_texts "$log" | wc -l)" -le 1 ] || fail "more than one box was shown"
}

case "$mode" in
bad-files)
    . "$here/../bad_files.sh"
    for case in "${BadFileCases[@]}"; do
        folder=$work/$case
        mkdir "$folder" && cd "$folder" || exit 1
        settings 0
        ln -s "$assets/textures" textures
        ln -s "$assets/models" models
        damage=$(bad_file "$case" "$folder" "$assets") || { fail "case $case was not made"; continue; }
        echo "-- $case: $(sed -n 1p <<<"$damage")"
        before=$(find . -type f -o -type l | sort | xargs md5sum)
        fatal_box "$(sed -n 2p <<<"$damage")"
        [ "$(find . -type f -o -type l | sort | xargs md5sum)" = "$before" ] ||
            fail "the folder's files changed"
        rm -f "$log"
    done
    ;;
no-settings)
    fatal_box 'Please run 3D Zendrill Config first.'
    ;;
play | light)
    launch_game() { start_program "$game"; }
    start_openbox || exit 1
    if [ "$mode" = light ]; then
        setup_saves || exit 1
    else
        settings 0
    fi
    source "$here/../play_scenario.sh" || exit 1
    play_scenario
    [ "$(count_lines 'trace:msgbox' "$log")" -eq 0 ] || fail "a message box was shown: $(box_texts "$log")"
    if [ "$mode" = light ]; then
        n=$(count_lines "refused light 0's negative attenuation" "$log")
        [ "$n" -eq 1 ] && pass "the nearest accepted light was reported once" ||
            fail "the nearest accepted light was reported $n times, not once"
    fi
    ;;
pad)
    . "$here/pad_lib.sh"
    pad_setup "$work" || { echo "SKIP: the preloaded controller is not built"; exit 77; }
    # The game is the prefix's first Wine program, so Wine's device process gets the preload.
    launch_game() { WINEDEBUG=+msgbox pad_run "$game" >"$log" 2>&1; }
    pad_button() { pad_send button "$1" "$2"; }
    pad_stick_x() { pad_send axis leftx $(($1 < 0 ? -32768 : $1 * 32767)); }
    pad_unplug() { pad_send detach; }
    pad_plug() { pad_send attach; }
    pad_after_unplug() { :; }
    start_openbox || exit 1
    settings 0
    source "$here/../play_scenario.sh" || exit 1
    source "$here/../pad_scenario.sh" || exit 1
    game_start || { fail "the game window did not appear"; exit 1; }
    await title 90 sky || { fail "no title screen"; exit 1; }
    await title2 30 orbiting || fail "the title screen stands still"
    # Plugged in while the game runs: the game takes it at its next look.
    reason=$(pad_ready 60) || { fail "$reason"; exit 1; }
    pad_plug
    pad_scenario
    escape_ends_game
    [ "$code" -eq 0 ] && pass "Escape exits with 0" || fail "exit code $code after Escape"
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
