#!/usr/bin/env bash
# zendrill-setup under a real window manager, openbox (run under tests/with-display.sh): the
# dialog has a fixed size and asks for a title bar without buttons, and closing it from the
# window manager (Alt+F4) ends it as Cancel does: exit code 0, the Cancel line, d3d.ini untouched.
# Openbox never lets a normal or dialog window drop its close and minimise functions (nor the
# full-screen one it adds to dialogs), so what is checked is what the window asks for (its Motif
# hints, which most window managers draw their buttons from) and what openbox then offers
# (neither resizing nor maximising).
set -euo pipefail

bin=${ZENDRILL_BIN_DIR:?}
work=$(mktemp -d /tmp/zendrill-setup-wm.XXXXXX)
source "${ZENDRILL_SOURCE_DIR:?}/tests/e2e/x11_helpers.sh"

start_window_manager
cd "$work"
echo "old settings" >d3d.ini
QT_QPA_PLATFORM=xcb "$bin/zendrill-setup" 2>"$work/setup.err" &
setup=$!
pids+=("$setup")
win=$(find_window "3D Zendrill Setup") || true
[ -n "$win" ] || { cat "$work/setup.err" >&2; fail "the setup dialog did not appear"; }
window_drawn "$win" 60 || fail "the setup dialog did not finish drawing"

actions=$(xprop -id "$win" _NET_WM_ALLOWED_ACTIONS)
echo "$actions"
case $actions in *_NET_WM_ACTION_*) ;; *) fail "openbox does not manage the dialog" ;; esac
for refused in RESIZE MAXIMIZE_HORZ MAXIMIZE_VERT; do
    case $actions in *"_NET_WM_ACTION_$refused"*) fail "openbox offers $refused" ;; esac
done
# _MOTIF_WM_HINTS = flags, functions, decorations, ...: with the functions flag (1) set, the
# close (0x20), minimise (0x08) and maximise (0x10) functions must be absent.
motif=$(xprop -id "$win" _MOTIF_WM_HINTS)
echo "$motif"
read -r flags functions _ < <(sed -E 's/.*= *//; s/,//g' <<<"$motif")
((flags & 1)) || fail "the dialog leaves its window functions to the window manager"
((functions & 0x38)) && fail "the dialog asks for close, minimise or maximise ($functions)"
hints=$(xprop -id "$win" WM_NORMAL_HINTS)
min=$(sed -n 's/.*minimum size: //p' <<<"$hints")
max=$(sed -n 's/.*maximum size: //p' <<<"$hints")
[ -n "$min" ] && [ "$min" = "$max" ] || fail "the dialog is resizable (min '$min', max '$max')"

activate "$win" || fail "openbox did not make the dialog the active window"
# Openbox closes the window that has the keyboard focus, which can follow the active window by a
# moment on a busy machine: Alt+F4 is pressed once the focus is there, and pressed again (as a
# user would) when the first press found the focus elsewhere after all.
for press in 1 2; do
    for ((i = 0; i < 50; i++)); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$win" ] && break
        sleep 0.2
    done
    xdotool key --clearmodifiers alt+F4
    wait_exit "$setup" 15 && break
    echo "Alt+F4 press $press: the dialog is still open (focus on $(xdotool getwindowfocus" \
        "2>/dev/null), active $(xdotool getactivewindow 2>/dev/null), dialog $win)"
done
[ -n "$exit_code" ] || { cat "$work/openbox.log" >&2; fail "Alt+F4 did not end the dialog"; }
cat "$work/setup.err" >&2
[ "$exit_code" = 0 ] || fail "zendrill-setup exited with $exit_code"
grep -q "User Clicked Cancel." "$work/setup.err" || fail "Alt+F4 did not end it as Cancel"
[ "$(cat d3d.ini)" = "old settings" ] || fail "Alt+F4 changed d3d.ini"
echo "PASS: window manager"
