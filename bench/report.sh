#!/usr/bin/env bash
# The speed report in one run on this machine: frames per second of the same title-screen frames
# (bench/first_frame, unpaced) drawn by the Linux build (OpenGL on Xvfb, Mesa llvmpipe) and by the
# page (WebAssembly and WebGL 2 in headless Chromium, once on SwiftShader and once through the
# same system GL as the Linux build: ANGLE over GL on Xvfb), at 640 x 480 and 1024 x 768, with the
# setup tool's defaults and with lighter settings; the page's frames/s against the Linux build's;
# the time from starting the program (from opening the page) to its first frame; where the
# processor goes while each draws those frames at 1024 x 768 with the defaults
# (bench/thread_time.sh: the GL driver's rasteriser threads, the thread making the GL calls, the
# page's own thread); where the time of a frame of play goes (bench/play_measure.cpp's cost: the
# pixels each part of the picture covers, as layers of the whole picture, and the cost of one
# pixel of each kind of pixel work); and our Direct3D 8 against Wine's (bench/peer_speed.sh). A benchmark: it prints figures and asserts
# none. It takes several minutes, so no test or CI job runs it.
#   bench/report.sh [frames]    (default 300 title-screen frames per run; Wine's run takes twice)
# Reads the programs from build/bin, build-web/bench and build-windows/bin (or ZENDRILL_BIN_DIR,
# ZENDRILL_WEB_BENCH_DIR, ZENDRILL_WINDOWS_BIN) and the assets from build/run (or
# ZENDRILL_RUN_DIR). A part whose build or tool is missing is reported as not run.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
self=$root/bench/$(basename "$0")
linux=${ZENDRILL_BIN_DIR:-$root/build/bin}/first_frame
player=$(dirname "$linux")/play_measure
assets=${ZENDRILL_RUN_DIR:-$root/build/run}
web=${ZENDRILL_WEB_BENCH_DIR:-$root/build-web/bench}
frames=${1:-300}
unset SDL_VIDEODRIVER

# Inside a display of its own: seconds from starting the Linux program to its first frame.
if [ "${1:-}" = --first-frame ]; then
    cd "$2" || exit 1
    start=$(date +%s%N)
    "$linux" >first_frame.log 2>&1 &
    pid=$!
    for _ in $(seq 1 1200); do
        grep -q 'first frame presented' first_frame.log && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.01
    done
    took=$(($(date +%s%N) - start))
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    grep -q 'first frame presented' first_frame.log || { cat first_frame.log; exit 1; }
    awk -v n="$took" 'BEGIN { printf "%.2f s\n", n / 1e9 }'
    exit 0
fi

[ -x "$linux" ] || { echo "no $linux: build the default preset"; exit 1; }
[ -d "$assets/textures" ] || { echo "no generated assets in $assets"; exit 1; }
page=yes
[ -f "$web/first_frame.js" ] || page="no $web/first_frame.js: build the web preset"
command -v node >/dev/null || page="no node"
[ -x /usr/bin/chromium ] || page="no chromium (scripts/install-deps.sh web)"

work=$(mktemp -d /tmp/zendrill-report-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
ln -s "$assets/textures" textures
ln -s "$assets/models" models
source "$root/tests/write_settings.sh"
# The setup tool's defaults as the other benchmarks take them: X8R8G8B8, 16-bit depth, linear
# filtering, hardware vertex processing, mip-maps, W-buffering, moderate snow; lighting off, as
# the title screen has it. Lighter: point filtering, no mip-maps, no W-buffer.
declare -A profiles=(
    [defaults]="WBuffering=1 SnowLayerCount=12 Lighting=0"
    [lighter]="WBuffering=0 SnowLayerCount=12 Lighting=0 FilterMethod=0 MipMapping=0"
)
# Chromium drawing through the system's GL: ANGLE's desktop GL back end on the display (llvmpipe
# is on Chromium's GPU block list, which the second flag sets aside).
system_gl="--use-angle=gl --ignore-gpu-blocklist"

# What page runs the browser under: nothing, but bench/thread_time.sh where threads are counted.
measure=()
rate() { sed -n 's/.*: \([0-9.]*\) frames\/s.*/\1/p' "$1" | head -1; }
ratio() { [ -n "$1" ] && [ -n "$2" ] && awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
page() { # file profile WxH mode argument [chromium GL flags]
    local file=$1 profile=$2 size=$3 mode=$4 argument=$5 gl=${6:-}
    # shellcheck disable=SC2086
    ZENDRILL_CHROMIUM_GL="$gl" "${measure[@]}" "$root/tests/with-display.sh" node \
        "$root/bench/web/first_frame.mjs" \
        "$web" "$(write_settings - Width="${size%x*}" Height="${size#*x}" ${profiles[$profile]} |
            tr '\n' ',')" "$size" "$mode" "$argument" >"$file" 2>&1
}

echo "== $frames title-screen frames, unpaced (frames/s; the page's share of the Linux figure)"
echo "   $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for size in 640x480 1024x768; do
    for profile in defaults lighter; do
        # shellcheck disable=SC2086
        write_settings d3d.ini Width="${size%x*}" Height="${size#*x}" ${profiles[$profile]}
        "$root/tests/with-display.sh" "$linux" frames "$frames" >linux.txt 2>&1
        ours=$(rate linux.txt)
        line="  $size $profile: Linux ${ours:-failed ($(tail -1 linux.txt))}"
        if [ "$page" = yes ]; then
            page swiftshader.txt "$profile" "$size" frames "$frames"
            soft=$(rate swiftshader.txt)
            page system-gl.txt "$profile" "$size" frames "$frames" "$system_gl"
            hard=$(rate system-gl.txt)
            line+=", page on SwiftShader ${soft:-failed} ($(ratio "$soft" "$ours"))"
            line+=", page on the system GL ${hard:-failed} ($(ratio "$hard" "$ours"))"
        fi
        echo "$line"
    done
done

echo "== time to the first frame at 1024 x 768 with the defaults"
# shellcheck disable=SC2086
write_settings d3d.ini Width=1024 Height=768 ${profiles[defaults]}
echo "  Linux, from starting the program: $("$root/tests/with-display.sh" bash "$self" \
    --first-frame "$work" 2>&1 | tail -1)"
if [ "$page" = yes ]; then
    for gl in swiftshader system; do
        flags=
        [ "$gl" = system ] && flags=$system_gl
        page shot.txt defaults 1024x768 shot "$work/shot.ppm" "$flags"
        at=$(sed -n 's/^first frame presented.*(at \([0-9.]*\) s after.*/\1/p' shot.txt)
        echo "  page on ${gl/system/the system GL}, from opening it: ${at:-failed}${at:+ s}"
    done
else
    echo "  page: not run ($page)"
fi

echo "== where the processor goes at 1024 x 768 with the defaults (ms of one core a frame, from 3 s to 7 s of a run of $((frames * 3)) frames)"
echo "  Linux: $("$root/bench/thread_time.sh" first_frame "$root/tests/with-display.sh" "$linux" \
    frames "$((frames * 3))" 2>&1 | tail -1)"
if [ "$page" = yes ]; then
    measure=("$root/bench/thread_time.sh" -)
    page threads.txt defaults 1024x768 frames "$((frames * 3))" "$system_gl"
    measure=()
    echo "  page on the system GL: $(tail -1 threads.txt)"
fi

echo "== a frame of play at 1024 x 768 with the defaults (lighting on, as in play), draw by draw"
# shellcheck disable=SC2086
write_settings d3d.ini Width=1024 Height=768 ${profiles[defaults]} Lighting=1
"$root/tests/with-display.sh" "$player" 20 cost 2>&1 | sed -n '/^where/,$p' | sed 's/^/  /'

echo "== ours against Wine"
bash "$root/bench/peer_speed.sh" "$((frames * 2))" 1024x768 2>&1 | sed 's/^/  /'
