#!/usr/bin/env bash
# The page beside the Linux build: the game's first frame (bench/first_frame) with the same
# settings and assets, drawn by the browser build (WebAssembly, WebGL 2 in headless Chromium on
# SwiftShader) and by the Linux build (OpenGL on Xvfb, Mesa llvmpipe), both at 1024 x 768.
# Prints the share of pixels that differ by more than 8 in a channel and keeps both pictures and
# the difference (4x amplified) as PNG in the output folder. Then frames per second of the same
# title-screen frames in both, at 640 x 480 and 1024 x 768 (the Linux build's screen stays
# 1024 x 768: its 640 x 480 back buffer is scaled onto it), and the time from opening the page
# (from starting the program, for Linux) to the first frame.
#   bench/web_vs_native.sh [output folder] [frames]     (defaults: ./web_vs_native, 300)
#   bench/web_vs_native.sh --test OUTPUT MAX_PERCENT    the picture only, as a test: fails when
#       more than MAX_PERCENT of the pixels differ; skips (77) without a build or a browser
# Reads the Linux programs from build/bin (or ZENDRILL_BIN_DIR), the assets from build/run (or
# ZENDRILL_RUN_DIR) and the browser's from build-web/bench (or ZENDRILL_WEB_BENCH_DIR).
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
self=$root/bench/$(basename "$0")
linux=${ZENDRILL_BIN_DIR:-$root/build/bin}/first_frame
assets=${ZENDRILL_RUN_DIR:-$root/build/run}
web=${ZENDRILL_WEB_BENCH_DIR:-$root/build-web/bench}
max_percent=
missing=1
if [ "${1:-}" = --test ]; then
    max_percent=${3:?--test OUTPUT MAX_PERCENT}
    set -- "$2"
    missing=77
fi
need() { # condition-result message
    [ "$1" -eq 0 ] && return
    [ "$missing" -eq 77 ] && echo "SKIP: $2" || echo "$2"
    exit "$missing"
}
[ -x "$linux" ]; need $? "no $linux: build the default preset"
[ -d "$assets/textures" ]; need $? "no generated assets in $assets"
[ -f "$web/first_frame.js" ]; need $? "no $web/first_frame.js: build the web preset"
[ -x /usr/bin/chromium ]; need $? "no chromium (scripts/install-deps.sh web)"
unset SDL_VIDEODRIVER

# Inside the Linux run's display: the first frame held on screen, and its screenshot once it has
# settled; the time from the start to the program's "first frame presented" is printed.
if [ "${1:-}" = --shot ]; then
    cd "$2" || exit 1
    source "$root/tests/x11_driver.sh" # window_drawn
    linux=${ZENDRILL_BIN_DIR:-$root/build/bin}/first_frame
    start=$(date +%s%N)
    "$linux" >first_frame.log 2>&1 &
    pid=$!
    for _ in $(seq 1 1200); do
        grep -q 'first frame presented' first_frame.log && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    took=$((($(date +%s%N) - start) / 1000000))
    grep -q 'first frame presented' first_frame.log || { cat first_frame.log; exit 1; }
    echo "first frame $took ms after the start"
    window_drawn root 60 || { echo "the first frame never settled on the screen"; exit 1; }
    import -window root "$3"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    exit 0
fi

source "$root/tests/screen_checks.sh" # picture_difference
out=$(realpath -m "${1:-web_vs_native}")
frames=${2:-300}
mkdir -p "$out"
work=$(mktemp -d /tmp/zendrill-web-vs-native-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
ln -s "$assets/textures" textures
ln -s "$assets/models" models
# Adapter 0, the mode at the default rate, X8R8G8B8, 16-bit depth, linear filtering, hardware
# vertex processing, mip-maps, W-buffering, moderate snow, no lighting, the three blend factors.
source "$root/tests/write_settings.sh"
settings() { # file width height
    write_settings "$1" Width="$2" Height="$3" WBuffering=1 SnowLayerCount=12 Lighting=0
}

node=$(command -v node); need $? "no node"
page() { # WxH shot FILE | WxH frames N
    "$node" "$root/bench/web/first_frame.mjs" "$web" "$(settings - "${1%x*}" "${1#*x}" | tr '\n' ',')" "$@"
}

echo "== the first frame at 1024 x 768"
settings d3d.ini 1024 768
"$root/tests/with-display.sh" bash "$self" --shot "$work" "$out/linux.png" >linux-shot.txt 2>&1 ||
    { echo "the Linux run failed:"; cat linux-shot.txt; exit 1; }
echo "  Linux:   $(cat linux-shot.txt)"
page 1024x768 shot "$work/web.ppm" >web-shot.txt 2>&1 ||
    { echo "the browser run failed:"; cat web-shot.txt; exit 1; }
convert "$work/web.ppm" "$out/web.png"
echo "  browser: $(grep 'first frame presented' web-shot.txt)"

read -r total differing mean < <(picture_difference "$out/linux.png" "$out/web.png" \
    "$out/difference.png")
awk -v d="$differing" -v t="$total" -v m="$mean" 'BEGIN {
    printf "  %d of %d pixels differ by more than 8 in a channel (%.3f %%); mean difference %s per channel\n",
        d, t, 100 * d / t, m }'
echo "  pictures: $out/linux.png $out/web.png; difference (x4): $out/difference.png"
if [ -n "$max_percent" ]; then
    awk -v d="$differing" -v t="$total" -v m="$max_percent" 'BEGIN { exit !(100 * d / t <= m) }' &&
        { echo "PASS: the page's first frame matches the Linux build's"; exit 0; }
    echo "FAILED: more than $max_percent % of the pixels differ"
    exit 1
fi

for size in 640x480 1024x768; do
    w=${size%x*} h=${size#*x}
    echo "== $frames title-screen frames at $size, unpaced"
    settings d3d.ini "$w" "$h"
    "$root/tests/with-display.sh" "$linux" frames "$frames" >linux-$size.txt 2>&1
    page "$size" frames "$frames" >web-$size.txt 2>&1
    ours=$(sed -n 's/.*: \([0-9.]*\) frames\/s.*/\1/p' linux-$size.txt)
    theirs=$(sed -n 's/.*: \([0-9.]*\) frames\/s.*/\1/p' web-$size.txt | head -1)
    echo "  Linux:   $(grep 'frames/s' linux-$size.txt || cat linux-$size.txt)"
    echo "  browser: $(grep 'frames/s' web-$size.txt || cat web-$size.txt)"
    [ -n "$ours" ] && [ -n "$theirs" ] &&
        awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "  browser / Linux: %.2f\n", a / b }'
done
