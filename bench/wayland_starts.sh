#!/usr/bin/env bash
# Starts the game N times in a row under a headless sway (with XWayland beside it) with both
# cores kept busy, and prints for each start whether it came up full screen and focused, how
# long that took, and what it said on standard error; then the count and the median time.
#   bench/wayland_starts.sh [build folder] [N] [SDL video driver]
# The driver is empty for the game's own choice, or x11 for XWayland.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
count=${2:-20}
driver=${3:-}
export ZENDRILL_VINPUT=$build/bin/wl_vinput ZENDRILL_SWAY_XWAYLAND=1
export BENCH_GAME=$build/bin/zendrill BENCH_RUN=$build/run BENCH_COUNT=$count BENCH_DRIVER=$driver
exec bash "$here/tests/wayland/with-sway.sh" bash -c '
work=$(mktemp -d /tmp/zendrill-starts-XXXXXX)
source "'"$here"'/tests/wayland/sway_driver.sh"
vinput_start
ln -s "$BENCH_RUN/textures" "$work/textures"
ln -s "$BENCH_RUN/models" "$work/models"
source "'"$here"'/tests/write_settings.sh"
write_settings "$work/d3d.ini"
for _ in 1 2; do
    (while :; do :; done) &
    started+=("$!")
done
good=0
times=()
for ((i = 1; i <= BENCH_COUNT; i++)); do
    begin=${EPOCHREALTIME/./}
    (cd "$work" && if [ -n "$BENCH_DRIVER" ]; then export SDL_VIDEODRIVER=$BENCH_DRIVER; fi &&
        exec "$BENCH_GAME" >"$work/game.log" 2>&1) &
    pid=$!
    if wait_window "$pid" "$in_front" 30 && wait_picture 30; then
        ms=$(((${EPOCHREALTIME/./} - begin) / 1000))
        times+=("$ms")
        good=$((good + 1))
        state="full screen, focused, $(window_of "$pid" | jq -r .shell) after $ms ms"
    else
        state="NOT full screen and focused: $(window_of "$pid" | jq -c "{shell, fullscreen_mode, focused}")"
    fi
    said=$(grep -v "^LoadIconA" "$work/game.log" | tr "\n" "|")
    echo "start $i: $state; said: ${said:-nothing}"
    kill -0 "$pid" 2>/dev/null && game_quit
    [ "$code" = 124 ] && kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
done
median=$(printf "%s\n" "${times[@]}" | sort -n | awk "{ a[NR] = \$1 } END { print a[int((NR + 1) / 2)] }")
echo "$good of $BENCH_COUNT starts reached full screen and focus; median time to the first picture ${median:-?} ms"
rm -rf "$work"
'
