#!/usr/bin/env bash
# A game controller through Wine's DirectInput 8, played as a player plays one:
#   pad_wine.sh [work folder]
# On its own display and Wine prefix (with-wine.sh), pad_probe.exe (the Windows build's probe)
# runs with our preloaded object, which plugs a virtual SDL game controller into Wine's input
# bus and drives it from a command file. The probe asks DirectInput for game controllers as the
# game does and prints every change; each step below waits for its change in the probe's output:
#   1. with no controller, the enumeration lists none and nothing fails;
#   2. attach: an Xbox 360 pad is listed and opened (gamepad, 5 axes, 10 buttons, 1 POV);
#   3. A pressed and released (button 0); the left stick full left and full right (-1000 and
#      1000 in the range set), and back inside the dead zone (0); the d-pad up (POV 0); Start
#      (button 7);
#   4. detach: the probe loses the device and lists none;
#   5. attach again: listed, opened, and A reaches it.
# Prints how long each change took to arrive and how long EnumDevices takes under Wine.
# The probe's output and the preload's log stay in the work folder.
# Needs ZENDRILL_WINDOWS_BIN (the folder of pad_probe.exe) and ZENDRILL_WINE_PAD_PRELOAD (our
# preloaded object); exits 77 (skipped) without the probe, the preload or Wine.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

preload=${ZENDRILL_WINE_PAD_PRELOAD:-}
work=${1:-$PWD/pad_wine}
probe=${ZENDRILL_WINDOWS_BIN:-}/pad_probe.exe
[ -n "$preload" ] && [ -f "$preload" ] ||
    { echo "SKIP: the preloaded controller '$preload' is not built"; exit 77; }
[ -f "$probe" ] || { echo "SKIP: $probe is not built (cmake --preset windows)"; exit 77; }
ZENDRILL_WINE_PAD_PRELOAD=$(cd "$(dirname "$preload")" && pwd)/$(basename "$preload")
export ZENDRILL_WINE_PAD_PRELOAD
probe=$(cd "$(dirname "$probe")" && pwd)/$(basename "$probe")
mkdir -p "$work" && work=$(cd "$work" && pwd) || exit 1
if [ -z "${ZENDRILL_PAD_WINE_INSIDE:-}" ]; then
    export ZENDRILL_PAD_WINE_INSIDE=1
    exec "$here/with-wine.sh" --size 640x480 bash "$0" "$work"
fi
. "$here/wine_lib.sh" # fail, pass, driver_cleanup
. "$here/pad_lib.sh"

cd "$work" || exit 1
log=$work/probe.log
pad_setup "$work" || exit 1
: >"$log"
trap driver_cleanup EXIT

# ---- Waiting for the probe --------------------------------------------------------------------
# Lines after the mark only: each step waits for what its own command changed.
seen=0
mark() { seen=$(wc -l <"$log"); }
ms_now() { echo $(($(date +%s%N) / 1000000)); }

# Waits up to $2 seconds for a line of the probe's output after the mark that matches the
# extended regular expression $1; sets $line to it.
await_line() { # pattern seconds
    local end=$(($(ms_now) + $2 * 1000))
    while :; do
        line=$(tail -n +$((seen + 1)) "$log" | tr -d '\r' | grep -m1 -E -- "$1") && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        [ "$(ms_now)" -lt "$end" ] || return 1
        sleep 0.01
    done
}

# Sends a command to the controller and waits for the probe to show the change. Says how long it
# took: from the moment the preload in Wine's device process set the virtual controller to the
# probe's GetDeviceState seeing it (both stamp the wall clock), and from this script's command to
# its seeing the probe's line (with the preload's 2 ms and this script's 10 ms of polling).
inside_ms=() outside_ms=()
step() { # what pattern seconds command...
    local what=$1 pattern=$2 seconds=$3
    shift 3
    mark
    local sent
    sent=$(ms_now)
    pad_send "$@"
    if ! await_line "$pattern" "$seconds"; then
        fail "$what: no line matching '$pattern' within $seconds s of '$*'"
        return 1
    fi
    local outside=$(($(ms_now) - sent)) inside=
    if [[ "$line" == *" at "* ]]; then
        local done_at
        done_at=$(pad_done_at "$@")
        [ -n "$done_at" ] && inside=$(awk -v a="${line##* at }" -v d="$done_at" \
            'BEGIN { printf "%.0f", a - d * 1000 }')
    fi
    if [ -n "$inside" ]; then
        inside_ms+=("$inside")
        outside_ms+=("$outside")
        pass "$what ($inside ms in Wine, $outside ms from the command): ${line% at *}"
    else
        pass "$what ($outside ms from the command): $line"
    fi
}

report() {
    echo "---- probe output (last 40 lines)"
    tail -n 40 "$log"
    echo "---- preload log"
    cat "$ZENDRILL_PAD_STATUS" 2>/dev/null
    echo "---- Wine's messages (last 20 lines)"
    tail -n 20 "$work/probe.err"
    echo "---- Wine processes on this machine"
    ps -eo pid,args | grep -iE 'wine|\.exe' | grep -v grep
}

# ---- The run ----------------------------------------------------------------------------------
pad_run "$probe" 240 >"$log" 2>"$work/probe.err"

# Wine's bus starts SDL in the device process as the prefix's services come up.
if ! reason=$(pad_ready 60); then
    fail "$reason"
    report
    exit 1
fi
pass "SDL's joystick subsystem runs in Wine's device process:" \
    "$(grep -m1 'loaded in' "$ZENDRILL_PAD_STATUS" | cut -d' ' -f3-)"

# 1. No controller: an enumeration made after the bus runs lists none, and nothing has failed.
mark
if await_line '^enumerated ' 30; then
    [[ "$line" == "enumerated 0 "* ]] && pass "no controller: $line" ||
        fail "no controller attached, yet DirectInput lists one: $line"
else
    fail "the probe made no enumeration"
fi
grep -E '^(failed|devices [1-9])' "$log" &&
    fail "the probe failed or listed a device with no controller"

# 2. Plugged in.
expected_pad='^opened "Controller \(XBOX 360 For Windows\)" vendor 045e product 028e type gamepad'
expected_pad+=' axes 5 buttons 10 povs 1'
if step "attached: DirectInput lists an Xbox 360 pad" "$expected_pad" 30 attach &&
    await_line '^state x 0 y 0 z 0 rx 0 ry 0 rz 0 pov -1 buttons - at ' 10; then
    pass "at rest: ${line% at *}"

    # 3. Buttons, stick, d-pad.
    step "A pressed" ' buttons 0 at ' 10 button a 1
    step "A released" ' buttons - at ' 10 button a 0
    step "left stick full left" '^state x -1000 y 0 ' 10 axis leftx -32768
    step "left stick full right" '^state x 1000 y 0 ' 10 axis leftx 32767
    step "left stick inside the dead zone" '^state x 0 y 0 ' 10 axis leftx 4000
    step "d-pad up" ' pov 0 ' 10 button dpup 1
    step "d-pad released" ' pov -1 ' 10 button dpup 0
    step "Start pressed" ' buttons 7 at ' 10 button start 1
    step "Start released" ' buttons - at ' 10 button start 0

    # 4. Pulled out.
    mark
    pad_send detach
    await_line '^lost' 20 && pass "detached: the probe let go of it ($line)" ||
        fail "detached: the probe did not lose the device"
    await_line '^devices 0' 20 && pass "detached: DirectInput lists none" ||
        fail "detached: DirectInput still lists a controller"

    # 5. Plugged in again, and read.
    step "attached again" "$expected_pad" 30 attach
    step "A pressed on the controller attached again" ' buttons 0 at ' 10 button a 1
else
    fail "the attached controller was not opened at rest"
fi

kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
! grep '^failed' "$log" || fail "a DirectInput call failed in the probe"

# min, median and max of the numbers given, one a line.
spread() {
    sort -g | awk '{ v[NR] = $1 }
        END { if (NR) printf "min %s, median %s, max %s ms", v[1], v[int((NR + 1) / 2)], v[NR] }'
}
echo "changes of buttons and axes (${#inside_ms[@]}): from the virtual controller to GetDeviceState" \
    "$(printf '%s\n' "${inside_ms[@]}" | spread); from the command to the probe's line seen" \
    "$(printf '%s\n' "${outside_ms[@]}" | spread)"
# EnumDevices(DI8DEVCLASS_GAMECTRL, DIEDFL_ATTACHEDONLY) four times a second, with none and with
# one, and how busy the machine was meanwhile.
listings=$(tr -d '\r' <"$log" | awk '$1 == "enumerated" { print $2, $4 }')
for count in $(echo "$listings" | cut -d' ' -f1 | sort -un); do
    echo "EnumDevices under Wine with $count controller(s)," \
        "$(echo "$listings" | grep -c "^$count ") calls:" \
        "$(echo "$listings" | awk -v c="$count" '$1 == c { print $2 }' | spread)"
done
echo "load average over the last minute: $(cut -d' ' -f1 /proc/loadavg)"

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed; the logs are in $work"
    report
    exit 1
fi
echo "PASS"
