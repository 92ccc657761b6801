# shellcheck shell=bash
# The game played with a game controller alone, on any build that can plug one in: A starts play,
# the stick moves the bat, Start pauses and resumes; pulled out, the mouse plays on; plugged in
# again while the game runs, Y changes the camera and A launches the ball.
#
# Sourced after tests/play_scenario.sh (its regions and checks) and the platform's driver, which
# defines, besides shot and mouse_move:
#   pad_button NAME 0|1   a button of the controller (a, b, y, start) pressed or let go
#   pad_stick_x VALUE     the left stick's x: -1 (full left), 0 (at rest) or 1 (full right)
#   pad_unplug, pad_plug  the controller pulled out and plugged in again
#   pad_after_unplug      what a player does after pulling the controller out before the mouse
#                         plays (the page asks for a click); nothing elsewhere
#   PadUnplugSkipped      set to the reason where that step cannot be checked yet
# The game is on its title screen, shot "title2", with the controller plugged in.

# Holds a controller button until the check after it holds, then lets it go; a press the game did
# not see is made again, up to the deadline (as press_until does with a key).
pad_press_until() { # button name seconds check...
    local button=$1 name=$2 end=$((SECONDS + $3)) status
    shift 3
    while :; do
        pad_button "$button" 1
        await "$name" 10 "$@"
        status=$?
        pad_button "$button" 0
        sleep 0.3 # released as long as a player's thumb would be
        [ "$status" -eq 0 ] && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
    done
}

pad_scenario() {
    pad_press_until a play0 30 title_gone && pass "A starts play" ||
        { fail "the title stayed after A"; return 1; }
    # The title screen's camera circles; play with the ball resting on the bat stands still.
    await rest 20 still rest && pass "play has started: the picture stands still" ||
        { fail "the picture still moves after A: the title screen is still there"; return 1; }

    bat_moved() { [ "$(changed rest moved "${LowerHalf[@]}")" -gt 3000 ]; }
    pad_stick_x 1
    await moved 20 bat_moved && pass "the stick moves the bat" || fail "the bat did not move"
    pad_stick_x 0
    # The game draws one step in thirty, and its camera follows the bat on those frames alone, so
    # a bat still moving in the steps after the last frame before Start leaves the paused
    # picture's camera behind it, and resuming catches up. Two equal shots do not show that the
    # bat came to rest: a starved machine can draw no frame between them. The frame-rate counter
    # does: B, sent after the stick's release, is seen by the game with the stick at rest or
    # later, and its digits appear on a frame drawn after that.
    fps_shown() { [ "$(changed moved fps "${FrameRateRegion[@]}")" -gt 200 ]; }
    pad_press_until b fps 30 fps_shown || fail "no frame-rate digits after B"
    fps_hidden() { [ "$(changed fps settled "${FrameRateRegion[@]}")" -gt 200 ]; }
    pad_press_until b settled 30 fps_hidden || fail "B again did not hide the frame rate"
    await settled 20 still settled || fail "the picture did not settle after the stick"

    paused() { [ "$(changed settled paused "${PausedRegion[@]}")" -gt 300 ]; }
    pad_press_until start paused 30 paused && pass "Start shows PAUSED" ||
        fail "no PAUSED picture after Start"
    # Resumed, the scene is the paused one and the overlay (score, camera, lives) is back.
    local overlay=("${PausedRegion[@]}" 0 0 640 12 "${LivesRegion[@]}")
    resumed() {
        [ "$(changed paused resumed "${PausedRegion[@]}")" -gt 300 ] &&
            [ "$(changed_outside paused resumed "${overlay[@]}")" -eq 0 ]
    }
    pad_press_until start resumed 30 resumed && pass "Start resumes" ||
        fail "the picture after Start is not the paused scene" \
            "($(changed_outside paused resumed "${overlay[@]}") px)"

    # A driver that cannot yet check the mouse after the controller is pulled out says why in
    # $PadUnplugSkipped.
    if [ -n "${PadUnplugSkipped:-}" ]; then
        echo "skipped: the mouse after the controller is pulled out: $PadUnplugSkipped"
    else
        pad_unplug
        pad_after_unplug ||
            fail "the mouse could not be taken back after the controller was pulled out"
        await unplugged 20 still unplugged ||
            fail "the picture did not settle after the controller went"
        mouse_moved() { [ "$(changed unplugged mouse-moved "${LowerHalf[@]}")" -gt 3000 ]; }
        # Leftwards: the stick pushed the bat right, as far as the wall when the machine is
        # slow. A motion the game did not see (on the page it comes just after the click that
        # gave the game the mouse back) is made again, as a player nudges the mouse again.
        local end=$((SECONDS + 20)) mouse_followed=1
        while :; do
            mouse_move -200 0
            await mouse-moved 5 mouse_moved && { mouse_followed=0; break; }
            [ "$SECONDS" -lt "$end" ] || break
        done
        [ "$mouse_followed" -eq 0 ] && pass "the mouse plays on without the controller" ||
            fail "the bat did not follow the mouse after the controller was pulled out"
        await mouse-moved 20 still mouse-moved || fail "the picture did not settle after the mouse"
    fi
    # Plugged in again while the game runs, the controller is taken at the game's next look.
    pad_plug
    shot before-camera
    other_camera() { [ "$(changed before-camera camera1 "${CameraRegion[@]}")" -gt 15 ]; }
    pad_press_until y camera1 30 other_camera && pass "Y changes the camera" ||
        fail "the camera indicator stayed after Y (the controller plugged in again was not taken)"
    pad_button a 1
    await flying 20 moving flying && pass "A launches the ball" || fail "nothing moves after A"
    pad_button a 0
}
