#!/usr/bin/env bash
# What the game costs while the player has left it: CPU time over 10 s of a started game that
# has been sent to the background, on X11 (Xvfb with openbox; another window activated, which
# minimises the game) and on Wayland (headless sway; another workspace shown).
#   bench/background_cost.sh [folder with bin/zendrill] [assets folder]
# Prints one line per platform: CPU milliseconds used in the 10 s and the share of one core.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-build}" && pwd)/bin
assets=$(cd "${2:-build/run}" && pwd)
export BENCH_GAME=$bin/zendrill BENCH_RUN=$assets

work=$(mktemp -d /tmp/zendrill-background-XXXXXX)
chmod 755 "$work"
ln -s "$assets/textures" "$work/textures"
ln -s "$assets/models" "$work/models"
source "$here/tests/write_settings.sh"
write_settings "$work/d3d.ini"
export BENCH_WORK=$work

# CPU ticks (hundredths of a second) of process $1 over 10 s, printed as a result line; a game
# that is not running (or ended meanwhile) has no figure, and the run fails.
measure='
ticks_of() {
    local ticks
    ticks=$(awk "{ print \$14 + \$15 }" /proc/$1/stat 2>/dev/null)
    [[ $ticks =~ ^[0-9]+$ ]] || { echo "$2: the game (process $1) is not running" >&2; exit 1; }
    echo "$ticks"
}
measure() {
    local before after
    before=$(ticks_of "$1" "$2") || exit 1
    sleep 10
    after=$(ticks_of "$1" "$2") || exit 1
    local ticks=$((after - before))
    echo "$2: $((ticks * 10)) ms of CPU in 10 s ($((ticks / 10)).$((ticks % 10)) % of a core)"
}'

# X11: openbox, the game, then another window in front.
bash "$here/tests/with-display.sh" bash -c "$measure"'
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for ((i = 0; i < 100; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
(cd "$BENCH_WORK" && exec "$BENCH_GAME" >/dev/null 2>&1) &
game=$!
for ((i = 0; i < 300; i++)); do
    window=$(xdotool search --onlyvisible --name "^D3D Zendrill$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
sleep 5 # started and drawing
xmessage -geometry 200x100+10+10 other &
other=$!
for ((i = 0; i < 100; i++)); do
    o=$(xdotool search --onlyvisible --name "^xmessage$" 2>/dev/null | head -n 1)
    [ -n "$o" ] && xdotool windowactivate "$o" 2>/dev/null && break
    sleep 0.1
done
sleep 2
state=$(xprop -id "$window" _NET_WM_STATE 2>/dev/null | sed "s/.*= //")
measure "$game" "X11 (openbox), game behind another window [${state:-no state}]"
kill "$other" "$game" "$wm" 2>/dev/null
wait 2>/dev/null
'

# Wayland: sway, the game natively, then another workspace.
ZENDRILL_VINPUT=$(cd "$bin" && pwd)/wl_vinput
[ -x "$ZENDRILL_VINPUT" ] || ZENDRILL_VINPUT=$here/build/bin/wl_vinput
export ZENDRILL_VINPUT
bash "$here/tests/wayland/with-sway.sh" bash -c "$measure"'
work=$BENCH_WORK
source "'"$here"'/tests/wayland/sway_driver.sh"
vinput_start
launch_game() {
    (cd "$work" && exec "$BENCH_GAME" >/dev/null 2>&1) &
    pid=$!
}
game_start || exit 1
swaymsg -q workspace 2
sleep 2
measure "$pid" "Wayland (sway), game on another workspace [$(window_of "$pid" | jq -c "{visible, focused}")]"
'
rm -rf "$work"
