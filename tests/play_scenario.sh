# shellcheck shell=bash
# The play scenario that every build of the game runs, whatever its platform: the title screen,
# Space, the cameras and the frame-rate counter, the bat on the mouse, pause, a click that
# launches the ball, a brick broken and scored, a switch to another window and back (the game
# comes back paused), P, C and F again, and Escape ending the game with exit code 0.
#
# Sourced after tests/screen_checks.sh and after the platform's driver, which defines:
#   game_start            starts the game in the current folder (d3d.ini for 640 x 480,
#                         textures/, models/) and sets $pid; fails when no window appeared
#   game_full_screen      succeeds when the game's window covers the whole screen
#   shot NAME             the whole screen as $work/NAME.ppm, taken at once
#   key_down KEY, key_up KEY     a key by its X keysym name (space, p, c, f, Escape)
#   button_down, button_up       the left mouse button
#   mouse_move DX DY      relative pointer motion
#   switch_away           another window takes the foreground; fails unless the game's window
#                         is then minimised or hidden
#   switch_back           the game's window in front again
#   game_exit SECONDS     waits for the game to end and sets $code (124 while it still runs)
# A driver may also define cannot_take STEP, which prints why its platform cannot take that step
# and succeeds; the scenario then says so and skips it. The steps: fullscreen (the game filling
# the screen), f (the frame-rate counter's key) and escape (Escape ending the game).
# Every step waits for what it checks, up to a generous deadline, so a slow or busy machine
# takes longer but still passes. Regions are in the game's 640 x 480 picture (screen_checks.sh);
# a changed digit or camera icon is a few dozen pixels on a 640 x 480 screen.

declare -F cannot_take >/dev/null || cannot_take() { return 1; }

# The regions of the picture the scenario looks at.
TitleRegion=(80 43 560 128)
LivesRegion=(0 468 64 480)
ScoreRegion=(294 0 346 12)
FrameRateRegion=(0 0 52 12)
CameraRegion=(608 0 640 12)
PausedRegion=(288 228 352 252)
LowerHalf=(0 300 640 480)

# Holds a key down until the check after it holds (the game acts once on a held key), then lets
# it go. A press the game did not see (a busy machine can run no step between one key's release
# and its next press, so the two merge) is let go and pressed again, up to the deadline. Fails
# when the check never held.
press_until() { # key name seconds check...
    local key=$1 name=$2 end=$((SECONDS + $3)) status
    shift 3
    while :; do
        key_down "$key"
        await "$name" 10 "$@"
        status=$?
        key_up "$key"
        sleep 0.3 # released as long as a player's finger would be
        [ "$status" -eq 0 ] && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
    done
}

# Moves the mouse to the right until the check after it holds, as press_until presses a key: a
# motion the game did not see is made again, up to the deadline. A Wayland compositor can spend
# the first motion over a new window on handing the pointer to the game (its cursor shows until
# then), as a player's first nudge of the mouse would.
move_until() { # name seconds check...
    local name=$1 end=$((SECONDS + $2))
    shift 2
    while :; do
        mouse_move 200 0
        await "$name" 5 "$@" && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
    done
}

# The title screen: the sky in the top-left corner of shot "title" (or of the shot named).
sky_in() { [ "$(pixel "$1" 4 4)" = "155 155 255" ]; }
sky() { sky_in title; }
# Play has started: shot "play0" shows neither the title picture of shot "title2" nor the sky.
# The title's region alone can change by that much as the camera circles (the sand behind the
# title, when a slow machine takes its time between two shots): the sky has to be gone as well.
title_gone() {
    ! sky_in play0 && [ "$(changed title2 play0 "${TitleRegion[@]}")" -gt 5000 ]
}
# The title screen's camera circles the arena: shot "title2" differs from "title".
orbiting() { [ "$(changed title title2)" -gt 500 ]; }

# Escape ends the game; it sets $code as game_exit does. The game ends once the key is let go:
# while Escape is held every step asks to quit again, and Windows hands out the quit only when no
# other message waits. A press that a busy machine missed is pressed again, as a player would.
escape_ends_game() {
    local try
    for try in 1 2 3; do
        # Keys that did not reach the game: the player clicks its window first, where the driver
        # can (game_focus).
        [ "$try" = 1 ] || ! declare -F game_focus >/dev/null || game_focus
        key_down Escape
        sleep 0.3
        key_up Escape
        game_exit 30
        [ "$code" -ne 124 ] && return
    done
}

# Succeeds when another shot is the same as shot $1: the picture has settled.
still() { # name
    shot "$1-next"
    [ "$(changed "$1" "$1-next")" -eq 0 ]
}

# Succeeds when another shot differs from shot $1: something on the screen moves.
moving() { # name
    shot "$1-next"
    [ "$(changed "$1" "$1-next")" -gt 50 ]
}

play_scenario() {
    game_start || { fail "the game window did not appear"; return; }

    # The title screen: sky above the title picture, the camera circling the arena.
    if ! await title 90 sky; then
        fail "no title screen: the top-left pixel is ($(pixel title 4 4)), not the sky"
        return
    fi
    pass "the title screen shows the sky"
    local why
    if why=$(cannot_take fullscreen); then
        echo "skipped: the game filling the screen: $why"
    else
        game_full_screen && pass "the game fills the screen" || fail "the game is not full screen"
    fi
    await title2 30 orbiting && pass "the title screen's camera circles the arena" ||
        fail "the title screen stands still"

    # Space: play starts with the ball resting on the bat and the overlay shown.
    press_until space play0 30 title_gone && pass "Space starts play" ||
        fail "the title stayed after Space"
    n=$(changed title2 play0 "${LivesRegion[@]}")
    [ "$n" -gt 300 ] && pass "five life icons shown ($n px)" || fail "no life icons ($n px)"
    n=$(changed title2 play0 "${ScoreRegion[@]}")
    [ "$n" -gt 300 ] && pass "score digits shown ($n px)" || fail "no score digits ($n px)"
    # With the ball resting on the bat the picture stands still once the title has gone (a busy
    # machine may take a while to draw the last of the change): play0 is that still picture,
    # which the steps below compare with.
    await play0 20 still play0 && pass "a resting ball leaves the picture still" ||
        fail "picture moves ($(changed play0 play0-next) px)"

    # F: the frame-rate digits appear in the top-left corner and nowhere else; F again hides them.
    if why=$(cannot_take f); then
        echo "skipped: F and the frame-rate counter: $why"
    else
        fps_shown() { [ "$(changed play0 fps "${FrameRateRegion[@]}")" -gt 200 ]; }
        press_until f fps 30 fps_shown && pass "F shows the frame-rate counter" ||
            fail "no frame-rate digits after F"
        n=$(changed_outside play0 fps "${FrameRateRegion[@]}")
        [ "$n" -eq 0 ] && pass "nothing else changed with F" || fail "F changed $n px elsewhere"
        fps_hidden() { [ "$(changed play0 nofps)" -eq 0 ]; }
        press_until f nofps 30 fps_hidden && pass "F again hides it" || fail "F did not hide it"
    fi

    # C: another camera and its indicator; three more presses come back to the first camera.
    other_camera() { [ "$(changed play0 camera1 "${CameraRegion[@]}")" -gt 15 ]; }
    press_until c camera1 30 other_camera && pass "C changes the camera indicator" ||
        fail "the camera indicator stayed after C"
    n=$(changed play0 camera1)
    [ "$n" -gt 20000 ] && pass "the view changed with the camera ($n px)" || fail "view same ($n px)"
    local i
    for i in 2 3; do
        not_previous() { [ "$(changed "camera$((i - 1))" "camera$i")" -gt 100 ]; }
        press_until c "camera$i" 30 not_previous || fail "C did not change camera $((i - 1))"
    done
    first_again() { [ "$(changed play0 camera0)" -eq 0 ]; }
    press_until c camera0 30 first_again && pass "four presses of C return to the first camera" ||
        fail "not back at the first camera ($(changed play0 camera0) px)"

    # The bat follows the mouse (and the resting ball with it).
    bat_moved() { [ "$(changed camera0 moved "${LowerHalf[@]}")" -gt 3000 ]; }
    move_until moved 20 bat_moved && pass "the bat follows the mouse" || fail "the bat did not move"
    # The motion may reach the game over several steps: the picture to compare with is the one
    # where the bat has come to rest.
    await moved 20 still moved || fail "the picture did not settle after the bat moved"

    # P pauses: the PAUSED picture, without score, camera and lives; the scene stands.
    paused() { [ "$(changed moved paused "${PausedRegion[@]}")" -gt 300 ]; }
    press_until p paused 30 paused && pass "P shows PAUSED" || fail "no PAUSED picture after P"
    n=$(changed_outside moved paused "${PausedRegion[@]}" 0 0 640 12 "${LivesRegion[@]}")
    [ "$n" -eq 0 ] && pass "the paused scene stands still" || fail "scene changed when paused ($n px)"
    resumed() { [ "$(changed moved resumed)" -eq 0 ]; }
    press_until p resumed 30 resumed && pass "P resumes the same picture" ||
        fail "the picture after P differs ($(changed moved resumed) px)"

    # A click launches the ball: the picture starts to move.
    button_down
    await flying 20 moving flying && pass "a click launches the ball" || fail "nothing moves after the click"
    button_up

    # The ball reaches the bricks: one breaks and the score's figures change (the scene behind
    # them moves with the camera, so only the figures count).
    scored() { [ "$(figures_changed resumed scored "${ScoreRegion[@]}")" -gt 10 ]; }
    await scored 120 scored && pass "a brick broke and the score changed" ||
        fail "the score did not change"

    # Switching to another window and back: the game comes back paused, and its keys work.
    switch_away && pass "switching away minimises or hides the game" ||
        fail "the game's window stayed in front of the other window"
    switch_back
    back_paused() { [ "$(changed paused back "${PausedRegion[@]}")" -lt 200 ]; }
    await back 60 back_paused && pass "back in front the game is paused" ||
        fail "no PAUSED picture after switching back"
    unpaused() { [ "$(changed paused unpaused "${PausedRegion[@]}")" -gt 300 ]; }
    press_until p unpaused 30 unpaused && pass "P resumes after switching back" ||
        fail "P did nothing after switching back"
    camera_again() { [ "$(changed unpaused camera-again "${CameraRegion[@]}")" -gt 15 ]; }
    press_until c camera-again 30 camera_again && pass "C changes the camera after switching back" ||
        fail "C did nothing after switching back"
    fps_again() { [ "$(changed camera-again fps-again "${FrameRateRegion[@]}")" -gt 200 ]; }
    if ! why=$(cannot_take f); then
        press_until f fps-again 30 fps_again && pass "F shows the frame rate after switching back" ||
            fail "F did nothing after switching back"
    fi

    # Escape ends the game with exit code 0.
    if why=$(cannot_take escape); then
        echo "skipped: Escape ending the game: $why"
        return
    fi
    escape_ends_game
    [ "$code" -eq 0 ] && pass "Escape exits with 0" || fail "exit code $code after Escape"
}
