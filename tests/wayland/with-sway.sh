#!/usr/bin/env bash
# Runs a command under a headless sway of its own: no input devices, the pixman renderer, one
# output of ZENDRILL_SWAY_MODE (1024x768 unless set), no bar and no wallpaper. The command gets
# WAYLAND_DISPLAY and SWAYSOCK and no X display (ZENDRILL_SWAY_XWAYLAND=1 gives it XWayland's
# too, as a desktop session has). sway refuses to run as root, so as root sway runs as the
# unprivileged user ZENDRILL_SWAY_USER (nobody unless set) in a runtime folder of that user's,
# while the command stays root's (root may use the compositor's socket, and the build folder may
# be one only root can read). Skips (77) when sway, swaymsg, grim or jq is missing.
set -uo pipefail

for tool in sway swaymsg grim jq; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    user=${ZENDRILL_SWAY_USER:-nobody}
    uid=$(id -u "$user") && gid=$(id -g "$user") || { echo "with-sway: no user $user"; exit 1; }
    as_user=(setpriv --reuid="$uid" --regid="$gid" --clear-groups -- env HOME=/nonexistent)
fi

XDG_RUNTIME_DIR=$(mktemp -d /tmp/zendrill-sway-run-XXXXXX)
chmod 700 "$XDG_RUNTIME_DIR"
[ -n "${uid:-}" ] && chown "$uid:$gid" "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
mode=${ZENDRILL_SWAY_MODE:-1024x768}
xwayland=disable
[ "${ZENDRILL_SWAY_XWAYLAND:-0}" = 1 ] && xwayland=enable
cat >"$XDG_RUNTIME_DIR/config" <<EOF
output HEADLESS-1 mode --custom $mode position 0 0
xwayland $xwayland
focus_follows_mouse no
default_border none
EOF
[ -n "${uid:-}" ] && chown "$uid:$gid" "$XDG_RUNTIME_DIR/config"

unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as_user[@]}" sway -c "$XDG_RUNTIME_DIR/config" >"$XDG_RUNTIME_DIR/sway.log" 2>&1 &
server=$!
finish() {
    # Asked to exit, sway closes its clients' windows first (a plain SIGTERM with windows still
    # open can crash sway 1.7 on its way out).
    [ -n "${SWAYSOCK:-}" ] && timeout 5 swaymsg -q exit 2>/dev/null
    for ((i = 0; i < 50; i++)); do
        kill -0 "$server" 2>/dev/null || break
        sleep 0.1
    done
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$XDG_RUNTIME_DIR"
}
trap finish EXIT

# The compositor is ready once its IPC answers with the output at the mode's size.
for ((i = 0; i < 200; i++)); do
    kill -0 "$server" 2>/dev/null || break
    socket=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n 1)
    display=$(cd "$XDG_RUNTIME_DIR" && ls wayland-* 2>/dev/null | grep -v lock | head -n 1)
    if [ -n "$socket" ] && [ -n "$display" ] &&
        SWAYSOCK=$socket swaymsg -t get_outputs 2>/dev/null |
        jq -e ".[0].rect.width == ${mode%x*}" >/dev/null 2>&1; then
        export SWAYSOCK=$socket WAYLAND_DISPLAY=$display
        break
    fi
    sleep 0.1
done
if [ -z "${SWAYSOCK:-}" ]; then
    echo "with-sway: sway did not start"
    cat "$XDG_RUNTIME_DIR/sway.log"
    exit 1
fi

if [ "$xwayland" = enable ]; then
    # sway names its X display only in the environment of what it starts.
    swaymsg exec "printenv DISPLAY >$XDG_RUNTIME_DIR/display" >/dev/null
    for ((i = 0; i < 100; i++)); do
        [ -s "$XDG_RUNTIME_DIR/display" ] && break
        sleep 0.1
    done
    DISPLAY=$(cat "$XDG_RUNTIME_DIR/display" 2>/dev/null)
    [ -n "$DISPLAY" ] || { echo "with-sway: XWayland did not start"; exit 1; }
    export DISPLAY
    # XWayland lets in only the user it runs as; root's programs are let in by that user.
    if [ ${#as_user[@]} -gt 0 ]; then
        command -v xhost >/dev/null || { echo "SKIP: xhost is not installed"; exit 77; }
        "${as_user[@]}" xhost +si:localuser:root >/dev/null
    fi
fi
# What a desktop session of this kind says about itself.
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway

"$@"
