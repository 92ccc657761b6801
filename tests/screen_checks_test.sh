#!/usr/bin/env bash
# The whole-program tests' own checks, tried on pictures made here (no display needed): for each
# helper that turns a command's output into a number, a "nothing changed" check passes on the same
# shot, fails on a changed one, and a missing shot ends the test with the reason instead of
# passing. Each check runs in a test shell of its own, as the whole-program tests run them.
set -uo pipefail

tests=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/zendrill-screen-checks-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# A 640 x 480 "screen": the sky, a floor, a few shapes; "same" is a copy, and each other shot
# changes one thing: a square in the lower half, a gold figure in the score's place, the
# top-left pixel.
convert -size 640x480 xc:'#9B9BFF' -fill '#203040' -draw 'rectangle 0 300 639 479' \
    -fill '#C08040' -draw 'circle 320 200 360 240' -fill '#404080' -draw 'rectangle 300 2 340 10' \
    base.ppm
cp base.ppm same.ppm
convert base.ppm -fill white -draw 'rectangle 100 350 140 390' square.ppm
convert base.ppm -fill '#FFD040' -draw 'rectangle 310 2 318 10' figure.ppm
convert base.ppm -fill black -draw 'point 4 4' corner.ppm
printf 'started\nnothing wrong\n' >same.log
printf 'started\nFatal Error!: Load Floor.x Failed.\n' >fatal.log

failures=0
# Runs shell code after sourcing the helpers, in a fresh bash, and prints how it ended: "passes",
# "fails", or "ends" when the test shell stopped with a "cannot check" line.
verdict() { # code
    local out status
    out=$(work=$work screenW=640 screenH=480 bash -c '
        source "$1/screen_checks.sh"
        source "$1/write_settings.sh"
        if eval "$2"; then echo "verdict: passes"; else echo "verdict: fails"; fi' _ "$tests" "$1" 2>&1)
    status=$?
    if [ "$status" -eq 1 ] && [[ $out == *"FAILED: cannot check: "* ]] &&
        [[ $out != *"verdict: "* ]]; then
        echo ends
    elif [ "$status" -eq 0 ] && [[ $out == *"verdict: passes"* ]]; then
        echo passes
    elif [ "$status" -eq 0 ] && [[ $out == *"verdict: fails"* ]]; then
        echo fails
    else
        echo "ended with $status: $out"
    fi
}

expect() { # wanted what code
    local got
    got=$(verdict "$3")
    if [ "$got" = "$1" ]; then
        echo "ok: $2 $1"
    else
        echo "FAILED: $2 should have $1, but $got"
        failures=$((failures + 1))
    fi
}

# A kind of check, on the shot that stays the same, on a changed one and on a missing one; the
# check's code names the second shot $B.
kind() { # name changed-shot code
    expect passes "$1 on the same shot" "B=same; $3"
    expect fails "$1 on a changed shot" "B=$2; $3"
    expect ends "$1 on a missing shot" "B=missing; $3"
}

kind "changed, the whole screen" square '[ "$(changed base $B)" -eq 0 ]'
kind "changed in a region" square '[ "$(changed base $B 0 300 640 480)" -eq 0 ]'
expect passes "changed in a region, the change elsewhere" \
    '[ "$(changed base figure 0 300 640 480)" -eq 0 ]'
kind "changed_outside" square '[ "$(changed_outside base $B 294 0 346 12)" -eq 0 ]'
expect passes "changed_outside, the change inside the region" \
    '[ "$(changed_outside base figure 294 0 346 12)" -eq 0 ]'
kind "figures_changed" figure '[ "$(figures_changed base $B 294 0 346 12)" -le 10 ]'
kind "pixel" corner '[ "$(pixel $B 4 4)" = "155 155 255" ]'
expect ends "pixel outside the screen" '[ "$(pixel base 700 500)" = "255 255 255" ]'
kind "picture_difference" square \
    'read -r total differing mean < <(picture_difference base.ppm $B.ppm diff.png)
     [ "$differing" -eq 0 ]'
# A check that passes when the count is small, as "the game rests", must not pass either.
expect ends "a 'less than' check on a missing shot" '[ "$(changed base missing)" -lt 100 ]'
expect ends "a check in a waiting predicate on a missing shot" \
    'still() { [ "$(changed base missing)" -eq 0 ]; }; still'

kind "count_lines" fatal '[ "$(count_lines "Fatal Error" $B.log)" -eq 0 ]'

expect ends "a settings field d3d.ini has no line for" 'write_settings d3d.ini Lightning=1'
expect ends "a settings value that is no number" 'write_settings d3d.ini Width="$(false)"'

if [ "$failures" -ne 0 ]; then
    echo "$failures checks of the checks failed"
    exit 1
fi
echo PASS
