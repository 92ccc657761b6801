# shellcheck shell=bash
# A long session of play as a restless player gives it, the same on every platform: random keys
# (Space, P, C, F, T, R), mouse motion and clicks, a switch to another window and back about every
# 30 seconds, the program's memory written down every minute, and Escape at the end, which must
# end the game with exit code 0. It prints one line a minute and a summary:
#   soak: <desktop> <seconds> s, <n> focus cycles, <n> boxes, exit code <c>, memory <what> ...
#
# Sourced after tests/screen_checks.sh, the platform's driver (the functions play_scenario.sh
# names) and play_scenario.sh (press_until, escape_ends_game), with three more from the driver:
#   game_running        succeeds while the game runs
#   program_memory      the program's memory now, as "name=KiB" words (e.g. "rss=81234")
#   boxes_seen          how many message boxes the program has shown so far (0 when none)
# Random choices come from $RANDOM, seeded with ZENDRILL_SOAK_SEED (default 1) so a failing run
# can be repeated with the same keys.

# The keys a player presses, as X keysym names; Escape only at the end.
SoakKeys=(space space p c f t r)

# The play scenario, or with "soak SECONDS" the soak, on the desktop named $1: what a runner's
# command line asks for.
play_or_soak() { # desktop [soak seconds]
    if [ "${2:-}" = soak ]; then
        soak_scenario "$1" "${3:?soak needs a duration in seconds}"
    else
        play_scenario
    fi
}

# One memory sample, printed and kept in SoakFirstMemory (after warm-up) and SoakLastMemory.
soak_memory() { # minute
    local now
    now=$(program_memory) || return 1
    [ -n "$now" ] || return 1
    echo "soak: minute $1: $now, $(boxes_seen) boxes, $SoakCycles focus cycles"
    [ "$1" -eq 1 ] && SoakFirstMemory=$now
    SoakLastMemory=$now
    return 0
}

soak_scenario() { # desktop seconds
    local desktop=$1 seconds=$2 start end next_switch next_sample minute=0 key
    RANDOM=${ZENDRILL_SOAK_SEED:-1}
    SoakCycles=0 SoakFirstMemory=none SoakLastMemory=none

    game_start || { fail "the game window did not appear"; return; }
    if ! await title 90 sky; then
        fail "no title screen: the top-left pixel is ($(pixel title 4 4)), not the sky"
        return
    fi
    start=$SECONDS
    end=$((start + seconds))
    next_switch=$((start + 25 + RANDOM % 10))
    next_sample=$((start + 60))
    soak_memory 0 || fail "the program's memory could not be read"

    while [ "$SECONDS" -lt "$end" ]; do
        if ! game_running; then
            fail "the game ended by itself after $((SECONDS - start)) s"
            break
        fi
        case $((RANDOM % 4)) in
        0 | 1)
            key=${SoakKeys[RANDOM % ${#SoakKeys[@]}]}
            key_down "$key"
            sleep 0.1
            key_up "$key"
            ;;
        2) mouse_move $((RANDOM % 401 - 200)) 0 ;;
        3)
            button_down
            sleep 0.1
            button_up
            ;;
        esac
        sleep 0.$((2 + RANDOM % 6))
        if [ "$SECONDS" -ge "$next_switch" ]; then
            if switch_away; then
                sleep 1
                switch_back
                SoakCycles=$((SoakCycles + 1))
            else
                fail "switching away did not hide the game (cycle $((SoakCycles + 1)))"
                switch_back
            fi
            next_switch=$((SECONDS + 25 + RANDOM % 10))
        fi
        if [ "$SECONDS" -ge "$next_sample" ]; then
            minute=$((minute + 1))
            soak_memory "$minute" || fail "the program's memory could not be read"
            next_sample=$((next_sample + 60))
        fi
    done

    local boxes
    boxes=$(boxes_seen)
    escape_ends_game
    [ "$code" -eq 0 ] && pass "Escape exits with 0 after the soak" ||
        fail "exit code $code after Escape"
    [ "$boxes" = 0 ] && pass "no message box in the soak" || fail "$boxes message boxes appeared"
    [ "$SoakCycles" -gt 0 ] || [ "$seconds" -lt 30 ] || fail "no focus cycle was made"
    echo "soak: $desktop $seconds s, $SoakCycles focus cycles, $boxes boxes, exit code $code," \
        "memory after warm-up $SoakFirstMemory, at the end $SoakLastMemory"
}
