#!/usr/bin/env bash
# The game on the page played with a gamepad alone: the page's gamepad is the driver's (a
# replaced navigator.getGamepads, plugged in with the page's gamepadconnected event), and no key
# or click reaches the game until the pad is pulled out. The page asks for a button press while
# it sees no pad; A starts play, the stick moves the bat, Start pauses and resumes; pulled out,
# the mouse plays on; plugged in again, Y changes the camera and A launches the ball.
#   gamepad_web.sh <page folder>
set -uo pipefail

source "$(dirname "$0")/page_test.sh"
page_test_needs "${1:-}"
page_test_needs_chromium

work=$(mktemp -d /tmp/zendrill-gamepad-web-XXXXXX)
source "$tests/screen_checks.sh"
source "$tests/web/web_driver.sh"
source "$tests/play_scenario.sh" # the regions and checks the play scenario looks at
source "$tests/pad_scenario.sh"
source "$tests/write_settings.sh"
cd "$work" || exit 1
echo "work folder: $work"
write_settings d3d.ini

# The controller of the shared scenario: the driver's pad, with the standard mapping's buttons.
declare -A PadButtons=([a]=0 [b]=1 [y]=3 [start]=9)
pad_button() { browse "padbutton ${PadButtons[$1]} $2"; }
pad_stick_x() { browse "padaxis 0 $1"; }
pad_unplug() { browse padunplug; }
pad_plug() { browse padplug; }
# Pulled out, the page asks for a click to play again.
pad_after_unplug() { browse play; }
# Taking the screen back after that click can leave the game paused (the browser lets go of the
# pointer for a moment as it goes full screen), and P then did not always resume it here.
PadUnplugSkipped="the click that takes the screen back can leave the game paused"

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

    pad_scenario
    browse quit
}

gamepad_session

page_test_end
