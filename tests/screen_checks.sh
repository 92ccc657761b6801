# shellcheck shell=bash
# Checks on screenshots of the game, shared by the whole-program tests on Linux and under Wine.
# Sourced; the caller sets $work (where the screenshots go) and runs on the display it shoots.
#   fail/pass           count checks in $failures; the caller ends with the right code
#   shot NAME           the whole screen as $work/NAME.ppm, taken at once
#   await NAME S CHECK  takes shot NAME again and again until CHECK (a command) succeeds, for up
#                       to S seconds; fails when it never did
#   changed A B [R]     pixels that differ between two shots, over the screen or region R
#   changed_outside A B R [R ...]   pixels that differ outside the regions
#   figures_changed A B R   pixels of the counters' figures that differ between two shots in R
#   pixel NAME X Y      one screen pixel as "r g b"
#   picture_difference A B D    two whole pictures (any files) compared: "total differing mean"
# Regions are x0 y0 x1 y1 in the game's 640 x 480 back-buffer pixels; the game scales its
# picture onto the whole screen, so they are scaled by the screen's size.

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# The screen's size, as $screenW and $screenH; read on first use, once the display is there.
screen_size() {
    [ -n "${screenW:-}" ] && return
    read -r screenW screenH < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
}

# Back-buffer pixels to screen pixels (the same 4:3 shape) as an ImageMagick crop geometry.
geometry() { # x0 y0 x1 y1
    screen_size
    awk -v x0="$1" -v y0="$2" -v x1="$3" -v y1="$4" -v sx="$screenW" -v sy="$screenH" 'BEGIN {
        fx = sx / 640; fy = sy / 480
        X = int(x0 * fx); Y = int(y0 * fy); W = int(x1 * fx) - X; H = int(y1 * fy) - Y
        printf "%dx%d+%d+%d", W, H, X, Y }'
}

shot() { import -window root "$work/$1.ppm"; }

await() { # name seconds check...
    local name=$1 end=$((SECONDS + $2))
    shift 2
    while :; do
        shot "$name"
        "$@" && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# Pixels that differ by more than a small tolerance.
changed() { # a b [x0 y0 x1 y1]
    local a="$work/$1.ppm" b="$work/$2.ppm"
    if [ $# -eq 6 ]; then
        local g
        g=$(geometry "$3" "$4" "$5" "$6")
        convert "$a" -crop "$g" +repage "$work/crop-a.ppm"
        convert "$b" -crop "$g" +repage "$work/crop-b.ppm"
        a="$work/crop-a.ppm"
        b="$work/crop-b.ppm"
    fi
    compare -metric AE -fuzz 8% "$a" "$b" null: 2>&1 | awk '{ print int($1) }'
}

# Pixels of the counters' figures (bright gold and cream, over the dark sky and the arena's blue
# lines, whose blue outweighs their red) that differ between two shots, over a region: a figure
# that changed, not the scene behind it, which moves with the camera.
figures_changed() { # a b x0 y0 x1 y1
    local g name
    g=$(geometry "$3" "$4" "$5" "$6")
    for name in "$1" "$2"; do
        convert "$work/$name.ppm" -crop "$g" +repage -fx '(r > 0.35 && r >= b)' \
            "$work/figures-$name.pgm"
    done
    compare -metric AE "$work/figures-$1.pgm" "$work/figures-$2.pgm" null: 2>&1 |
        awk '{ print int($1) }'
}

# Pixels that differ outside the given regions, painted over in both.
changed_outside() { # a b x0 y0 x1 y1 [x0 y0 x1 y1 ...]
    local a=$1 b=$2
    shift 2
    local draw=()
    while [ $# -ge 4 ]; do
        local g w h x y
        g=$(geometry "$1" "$2" "$3" "$4")
        IFS='x+' read -r w h x y <<<"$g"
        draw+=(-draw "rectangle $((x - 2)),$((y - 2)) $((x + w + 2)),$((y + h + 2))")
        shift 4
    done
    convert "$work/$a.ppm" -fill black "${draw[@]}" "$work/mask-a.ppm"
    convert "$work/$b.ppm" -fill black "${draw[@]}" "$work/mask-b.ppm"
    compare -metric AE -fuzz 8% "$work/mask-a.ppm" "$work/mask-b.ppm" null: 2>&1 |
        awk '{ print int($1) }'
}

pixel() { # image x y (screen pixels) -> "r g b"
    convert "$work/$1.ppm" -crop "1x1+$2+$3" -depth 8 txt:- |
        sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' | head -1
}

# Two pictures of the same size compared pixel by pixel: prints the pixel count, how many differ
# by more than 8 in a channel, and the mean difference per channel; writes the difference,
# amplified four times, to D. The histogram of the absolute difference gives all three exactly.
picture_difference() { # a b difference-file
    local diff
    diff=$(mktemp --suffix=.png)
    convert "$1" "$2" -compose difference -composite -depth 8 "$diff"
    convert "$diff" -evaluate multiply 4 "$3"
    convert "$diff" -format %c histogram:info:- | awk '
        { n = $1 + 0; split($2, c, /[(),]/); r = c[2]; g = c[3]; b = c[4]
          total += n; sum += n * (r + g + b)
          m = r; if (g > m) m = g; if (b > m) m = b
          if (m > 8) differing += n }
        END { printf "%d %d %.3f\n", total, differing, sum / (3 * total) }'
    rm -f "$diff"
}
