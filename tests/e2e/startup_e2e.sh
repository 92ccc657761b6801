#!/usr/bin/env bash
# The game's start and end as a user meets them, on its own X display:
#   no-settings  started in a folder without d3d.ini: a "Fatal Error!" box asks for the setup tool
#   no-floor     models/floor.X missing: a "Fatal Error!" box says the floor did not load
#   escape       a complete folder: the game runs until Escape and then ends with exit code 0
#   terminate    as no-settings, but the box is answered by SIGTERM instead of a user: the box
#                closes and the game ends as after OK
#   bad-file C   a complete folder but for one damaged file, bad-file case C of
#                tests/bad_files.sh: the game's own "Fatal Error!" box for it, closed by a user
#   bad-files    each bad-file case in turn
# A box carries its text to standard error as well; the game waits until a user closes it, then
# exits with a non-zero code. The game never writes into its folder.
set -uo pipefail

mode="${1:-no-settings}"
game="${ZENDRILL_BIN_DIR:?}/zendrill"
run="${ZENDRILL_RUN_DIR:?}"
[[ -x "$game" ]] || { echo "FAIL: $game is not built"; exit 1; }

source "$(dirname "$0")/../x11_driver.sh" # sky_on_screen
source "$(dirname "$0")/../write_settings.sh"
source "$(dirname "$0")/../bad_files.sh"
if [[ "$mode" == bad-files ]]; then
    status=0
    for case in "${BadFileCases[@]}"; do
        bash "$0" bad-file "$case" || status=1
    done
    exit $status
fi
work=$(mktemp -d /tmp/zendrill-startup-XXXXXX)
logs=$(mktemp -d /tmp/zendrill-startup-logs-XXXXXX)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null
    rm -rf "$work" "$logs"
}
trap cleanup EXIT
fail() {
    echo "FAIL ($mode): $*"
    echo "--- standard error of the game:"
    cat "$logs/stderr" 2>/dev/null
    exit 1
}

# What the setup tool writes for 640 x 480 in 32 bits with light snow.
light_snow_settings() {
    write_settings "$work/d3d.ini" HardwareVertexProcessing=0 SnowLayerCount=8 \
        MaxTextureWidth=2048 MaxTextureHeight=2048
}
link_assets() {
    [[ -f "$run/models/ball.x" ]] || { echo "SKIP: assets not generated"; exit 77; }
    ln -s "$run/textures" "$work/textures"
    mkdir "$work/models"
    for model in "$run"/models/*; do
        [[ "$(basename "$model")" == "$1" ]] || ln -s "$model" "$work/models/"
    done
}

expected=
case "$mode" in
no-settings | terminate) expected='Please run 3D Zendrill Config first.' ;;
no-floor)
    light_snow_settings
    link_assets floor.X
    expected='Load Floor.x Failed.'
    ;;
escape)
    light_snow_settings
    link_assets none
    ;;
bad-file)
    light_snow_settings
    link_assets none
    damage=$(bad_file "${2:?the bad-file case}" "$work" "$run") || fail "case $2 was not made"
    expected=$(sed -n 2p <<<"$damage")
    mode="bad-file $2: $(sed -n 1p <<<"$damage")"
    ;;
*) fail "unknown mode" ;;
esac
before=$(ls -A "$work")

# The id of the top-level window captioned exactly $1. SDL names its message boxes in UTF-8 only,
# which xdotool's name search does not read, so the window tree is asked instead; asked again
# when a window went away while xwininfo walked the tree.
window_named() {
    local tree try
    for try in 1 2 3; do
        tree=$(xwininfo -root -tree 2>&1) && break
        [ "$try" -lt 3 ] || cannot_check "xwininfo -root -tree failed: $tree"
        sleep 0.1
    done
    awk -v name="\"$1\":" '$2 " " $3 == name { print $1; exit }' <<<"$tree"
}
wait_for_window() {
    local id=
    for _ in $(seq 1 600); do
        id=$(window_named "$1")
        [[ -n "$id" ]] && break
        kill -0 "$pid" 2>/dev/null || fail "the game ended without showing \"$1\""
        sleep 0.1
    done
    [[ -n "$id" ]] || fail "no \"$1\" window appeared"
    echo "$id"
}
wait_for_exit() {
    game_exit 60
    [[ "$code" -ne 124 ]] || fail "the game did not end"
}

cd "$work" || exit 1
"$game" >"$logs/stdout" 2>"$logs/stderr" &
pid=$!
code=

if [[ "$mode" == escape ]]; then
    window=$(wait_for_window 'D3D Zendrill') || exit 1
    sky_on_screen 90 || fail "the title screen was not drawn"
    kill -0 "$pid" 2>/dev/null || fail "the game ended by itself"
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool keydown Escape
    sleep 0.3
    xdotool keyup Escape
    wait_for_exit
    [[ "$code" -eq 0 ]] || fail "a normal quit ended with exit code $code"
    [ "$(count_lines 'Fatal Error!|Run-Time Error|Reset Error' "$logs/stderr")" -eq 0 ] ||
        fail "an error was reported"
else
    box=$(wait_for_window 'Fatal Error!') || exit 1
    # Modal: the game waits for the user.
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "the game did not wait for the box to be closed"
    must_exist "$logs/stderr"
    grep -qxF "Fatal Error!: $expected" "$logs/stderr" ||
        fail "standard error does not carry \"Fatal Error!: $expected\""

    if [[ "$mode" == terminate ]]; then
        started=${EPOCHREALTIME/./}
        kill -TERM "$pid"
        wait_for_exit
        echo "the game ended $(((${EPOCHREALTIME/./} - started) / 1000)) ms after SIGTERM"
        [[ -z "$(window_named 'Fatal Error!')" ]] || fail "the box stayed on the screen"
        [[ "$code" -eq 1 ]] || fail "exit code $code after SIGTERM, not the error's 1"
        echo "PASS ($mode): exit code $code"
        exit 0
    fi

    # The user presses Return on the box (OK is its default button); failing that, clicks OK.
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key --clearmodifiers Return
    for _ in $(seq 1 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        window_size "$box"
        xdotool mousemove --window "$box" $((WIDTH / 2)) $((HEIGHT - 20)) click 1
    fi
    wait_for_exit
    [[ "$code" -ne 0 ]] || fail "the game reported success (exit code 0) after a failed start"
    [[ "$(count_lines 'Fatal Error!' "$logs/stderr")" -eq 1 ]] || fail "more than one box was shown"
fi
(( code < 128 )) || fail "the game died from signal $((code - 128))"
[[ "$(ls -A "$work")" == "$before" ]] || fail "the game wrote into its folder: $(ls -A "$work")"

echo "PASS ($mode): exit code $code"
