#!/usr/bin/env bash
# Speed beside a peer: the same fixed run of title-screen frames (bench/first_frame) drawn by our
# Direct3D 8 over OpenGL and by Wine's own Direct3D 8, one after the other on this machine, each
# on its own Xvfb at the mode's size over Mesa llvmpipe, with the setup tool's default options
# and lighting off. Our Present paces itself to the refresh where the driver gives no vsync; the
# program turns that off, and Wine's Present is not paced on Xvfb. Prints frames per second of
# each and their ratio.
#   bench/peer_speed.sh [frames] [WxH]    (defaults: 600, 1024x768)
# Reads the programs from build/bin and build-windows/bin (or ZENDRILL_BIN_DIR,
# ZENDRILL_WINDOWS_BIN) and the assets from build/run (or ZENDRILL_RUN_DIR).
set -uo pipefail

frames=${1:-600}
size=${2:-1024x768}
width=${size%x*}
height=${size#*x}
root=$(cd "$(dirname "$0")/.." && pwd)
linux=${ZENDRILL_BIN_DIR:-$root/build/bin}/first_frame
windows=${ZENDRILL_WINDOWS_BIN:-$root/build-windows/bin}/first_frame.exe
assets=${ZENDRILL_RUN_DIR:-$root/build/run}
[ -x "$linux" ] || { echo "no $linux: build the default preset"; exit 1; }
[ -f "$windows" ] || { echo "no $windows: build the windows preset"; exit 1; }
[ -d "$assets/textures" ] || { echo "no generated assets in $assets"; exit 1; }
unset SDL_VIDEODRIVER

work=$(mktemp -d /tmp/zendrill-peer-speed-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
ln -s "$assets/textures" textures
ln -s "$assets/models" models
# Adapter 0, the mode at the default rate, X8R8G8B8, 16-bit depth, linear filtering, hardware
# vertex processing, mip-maps, W-buffering, moderate snow, no lighting, the three blend factors.
source "$root/tests/write_settings.sh"
write_settings d3d.ini Width="$width" Height="$height" WBuffering=1 SnowLayerCount=12 Lighting=0

"$root/tests/with-display.sh" "$linux" frames "$frames" >linux.txt 2>&1
"$root/tests/wine/with-wine.sh" --size "$size" bash -c '"$WINE" "$0" frames "$1"' "$windows" \
    "$frames" >wine.txt 2>&1

ours=$(sed -n 's/.*: \([0-9.]*\) frames\/s.*/\1/p' linux.txt)
peer=$(sed -n 's/.*: \([0-9.]*\) frames\/s.*/\1/p' wine.txt)
[ -n "$ours" ] || { echo "our run gave no figure:"; cat linux.txt; exit 1; }
[ -n "$peer" ] || { echo "the Wine run gave no figure:"; cat wine.txt; exit 1; }
echo "$frames title-screen frames at ${width}x$height:"
echo "  ours (Direct3D 8 stand-in over OpenGL): $(grep 'frames/s' linux.txt)"
echo "  Wine's Direct3D 8:                      $(grep 'frames/s' wine.txt)"
awk -v a="$ours" -v b="$peer" 'BEGIN { printf "  ours / Wine: %.2f\n", a / b }'
