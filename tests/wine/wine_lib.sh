# Helpers for the Wine tests, sourced by them; they run inside tests/wine/with-wine.sh, which
# provides $WINE, $WINEPREFIX and the display.
#   work        a folder for the program's files and the screenshots, set by the caller
# The checks on screenshots (fail/pass, shot, await, changed, pixel) and the X11 driver of the
# play scenario (find_window, game_exit, ...) are the Linux tests' own.
source "$(dirname "${BASH_SOURCE[0]}")/../screen_checks.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../x11_driver.sh"

# Wine's server ends a program that is still tearing itself down a moment after it asked to
# exit with SIGKILL, so on a busy machine a program that quit normally can report 137 and its own
# exit code is lost. Nothing in these tests sends SIGKILL, so 137 counts as a normal end, and
# the run says so.
game_exit() { # seconds
    program_exit "$1"
    wine_exit_code
}
wine_exit_code() {
    [ "$code" = 137 ] || return 0
    echo "note: Wine killed the exiting program (137), so its own exit code is unknown; taken as 0"
    code=0
}

# Starts a Windows program in the current folder; its standard output, error and Wine's trace
# of message boxes (and of the channels in $trace, e.g. "+d3d8") go to $work/<name>.log.
# Sets $pid.
start_program() { # exe [args...]
    local log="$work/$(basename "$1" .exe).log"
    WINEDEBUG=+msgbox${trace:+,$trace} "$WINE" "$@" >"$log" 2>&1 &
    pid=$!
}

# The texts Wine's message boxes showed, one a line. MessageBoxA writes nothing to the
# terminal; Wine's own trace of the box's set-up carries its text.
box_texts() { # log
    [ -f "$1" ] || cannot_check "no log $1 to read the boxes' texts from"
    sed -n 's/.*trace:msgbox:MSGBOX_OnInit L"\(.*\)"\r*$/\1/p' "$1"
}

# Closes a message box as a user does: Return on it (OK is its default button), else a click
# on OK.
close_box() { # window
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null
    xdotool key --clearmodifiers Return
    for _ in $(seq 1 30); do
        kill -0 "$pid" 2>/dev/null || return
        xdotool search --name "^$2\$" >/dev/null 2>&1 || return
        sleep 0.1
    done
    window_size "$1"
    xdotool mousemove --window "$1" $((WIDTH / 2)) $((HEIGHT - 20)) click 1
}
