#!/usr/bin/env bash
# Whole-program test of zendrill-setup on a real X display (run under tests/with-display.sh):
# the dialog opens through Qt's xcb platform and is clicked as a user would click it.
#   save    click Save: exit code 0 and a d3d.ini of seventeen plausible values
#   cancel  click Cancel: exit code 0, no d3d.ini, and the reason on standard error
#   play    save as above, then start the game with that d3d.ini and the generated assets,
#           see it present pictures (the sky colour on screen) and quit it with Escape
# Exits 77 (skipped) for "play" while the game or its assets are not built.
set -euo pipefail

mode=${1:-save}
bin=${ZENDRILL_BIN_DIR:?}
run=${ZENDRILL_RUN_DIR:?}
work=$(mktemp -d /tmp/zendrill-setup-e2e.XXXXXX)
keep=$PWD # the test's own folder: a failing screen is left there to look at
# Started processes are ended on exit; fail, wait_exit, click_dialog_rect, and the X11 driver's
# find_window, window_drawn and sky_on_screen.
source "$(dirname "$0")/x11_helpers.sh"

run_setup() {
    local button=$1
    cd "$work"
    QT_QPA_PLATFORM=xcb "$bin/zendrill-setup" 2>"$work/setup.err" &
    local pid=$!
    pids+=("$pid")
    local win
    win=$(find_window "3D Zendrill Setup") || true
    [ -n "$win" ] || {
        cat "$work/setup.err" >&2
        fail "the setup dialog did not appear"
    }
    window_drawn "$win" 60 || fail "the setup dialog did not finish drawing"
    case $button in
    save) click_dialog_rect "$win" 16 286 133 14 ;;
    cancel) click_dialog_rect "$win" 157 286 126 14 ;;
    esac
    wait_exit "$pid" 30 || fail "zendrill-setup is still running after $button"
    cat "$work/setup.err" >&2
    [ "$exit_code" = 0 ] || fail "zendrill-setup exited with $exit_code"
}

check_settings_file() {
    [ -f "$work/d3d.ini" ] || fail "no d3d.ini after Save"
    echo "d3d.ini:"
    cat "$work/d3d.ini"
    echo
    local lines
    lines=$(grep -c '' "$work/d3d.ini")
    [ "$lines" = 17 ] || fail "d3d.ini has $lines lines, not 17"
    grep -qvE '^[0-9]+$' "$work/d3d.ini" && fail "d3d.ini holds something other than numbers"
    mapfile -t v <"$work/d3d.ini"
    [ "${v[1]}" -ge 640 ] && [ "${v[2]}" -ge 480 ] || fail "mode ${v[1]}x${v[2]} is too small"
    [ "${v[4]}" -ge 21 ] && [ "${v[4]}" -le 26 ] || fail "display format ${v[4]}"
    case " 70 71 73 75 77 79 80 " in *" ${v[5]} "*) ;; *) fail "depth format ${v[5]}" ;; esac
    [ "${v[10]}" = 12 ] || fail "snow density ${v[10]} is not the default Moderate (12)"
    return 0
}

play_game() {
    [ -x "$bin/zendrill" ] || {
        echo "SKIP: the game is not built"
        exit 77
    }
    [ -d "$run/textures" ] && [ -d "$run/models" ] || {
        echo "SKIP: the game's textures/ and models/ are not generated"
        exit 77
    }
    local game="$work/game"
    mkdir "$game"
    ln -s "$run/textures" "$game/textures"
    ln -s "$run/models" "$game/models"
    cp "$work/d3d.ini" "$game/d3d.ini"
    cd "$game"
    "$bin/zendrill" 2>"$work/game.err" &
    local pid=$!
    pids+=("$pid")
    local win
    win=$(find_window "D3D Zendrill") || true
    [ -n "$win" ] || {
        cat "$work/game.err" >&2
        fail "the game window did not appear"
    }

    # The sky is drawn in (155,155,255). The title camera orbits and shows it only part of the
    # time, and on a busy machine slowly, so screens are taken until a good patch of it shows.
    local shot="$work/screen.png"
    if ! sky_on_screen 150 "$shot"; then
        cat "$work/game.err" >&2
        [ -f "$shot" ] && cp "$shot" "$keep/setup_then_game_plays-last.png" &&
            echo "last screen: $keep/setup_then_game_plays-last.png" >&2
        fail "no picture with the sky colour (155,155,255) appeared"
    fi
    local mean
    mean=$(convert "$shot" -format "%[fx:mean]" info:)
    echo "screen mean brightness: $mean"
    awk -v m="$mean" 'BEGIN { exit !(m > 0.02) }' || fail "the screen is (nearly) all black"

    # The game polls the keyboard once per step, so the key is held as long as a person would.
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    xdotool keydown Escape
    sleep 0.5
    xdotool keyup Escape
    wait_exit "$pid" 30 || fail "the game is still running after Escape"
    cat "$work/game.err" >&2
    [ "$exit_code" = 0 ] || fail "the game exited with $exit_code"
}

case $mode in
save)
    run_setup save
    check_settings_file
    ;;
cancel)
    echo "old settings" >"$work/d3d.ini"
    run_setup cancel
    [ "$(cat "$work/d3d.ini")" = "old settings" ] || fail "Cancel changed d3d.ini"
    grep -q "User Clicked Cancel." "$work/setup.err" || fail "no reason given on standard error"
    ;;
play)
    run_setup save
    check_settings_file
    play_game
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
echo "PASS: $mode"
