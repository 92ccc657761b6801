#!/usr/bin/env bash
# Runs play_measure (a timed run of the real game with a scripted player) under a private Xvfb at
# 640 x 480 and 1024 x 768 and prints its figures.
#   bench/measure_play.sh [build folder] [seconds]
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-60}
here=$(dirname "$(realpath "$0")")
if [ -z "${MEASURE_ON_DISPLAY:-}" ]; then
    MEASURE_ON_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
        "$here/measure_play.sh" "$build" "$seconds"
fi
work=$(mktemp -d /tmp/zendrill-measure-XXXXXX)
trap 'rm -rf "$work"' EXIT
ln -s "$build/run/textures" "$work/textures"
ln -s "$build/run/models" "$work/models"
source "$here/../tests/write_settings.sh"
read -r w h < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
for mode in "640 480" "1024 768"; do
    set -- $mode
    # The defaults (no snow, lighting and blends on) in this mode.
    write_settings "$work/d3d.ini" Width="$1" Height="$2"
    (cd "$work" && exec "$build/bin/play_measure" "$seconds") &
    game=$!
    # No window manager here: give the full-screen window the whole screen as one would.
    window=$(xdotool search --sync --onlyvisible --name '^D3D Zendrill$' | head -1)
    xdotool windowmove "$window" 0 0 windowsize "$window" "$w" "$h"
    wait "$game"
    echo
done
