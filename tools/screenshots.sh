#!/usr/bin/env bash
# Takes screenshots of the real game under a private Xvfb, for a person to look at: the title
# screen, play through each of the four cameras with heavy snow, and paused play.
#   tools/screenshots.sh [output folder] [build folder]
# The build folder (default: build) must hold bin/zendrill and the generated run/ assets.
set -euo pipefail

out=$(realpath -m "${1:-screenshots}")
build=$(realpath "${2:-build}")
here=$(dirname "$(realpath "$0")")
if [ -z "${SCREENSHOTS_ON_DISPLAY:-}" ]; then
    SCREENSHOTS_ON_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
        "$here/screenshots.sh" "$out" "$build"
fi

mkdir -p "$out"
work=$(mktemp -d /tmp/zendrill-shots-XXXXXX)
trap 'kill $game 2>/dev/null; rm -rf "$work"' EXIT
ln -s "$build/run/textures" "$work/textures"
ln -s "$build/run/models" "$work/models"
# The tests' defaults (640 x 480, lighting and all blend factors on) with heavy snow (25 layers).
source "$here/../tests/write_settings.sh"
write_settings "$work/d3d.ini" SnowLayerCount=25

(cd "$work" && exec "$build/bin/zendrill") >"$out/game.log" 2>&1 &
game=$!
window=$(xdotool search --sync --onlyvisible --name '^D3D Zendrill$' | head -1)
# No window manager runs here: give the full-screen window the whole screen as one would.
read -r w h < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
xdotool windowmove "$window" 0 0 windowsize "$window" "$w" "$h"
press() { xdotool keydown "$1"; sleep 0.4; xdotool keyup "$1"; sleep 0.3; }
shot() { sleep "${2:-0.5}"; import -window root "$out/$1.png"; echo "$out/$1.png"; }

shot title 3
press space
shot camera0-resting
xdotool mousedown 1; sleep 0.15; xdotool mouseup 1
shot camera0 1.2
for camera in 1 2 3; do
    press c
    shot "camera$camera" 0.8
done
press c
press p
shot paused
press p
press Escape
wait "$game" || true
