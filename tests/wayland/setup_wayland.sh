#!/usr/bin/env bash
# zendrill-setup on a Wayland desktop (run under with-sway.sh, with XWayland beside it): the
# dialog opens as a native Wayland window, focused, with Save focused, so Space saves; the mode
# it saves is the output's own, at the output's refresh rate, as the mode list offers it first.
# Then the game starts natively with that d3d.ini and comes up full screen.
set -uo pipefail

bin=${ZENDRILL_BIN_DIR:?}
run=${ZENDRILL_RUN_DIR:?}
[ -x "$bin/zendrill-setup" ] || { echo "SKIP: zendrill-setup is not built"; exit 77; }
qt_plugins=$(find /usr/lib/*/qt6/plugins/platforms -name 'libqwayland*' 2>/dev/null | head -n 1)
[ -n "$qt_plugins" ] || { echo "SKIP: Qt's Wayland platform plugin (qt6-wayland) is missing"; exit 77; }

work=$(mktemp -d /tmp/zendrill-setup-wayland-XXXXXX)
source "$(dirname "$0")/sway_driver.sh"
fail() {
    echo "FAIL: $*"
    cat "$work/setup.log" "$work/game.log" 2>/dev/null
    exit 1
}
vinput_start

(cd "$work" && exec "$bin/zendrill-setup" >"$work/setup.log" 2>&1) &
pid=$!
started+=("$pid")
wait_window "$pid" '.name == "3D Zendrill Setup" and .focused and .visible' 60 ||
    fail "the dialog did not come up focused: $(window_of "$pid")"
shell=$(window_of "$pid" | jq -r .shell)
[ "$shell" = xdg_shell ] || fail "the dialog is a $shell window, not a native one"
echo "ok: the dialog is a native Wayland window and has the focus"

# Save has the keyboard focus from the start.
press space
game_exit 30
[ "$code" -eq 0 ] || fail "zendrill-setup ended with $code after Space"
[ -f "$work/d3d.ini" ] || fail "Space did not save d3d.ini"
mapfile -t v <"$work/d3d.ini"
[ "${#v[@]}" -eq 17 ] || fail "d3d.ini has ${#v[@]} lines"
output=$(sway_query get_outputs '.[0].current_mode | "\(.width) \(.height) \(.refresh / 1000 | round)"')
read -r width height refresh <<<"$output"
[ "${v[1]}x${v[2]}" = "${width}x${height}" ] ||
    fail "saved mode ${v[1]}x${v[2]}, not the output's ${width}x${height}"
[ "${v[3]}" = "$refresh" ] || fail "saved refresh rate ${v[3]}, not the output's $refresh Hz"
echo "ok: Space saved the output's mode ${v[1]}x${v[2]} at ${v[3]} Hz"

# The game starts with what was saved, natively and full screen.
if [ -f "$run/models/ball.x" ] && [ -x "$bin/zendrill" ]; then
    ln -s "$run/textures" "$work/textures"
    ln -s "$run/models" "$work/models"
    launch_game() {
        (cd "$work" && exec "$bin/zendrill" >"$work/game.log" 2>&1) &
        pid=$!
    }
    game_start || fail "the game did not start with the saved settings"
    echo "ok: the game runs full screen with the saved settings"
    game_quit
    [ "$code" -eq 0 ] || fail "Escape ended the game with $code"
fi
rm -rf "$work"
echo PASS
