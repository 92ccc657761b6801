# shellcheck shell=bash
# The virtual game controller of the Wine tests, for a script that runs a Windows program under
# Wine inside with-wine.sh. Our preloaded object (wine_pad_preload_sdl.c) plugs the controller
# into Wine's input bus, which runs SDL in Wine's device process (winedevice.exe); DirectInput
# and XInput in the program then see an Xbox 360 pad.
#   pad_setup <folder>               the command file and the preload's log go in <folder>; the
#                                    preload is $ZENDRILL_WINE_PAD_PRELOAD (the CTest
#                                    registration sets it); 1 when that is not built
#   pad_run <program> [args...]      starts "$WINE" <program> with the preload in the background
#                                    (sets $pid). It must be the prefix's first Wine process
#                                    since wineboot ended (with-wine.sh waits for that): Wine's
#                                    device process inherits the preload from it
#   pad_ready <seconds>              waits until the bus has started SDL with the preload there;
#                                    1 (and the reason on standard output) if it does not
#   pad_send <command>               attach, detach, button <name> <0|1>, axis <name> <value>
#                                    (SDL's names: a, b, x, y, back, start, dpup, ...; leftx,
#                                    lefty, ...; -32768..32767)
#   pad_done_at <command>            the wall clock (seconds since 1970, to the millisecond) at
#                                    which the device process carried out that command last
# Other programs of the script do not get the preload: only the Wine processes pad_run starts.

pad_setup() { # folder
    pad_preload=${ZENDRILL_WINE_PAD_PRELOAD:-}
    [ -n "$pad_preload" ] && [ -f "$pad_preload" ] || return 1
    pad_preload=$(cd "$(dirname "$pad_preload")" && pwd)/$(basename "$pad_preload")
    export ZENDRILL_PAD_COMMANDS=$1/commands ZENDRILL_PAD_STATUS=$1/preload.log
    : >"$ZENDRILL_PAD_COMMANDS"
    : >"$ZENDRILL_PAD_STATUS"
}

pad_run() { # program [args...]; its standard output and error as the caller redirects them
    LD_PRELOAD="$pad_preload${LD_PRELOAD:+:$LD_PRELOAD}" "$WINE" "$@" &
    pid=$!
}

pad_ready() { # seconds
    local end=$((SECONDS + $1))
    until grep -q 'SDL joystick subsystem running' "$ZENDRILL_PAD_STATUS"; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "the Wine program ended before Wine's bus started SDL"
            return 1
        fi
        if [ "$SECONDS" -ge "$end" ]; then
            if grep -q 'loaded in' "$ZENDRILL_PAD_STATUS"; then
                echo "Wine's device process never started SDL's joystick subsystem" \
                    "(Wine's bus built without SDL?)"
            else
                echo "the preload was not loaded into Wine's device process (winedevice.exe;" \
                    "was a Wine process of the prefix already running?)"
            fi
            return 1
        fi
        sleep 0.05
    done
}

pad_send() { echo "$*" >>"$ZENDRILL_PAD_COMMANDS"; }

pad_done_at() { # command
    local what="done: $*"
    [ "$1" = attach ] && what="attached:"
    grep -F "$what" "$ZENDRILL_PAD_STATUS" | tail -n 1 | cut -d' ' -f1
}
