#!/usr/bin/env bash
# One picture, two platforms: the game's first frame (bench/first_frame) drawn by our Direct3D 8
# over OpenGL on Linux and by Wine's own Direct3D 8, both at 1024 x 768 on an X screen of that
# size with the same d3d.ini and the same assets, then compared pixel by pixel. Three settings:
# the setup tool's defaults with lighting off, the same without W-buffering (Wine takes
# D3DZB_USEW for ordinary Z-buffering, so only there do both draw the same depth test), and that
# with lighting on (Wine refuses the tuned light and gets the nearest one it accepts). For each
# it prints the share of pixels that differ by more than 8 in any channel and the mean
# difference per channel, and keeps both screenshots and the difference image (4x amplified) in
# the output folder ($1, default ./first_frame).
#
# Needs ZENDRILL_BIN_DIR (first_frame), ZENDRILL_RUN_DIR (assets) and ZENDRILL_WINDOWS_BIN
# (first_frame.exe). Fails only where the pictures are plainly not the same scene.
set -uo pipefail
unset SDL_VIDEODRIVER # the Linux program needs the real X display

here=$(cd "$(dirname "$0")" && pwd)
self=$here/$(basename "$0")
width=1024
height=768
# The setup tool's defaults at 1024 x 768 (moderate snow, the three blend factors) with
# W-buffering and lighting as given.
source "$here/../write_settings.sh"
settings() { # wbuffer lighting
    write_settings d3d.ini Width=$width Height=$height WBuffering="$1" SnowLayerCount=12 Lighting="$2"
}

# Inside a display: for each folder/screenshot pair, show the first frame in the folder and
# take the screenshot.
if [ "${1:-}" = --shot ]; then
    source "$here/../x11_driver.sh" # window_drawn
    program=$2
    shift 2
    while [ $# -ge 2 ]; do
        folder=$1 out=$2
        shift 2
        cd "$folder" || exit 1
        : >first_frame.log
        if [[ "$program" == *.exe ]]; then
            "$WINE" "$program" >first_frame.log 2>&1 &
        else
            "$program" >first_frame.log 2>&1 &
        fi
        pid=$!
        for _ in $(seq 1 600); do
            grep -q 'first frame presented' first_frame.log && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if ! grep -q 'first frame presented' first_frame.log; then
            echo "no first frame from $program:"
            cat first_frame.log
            kill "$pid" 2>/dev/null
            exit 1
        fi
        # The presented picture reaches the screen: it stands still and is not blank.
        window_drawn root 60 || { echo "the first frame never settled on the screen"; exit 1; }
        import -window root "$out"
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    exit 0
fi

out=$(realpath -m "${1:-first_frame}")
linux=${ZENDRILL_BIN_DIR:?}/first_frame
windows=${ZENDRILL_WINDOWS_BIN:?}/first_frame.exe
assets=${ZENDRILL_RUN_DIR:?}
[ -x "$linux" ] || { echo "SKIP: $linux is not built"; exit 77; }
[ -f "$windows" ] || { echo "SKIP: $windows is not built (cmake --preset windows)"; exit 77; }
[ -d "$assets/textures" ] || { echo "SKIP: no generated assets in $assets"; exit 77; }
mkdir -p "$out"
work=$(mktemp -d /tmp/zendrill-first-frame-XXXXXX)
trap 'rm -rf "$work"' EXIT
cases="default no-wbuffer lit"
for case in $cases; do
    mkdir "$work/$case"
    cd "$work/$case" || exit 1
    ln -s "$assets/textures" textures
    ln -s "$assets/models" models
    case $case in
    default) settings 1 0 ;;
    no-wbuffer) settings 0 0 ;;
    lit) settings 0 1 ;;
    esac
done
cd "$work" || exit 1

"$here/../with-display.sh" bash "$self" --shot "$linux" "$work/default" "$out/linux.png" \
    "$work/no-wbuffer" "$out/linux-no-wbuffer.png" "$work/lit" "$out/linux-lit.png" || exit 1
"$here/with-wine.sh" --size ${width}x$height bash "$self" --shot "$windows" "$work/default" \
    "$out/wine.png" "$work/no-wbuffer" "$out/wine-no-wbuffer.png" "$work/lit" \
    "$out/wine-lit.png" || exit 1

source "$here/../screen_checks.sh" # picture_difference
status=0
for case in $cases; do
    suffix=$([ $case = default ] && echo "" || echo "-$case")
    a=$out/linux$suffix.png b=$out/wine$suffix.png
    read -r total differing mean < <(picture_difference "$a" "$b" "$out/difference$suffix.png")
    share=$(awk -v d="$differing" -v t="$total" 'BEGIN { printf "%.3f", 100 * d / t }')
    echo "first frame, ${width}x$height, $case settings: $differing of $total pixels differ by" \
        "more than 8 in a channel ($share %); mean difference $mean per channel"
    echo "  pictures: $a $b; difference (x4): $out/difference$suffix.png"
    # Loose bounds: the same scene drawn by two translations stays far inside them; a missing
    # object, a wrong blend or a shifted camera does not.
    awk -v s="$share" -v m="$mean" 'BEGIN { exit !(s < 5 && m < 2) }' ||
        { echo "FAIL: the two pictures are not the same scene"; status=1; }
done
[ $status -eq 0 ] && echo PASS
exit $status
