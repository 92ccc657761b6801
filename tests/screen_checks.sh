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
# Every helper that gives a number or a pixel ends the test (checked.sh) when its shot is missing,
# a command fails or the answer is no number: a check never passes on a comparison not made.
source "$(dirname "${BASH_SOURCE[0]}")/checked.sh"

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# The screen's size, as $screenW and $screenH; read on first use, once the display is there.
screen_size() {
    [ -n "${screenW:-}" ] && return
    local answer
    answer=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
    read -r screenW screenH <<<"$answer"
    number "xdpyinfo's screen width" "$screenW" >/dev/null
    number "xdpyinfo's screen height" "$screenH" >/dev/null
}

# Back-buffer pixels to screen pixels (the same 4:3 shape) as an ImageMagick crop geometry.
geometry() { # x0 y0 x1 y1
    screen_size
    awk -v x0="$1" -v y0="$2" -v x1="$3" -v y1="$4" -v sx="$screenW" -v sy="$screenH" 'BEGIN {
        fx = sx / 640; fy = sy / 480
        X = int(x0 * fx); Y = int(y0 * fy); W = int(x1 * fx) - X; H = int(y1 * fy) - Y
        printf "%dx%d+%d+%d", W, H, X, Y }'
}

# A shot replaces the last one of its name, so a failed one never leaves an old picture behind.
shot() {
    rm -f "$work/$1.ppm"
    import -window root "$work/$1.ppm" || cannot_check "import could not take shot $1"
    must_exist "$work/$1.ppm"
}

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

# A picture cut to a region of the screen, into FILE.
crop() { # picture x0 y0 x1 y1 file
    must_exist "$1"
    rm -f "$6"
    convert "$1" -crop "$(geometry "$2" "$3" "$4" "$5")" +repage "$6" ||
        cannot_check "convert could not cut $1 to a region"
    must_exist "$6"
}

# Pixels that differ between two pictures (compare's AE metric, with an optional fuzz). compare
# prints the count on standard error and exits with 0 (the same), 1 (they differ) or 2 (it could
# not compare them: a file missing or unreadable, sizes that differ).
differing_pixels() { # a b [fuzz]
    must_exist "$1" "$2"
    local answer status
    answer=$(compare -metric AE ${3:+-fuzz "$3"} "$1" "$2" null: 2>&1)
    status=$?
    [ "$status" -le 1 ] || cannot_check "compare $1 $2 failed ($status): $answer"
    # Large counts come in exponent form (2e+06).
    [[ $answer =~ ^[0-9]+(\.[0-9]+)?(e\+?[0-9]+)?$ ]] ||
        cannot_check "compare $1 $2 gave '$answer', not a pixel count"
    awk -v n="$answer" 'BEGIN { printf "%d\n", n }'
}

# Pixels that differ by more than a small tolerance.
changed() { # a b [x0 y0 x1 y1]
    local a="$work/$1.ppm" b="$work/$2.ppm"
    if [ $# -eq 6 ]; then
        crop "$a" "$3" "$4" "$5" "$6" "$work/crop-a.ppm"
        crop "$b" "$3" "$4" "$5" "$6" "$work/crop-b.ppm"
        a="$work/crop-a.ppm"
        b="$work/crop-b.ppm"
    fi
    differing_pixels "$a" "$b" 8%
}

# Pixels of the counters' figures (bright gold and cream, over the dark sky and the arena's blue
# lines, whose blue outweighs their red) that differ between two shots, over a region: a figure
# that changed, not the scene behind it, which moves with the camera.
figures_changed() { # a b x0 y0 x1 y1
    local name
    for name in "$1" "$2"; do
        crop "$work/$name.ppm" "$3" "$4" "$5" "$6" "$work/figures-crop.ppm"
        rm -f "$work/figures-$name.pgm"
        convert "$work/figures-crop.ppm" -fx '(r > 0.35 && r >= b)' "$work/figures-$name.pgm" ||
            cannot_check "convert could not pick the figures out of shot $name"
    done
    differing_pixels "$work/figures-$1.pgm" "$work/figures-$2.pgm"
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
    local name
    for name in "$a" "$b"; do
        must_exist "$work/$name.ppm"
        rm -f "$work/mask-$name.ppm"
        convert "$work/$name.ppm" -fill black "${draw[@]}" "$work/mask-$name.ppm" ||
            cannot_check "convert could not paint the regions over in shot $name"
    done
    differing_pixels "$work/mask-$a.ppm" "$work/mask-$b.ppm" 8%
}

# One pixel of a picture file, "r g b"; a place outside the picture, or a picture that cannot be
# read, ends the test (convert only warns about the former and gives a transparent pixel).
pixel_of() { # file x y
    must_exist "$1"
    local answer rgb
    answer=$(convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>&1) ||
        cannot_check "convert could not read pixel $2,$3 of $1: $answer"
    [[ $answer != *' @ '* ]] || cannot_check "pixel $2,$3 of $1: $answer"
    rgb=$(sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' <<<"$answer")
    [[ $rgb =~ ^[0-9]+\ [0-9]+\ [0-9]+$ ]] || cannot_check "pixel $2,$3 of $1: '$answer'"
    echo "$rgb"
}

pixel() { # image x y (screen pixels) -> "r g b"
    pixel_of "$work/$1.ppm" "$2" "$3"
}

# Two pictures of the same size compared pixel by pixel: prints the pixel count, how many differ
# by more than 8 in a channel, and the mean difference per channel; writes the difference,
# amplified four times, to D. The histogram of the absolute difference gives all three exactly.
picture_difference() { # a b difference-file
    must_exist "$1" "$2"
    local diff answer
    diff=$(mktemp --suffix=.png)
    convert "$1" "$2" -compose difference -composite -depth 8 "$diff" ||
        cannot_check "convert could not take the difference of $1 and $2"
    must_exist "$diff"
    convert "$diff" -evaluate multiply 4 "$3" || cannot_check "convert could not write $3"
    answer=$(convert "$diff" -format %c histogram:info:- | awk '
        { n = $1 + 0; split($2, c, /[(),]/); r = c[2]; g = c[3]; b = c[4]
          total += n; sum += n * (r + g + b)
          m = r; if (g > m) m = g; if (b > m) m = b
          if (m > 8) differing += n }
        END { if (total > 0) printf "%d %d %.3f\n", total, differing, sum / (3 * total) }')
    rm -f "$diff"
    [[ $answer =~ ^[1-9][0-9]*\ [0-9]+\ [0-9.]+$ ]] ||
        cannot_check "the histogram of the difference of $1 and $2 gave '$answer'"
    echo "$answer"
}
