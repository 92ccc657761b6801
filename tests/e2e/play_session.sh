#!/usr/bin/env bash
# A whole game session with the real zendrill program on a real X display, played with xdotool:
# Space starts play, F shows the frame-rate digits, C cycles the cameras and comes back to the
# first, mouse motion moves the bat, P pauses and resumes, a click launches the ball, switching to
# another window and back brings the game back paused, and Escape ends it with exit code 0.
# Screenshots of the screen are compared region by region (the game scales its 640 x 480 picture
# onto the whole screen). They are kept in the work folder, which is printed on failure.
set -uo pipefail

bin=${ZENDRILL_BIN_DIR:?}/zendrill
assets=${ZENDRILL_RUN_DIR:?}
[ -x "$bin" ] || { echo "no zendrill program at $bin"; exit 77; }
[ -d "$assets/textures" ] || { echo "no generated assets in $assets"; exit 77; }

work=$(mktemp -d /tmp/zendrill-play-XXXXXX)
cd "$work" || exit 1
echo "work folder: $work"
ln -s "$assets/textures" textures
ln -s "$assets/models" models
# 640 x 480 at the rate the display reports (none under Xvfb), X8R8G8B8, 16-bit depth, linear
# filtering, hardware vertex processing, mip-maps, no W-buffer, no snow, lighting and the three
# blend factors on: what the setup tool saves for this display.
printf '%s\n' 0 640 480 0 22 80 1 1 1 0 0 1 1 1 1 4096 4096 > d3d.ini

game=0
other=0
cleanup() {
    [ "$other" -ne 0 ] && kill "$other" 2>/dev/null
    [ "$game" -ne 0 ] && kill "$game" 2>/dev/null
}
trap cleanup EXIT

source "$(dirname "$0")/../screen_checks.sh"
screen_size

# The game takes a full-screen desktop window; with no window manager on this display, do what
# one would do and give the window the whole screen.
fill_screen() {
    xdotool windowmove "$1" 0 0 windowsize "$1" "$screenW" "$screenH"
    sleep 0.3
}

"$bin" >"$work/game.log" 2>&1 &
game=$!
window=$(xdotool search --sync --onlyvisible --name '^D3D Zendrill$' | head -1)
[ -n "$window" ] || { echo "the game window did not appear"; cat "$work/game.log"; exit 1; }
fill_screen "$window"
sleep 1

# The title screen: the title picture near the top over the orbiting arena, sky above it all.
shot title
read -r r g b < <(pixel title 4 4)
if [ "$r" = 155 ] && [ "$g" = 155 ] && [ "$b" = 255 ]; then pass "sky above the title"; else
    fail "top-left pixel is ($r,$g,$b), not the sky"; fi

# Space: play starts with the ball resting on the bat; nothing moves until it is launched.
press space
shot play0
n=$(changed title play0 80 43 560 128)
[ "$n" -gt 5000 ] && pass "title gone after Space ($n px)" || fail "title region unchanged ($n px)"
n=$(changed title play0 0 468 64 480)
[ "$n" -gt 300 ] && pass "five life icons shown ($n px)" || fail "no life icons ($n px)"
n=$(changed title play0 294 0 346 12)
[ "$n" -gt 300 ] && pass "score digits shown ($n px)" || fail "no score digits ($n px)"
shot play0b
n=$(changed play0 play0b)
[ "$n" -eq 0 ] && pass "a resting ball leaves the picture still" || fail "picture moves ($n px)"

# F: the frame-rate digits appear in the top-left corner, and only there.
press f
shot fps
n=$(changed play0 fps 0 0 52 12)
[ "$n" -gt 200 ] && pass "frame-rate digits shown ($n px)" || fail "no frame-rate digits ($n px)"
n=$(changed_outside play0 fps 0 0 52 12)
[ "$n" -eq 0 ] && pass "nothing else changed with F" || fail "F changed $n px elsewhere"
press f

# C: another camera and its indicator; three more presses come back to the first camera.
press c
shot camera1
n=$(changed play0 camera1 608 0 640 12)
[ "$n" -gt 100 ] && pass "camera indicator changed ($n px)" || fail "camera indicator same ($n px)"
n=$(changed play0 camera1)
[ "$n" -gt 20000 ] && pass "the view changed with the camera ($n px)" || fail "view same ($n px)"
for i in 2 3; do
    press c
    shot "camera$i"
done
press c
shot camera0
n=$(changed play0 camera0)
[ "$n" -eq 0 ] && pass "four presses of C return to the first camera" || fail "not back ($n px)"

# Mouse motion moves the bat (and the camera that follows it).
xdotool mousemove_relative -- 200 0
shot moved
n=$(changed camera0 moved 0 300 640 480)
[ "$n" -gt 3000 ] && pass "bat moved with the mouse ($n px)" || fail "bat did not move ($n px)"

# P pauses: the PAUSED picture appears, score, camera and lives go, the scene stands.
press p
shot paused
n=$(changed moved paused 288 228 352 252)
[ "$n" -gt 1000 ] && pass "PAUSED shown ($n px)" || fail "no PAUSED picture ($n px)"
n=$(changed_outside moved paused 288 228 352 252 0 0 640 12 0 468 64 480)
[ "$n" -eq 0 ] && pass "the paused scene stands still" || fail "scene changed when paused ($n px)"
press p
shot resumed
n=$(changed moved resumed)
[ "$n" -eq 0 ] && pass "P resumes the same picture" || fail "resumed picture differs ($n px)"

# A click launches the ball: the picture starts to move.
xdotool mousedown 1
sleep 0.15
xdotool mouseup 1
shot flying1
shot flying2
n=$(changed flying1 flying2)
[ "$n" -gt 50 ] && pass "the launched ball moves ($n px)" || fail "nothing moves after the click"

# Switching to another window and back: the game comes back paused.
convert -size 200x150 xc:gray "$work/other.ppm"
display -title zendrill-other -geometry 200x150+40+40 "$work/other.ppm" &
other=$!
otherWindow=$(xdotool search --sync --onlyvisible --name zendrill-other | head -1)
xdotool windowfocus --sync "$otherWindow"
sleep 1.5
kill "$other" 2>/dev/null
wait "$other" 2>/dev/null
other=0
xdotool windowmap "$window" 2>/dev/null
xdotool windowraise "$window" windowfocus --sync "$window"
sleep 1
fill_screen "$window"
shot back
n=$(changed paused back 292 230 348 250)
[ "$n" -lt 200 ] && pass "back in front the game is paused ($n px off)" ||
    fail "no PAUSED picture after switching back ($n px off)"

# P resumes after the switch: the bat answers the mouse again.
press p
shot again1
xdotool mousemove_relative -- -200 0
shot again2
n=$(changed again1 again2 0 300 640 480)
[ "$n" -gt 3000 ] && pass "mouse works after switching back ($n px)" ||
    fail "bat did not move after switching back ($n px)"

# Escape ends the game with exit code 0.
press Escape
for _ in $(seq 50); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$game" 2>/dev/null; then
    code=124 # still running: Escape did not end it
else
    wait "$game"
    code=$?
fi
game=0
[ "$code" -eq 0 ] && pass "Escape exits with 0" || fail "exit code $code"

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed; screenshots and the game's log are in $work"
    cat "$work/game.log"
    exit 1
fi
rm -rf "$work"
exit 0
