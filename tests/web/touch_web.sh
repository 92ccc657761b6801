#!/usr/bin/env bash
# The game on a phone, by fingers alone: headless Chromium as a phone held sideways (844 x 390
# CSS pixels, touch only) whose browser has neither pointer lock nor full screen, as iPhone
# Safari. The first visit's setup shows whole, offers 640 x 480 on a screen smaller than that,
# and a tap on Save saves; "tap to play", and the on-screen controls show beside the picture,
# named and finger-sized, clear of the bat's row; held upright the page asks to be turned. A tap
# starts play, a drag steers the bat, a second finger on a control works while the first steers,
# the on-screen Pause pauses and resumes, a tap launches the ball, switching away comes back
# paused, and Leave ends the game.
# With firefox, the same in Firefox, headful with openbox on an Xvfb screen of the phone's size,
# over WebDriver BiDi (engine_driver.mjs): told its pointer is a touch screen's, the page's view
# set to the phone's, and the fingers WebDriver's touch pointers.
#   touch_web.sh <page folder> [chromium|firefox]
set -uo pipefail

engine=${2:-chromium}
source "$(dirname "$0")/page_test.sh"
page_test_needs "${1:-}" zendrill-setup.js
case "$engine" in
chromium)
    page_test_needs_chromium
    driver=(node "$tests/web/play_driver.mjs")
    ;;
firefox)
    page_test_needs_engine firefox Xvfb openbox xdotool
    ZENDRILL_XVFB_SCREEN=844x390x24 page_test_on_display "$0" "$@"
    driver=(node --experimental-websocket "$tests/web/engine_driver.mjs" firefox play)
    ;;
*)
    echo "touch_web.sh: no engine \"$engine\" (chromium or firefox)"
    exit 2
    ;;
esac

work=$(mktemp -d "/tmp/zendrill-touch-$engine-XXXXXX")
source "$tests/screen_checks.sh"
[ "$engine" = chromium ] || source "$tests/x11_driver.sh" # its start_openbox
source "$tests/web/web_driver.sh"
source "$tests/play_scenario.sh" # the regions and checks the play scenario looks at
cd "$work" || exit 1
echo "work folder: $work"
if [ "$engine" != chromium ]; then
    trap 'driver_end; driver_cleanup' EXIT
    start_openbox || exit 1
fi

touch_session() {
    coproc BROWSER { "${driver[@]}" "$page" /dev/null "$work/page.log" 2>&1; }
    browser_pid=$BROWSER_PID
    browse "start touch" 400 || { fail "the setup did not open on the phone"; return; }
    browse setup
    local modes selected inside
    IFS='|' read -r modes selected inside <<<"$reply"
    case ",$modes," in
    *",640 x 480 - 32 bit,"*) pass "the setup offers 640 x 480 on a smaller screen ($modes)" ;;
    *) fail "the setup's modes on the phone: \"$modes\"" ;;
    esac
    [ "$selected" = "640 x 480 - 32 bit" ] && pass "640 x 480 is selected" ||
        fail "the selected mode is \"$selected\""
    [ "$inside" = yes ] && pass "Save and Cancel show within the screen" ||
        fail "Save or Cancel lies outside the screen or under something"
    browse "pageshot $work/setup.png"
    # No snow, so that play with the ball at rest is a still picture.
    browse "tap #setup-111" && browse "checked #setup-111" && [ "$reply" = yes ] &&
        pass "a tap on a choice of the scaled dialog takes it" || fail "a tap on \"None\" left it unchecked"
    browse "tap #setup-100" && browse game 300 && pass "a tap on Save saves and the game starts" ||
        { fail "the game did not start after a tap on Save"; return; }

    browse play || { fail "\"tap to play\" did not step aside after a tap"; return; }
    await title 90 sky || { fail "no title screen"; return; }
    await title2 30 orbiting || fail "the title screen stands still"
    browse controls
    local count named smallest over_bat width height
    read -r count named smallest over_bat <<<"$reply"
    IFS=x read -r width height <<<"$smallest"
    [ "$count" = 6 ] && [ "$named" = 6 ] && pass "six on-screen controls, each named" ||
        fail "on-screen controls: $count shown, $named named"
    [ "$(number width "$width")" -ge 44 ] && [ "$(number height "$height")" -ge 44 ] &&
        pass "the smallest control is $smallest CSS px" || fail "a control is only $smallest CSS px"
    [ "$over_bat" = 0 ] && pass "no control covers the bat's row" ||
        fail "$over_bat controls cover the bat's row"
    browse "pageshot $work/controls.png"
    browse "turn portrait" && [ "$reply" = yes ] && pass "held upright the page asks to be turned" ||
        fail "no note to turn the device in portrait"
    browse "pageshot $work/portrait.png"
    browse "turn landscape" && [ "$reply" = no ] || fail "the turn note stayed in landscape"

    browse "tap #canvas"
    await play0 30 title_gone && pass "a tap starts play" || { fail "the title stayed after a tap"; return; }
    await rest 20 still rest && pass "play has started: the picture stands still" ||
        { fail "the picture still moves after the tap"; return; }

    bat_moved() { [ "$(changed rest moved "${LowerHalf[@]}")" -gt 3000 ]; }
    browse "finger 1 on #canvas" && browse "finger 1 by 120 0" 400
    await moved 20 bat_moved && pass "a finger dragged steers the bat" || fail "the bat did not follow the finger"
    # A second finger on a control while the first steers on: the bat follows the first, and the
    # frame rate shows (the view follows the bat, so the counter is seen where the bat is at
    # rest: its figures go when the control is tapped again).
    browse "finger 2 on #touch-rate" && browse "finger 1 by -240 0" 400
    moved_again() { [ "$(changed moved both "${LowerHalf[@]}")" -gt 3000 ]; }
    await both 20 moved_again && pass "the bat follows a finger while another holds a control" ||
        fail "the bat stayed while another finger held a control"
    browse lift
    bat_rests() { shot "$1-next" && [ "$(changed "$1" "$1-next" "${LowerHalf[@]}")" -eq 0 ]; }
    await both 20 bat_rests both || fail "the bat did not come to rest after the drag"
    browse "tap #touch-rate"
    counter_gone() { [ "$(changed both settled "${FrameRateRegion[@]}")" -gt 200 ] && still settled; }
    await settled 30 counter_gone && pass "the control held during the drag showed the frame rate" ||
        fail "no frame rate shown by its control during the drag ($(changed both settled "${FrameRateRegion[@]}") px)"

    paused() { [ "$(changed settled paused "${PausedRegion[@]}")" -gt 300 ]; }
    browse "tap #touch-pause"
    await paused 30 paused && pass "the on-screen Pause shows PAUSED" || fail "no PAUSED after its control"
    resumed() { [ "$(changed settled resumed)" -eq 0 ]; }
    browse "tap #touch-pause"
    await resumed 30 resumed && pass "it resumes" ||
        fail "the picture after the second Pause differs ($(changed settled resumed) px)"

    browse "tap #canvas"
    await flying 20 moving flying && pass "a tap launches the ball" || fail "nothing moves after the tap"

    switch_away && pass "switching away leaves the game" || fail "the game's page stayed in front"
    browse back || fail "no tap to play after coming back"
    back_paused() { [ "$(changed paused back "${PausedRegion[@]}")" -lt 200 ]; }
    await back 60 back_paused && pass "back in front the game is paused" ||
        fail "no PAUSED picture after switching back"

    browse "tap #touch-leave"
    game_exit 60
    [ "$code" -eq 0 ] && pass "Leave ends the game with 0" || fail "exit code $code after Leave"
    browse quit
}

touch_session

page_test_end
