#!/usr/bin/env bash
# The game on the page played with a gamepad alone: the page's gamepad is the driver's (a
# replaced navigator.getGamepads, plugged in with the page's gamepadconnected event), and no key
# or click reaches the game until the pad is pulled out. The page asks for a button press while
# it sees no pad; A starts play, the stick moves the bat, Start pauses and resumes; pulled out,
# the mouse plays on; plugged in again, Y changes the camera and A launches the ball.
#   gamepad_web.sh <page folder>
set -uo pipefail

page=$(cd "${1:?the page folder}" 2>/dev/null && pwd) || page=$1
for file in index.html zendrill.js zendrill.wasm zendrill.data; do
    [ -f "$page/$file" ] ||
        { echo "SKIP: no $file in $page (cmake --preset web && cmake --build --preset web)"; exit 77; }
done
[ -x /usr/bin/chromium ] || { echo "SKIP: no chromium (scripts/install-deps.sh web installs it)"; exit 77; }
command -v node >/dev/null || { echo "SKIP: no node"; exit 77; }
tests=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d /tmp/zendrill-gamepad-web-XXXXXX)
source "$tests/screen_checks.sh"
source "$tests/web/web_driver.sh"
source "$tests/play_scenario.sh" # the regions and checks the play scenario looks at
cd "$work" || exit 1
echo "work folder: $work"
printf '%s\n' 0 640 480 0 22 80 1 1 1 0 0 1 1 1 1 4096 4096 >d3d.ini

# The standard mapping's buttons.
PadA=0
PadY=3
PadStart=9

# Holds a pad button until the check after it holds, then lets it go; a press the game did not
# see is made again, up to the deadline (as press_until does with a key).
pad_press_until() { # button name seconds check...
    local button=$1 name=$2 end=$((SECONDS + $3)) status
    shift 3
    while :; do
        browse "padbutton $button 1"
        await "$name" 10 "$@"
        status=$?
        browse "padbutton $button 0"
        sleep 0.3
        [ "$status" -eq 0 ] && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
    done
}

gamepad_session() {
    coproc BROWSER { node "$tests/web/play_driver.mjs" "$page" "$work/d3d.ini" "$work/page.log" 2>&1; }
    browser_pid=$BROWSER_PID
    browse "start pad" 400 || { fail "the game did not start on the page"; return; }
    await title 90 sky || { fail "no title screen"; return; }
    await title2 30 orbiting || fail "the title screen stands still"

    browse padnote
    case "$reply" in
    *[Pp]"ress a button on your gamepad"*) pass "with no pad seen the page asks for a button press" ;;
    *) fail "the page's gamepad note says \"$reply\"" ;;
    esac
    browse padplug
    browse padnote
    case "$reply" in
    "Gamepad: "*) pass "the page names the pad once it is seen" ;;
    *) fail "the page's gamepad note says \"$reply\" with a pad" ;;
    esac

    title_gone() { [ "$(changed title2 play0 "${TitleRegion[@]}")" -gt 5000 ]; }
    pad_press_until "$PadA" play0 30 title_gone && pass "A starts play" ||
        { fail "the title stayed after A"; return; }
    # The title screen's camera circles; play with the ball resting on the bat stands still.
    await rest 20 still rest && pass "play has started: the picture stands still" ||
        { fail "the picture still moves after A: the title screen is still there"; return; }

    bat_moved() { [ "$(changed rest moved "${LowerHalf[@]}")" -gt 3000 ]; }
    browse "padaxis 0 1"
    await moved 20 bat_moved && pass "the stick moves the bat" || fail "the bat did not move"
    browse "padaxis 0 0"
    await moved 20 still moved || fail "the picture did not settle after the stick"

    paused() { [ "$(changed moved paused "${PausedRegion[@]}")" -gt 300 ]; }
    pad_press_until "$PadStart" paused 30 paused && pass "Start shows PAUSED" ||
        fail "no PAUSED picture after Start"
    resumed() { [ "$(changed moved resumed)" -eq 0 ]; }
    pad_press_until "$PadStart" resumed 30 resumed && pass "Start resumes" ||
        fail "the picture after Start differs ($(changed moved resumed) px)"

    # Pulled out, the page asks for a click to play again, and the mouse plays on.
    browse padunplug
    browse play || fail "no click to play after the pad was pulled out"
    await unplugged 20 still unplugged || fail "the picture did not settle after the click"
    mouse_moved() { [ "$(changed unplugged mouse-moved "${LowerHalf[@]}")" -gt 3000 ]; }
    # Leftwards: the stick pushed the bat right, as far as the wall when the machine is slow.
    browse "move -200 0"
    await mouse-moved 20 mouse_moved && pass "the mouse plays on without the pad" ||
        fail "the bat did not follow the mouse after the pad was pulled out"
    await mouse-moved 20 still mouse-moved || fail "the picture did not settle after the mouse"

    # Plugged in again while the game runs, the pad is taken at the game's next look.
    browse padplug
    other_camera() { [ "$(changed mouse-moved camera1 "${CameraRegion[@]}")" -gt 15 ]; }
    pad_press_until "$PadY" camera1 30 other_camera && pass "Y changes the camera" ||
        fail "the camera indicator stayed after Y (the pad plugged in again was not taken)"
    browse "padbutton $PadA 1"
    await flying 20 moving flying && pass "A launches the ball" || fail "nothing moves after A"
    browse "padbutton $PadA 0"
    browse quit
}

gamepad_session

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed; screenshots and the page's console are in $work"
    cat "$work/page.log" 2>/dev/null
    exit 1
fi
[ -n "${ZENDRILL_KEEP_SHOTS:-}" ] && echo "screenshots in $work" || rm -rf "$work"
echo PASS
