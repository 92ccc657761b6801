#!/usr/bin/env bash
# The installed tree as a player meets it (run under tests/with-display.sh):
#   cmake --install into a temporary DESTDIR; the desktop entries and the metainfo validate;
#   then, under openbox with a fresh XDG_DATA_HOME, the game's launcher opens the setup dialog
#   because there are no settings yet, Save (clicked) writes d3d.ini into the player's folder,
#   the game starts there with its icon and window class, Escape ends it with 0; the installed
#   tree is never written to; and a read-only home gets a message and no half-made folder.
#   installed_tree_e2e.sh <build folder>
set -euo pipefail

build=$(realpath "${1:?build folder}")
work=$(mktemp -d /tmp/zendrill-installed.XXXXXX)
chmod 755 "$work"
keep=$PWD
source "${ZENDRILL_SOURCE_DIR:?}/tests/e2e/x11_helpers.sh"

root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; }
usr=$root/usr
for f in bin/zendrill bin/zendrill-setup libexec/zendrill/zendrill libexec/zendrill/zendrill-setup \
    share/zendrill/textures/TITLE.bmp share/zendrill/models/ball.x \
    share/icons/hicolor/64x64/apps/zendrill.png share/man/man6/zendrill.6.gz \
    share/man/man6/zendrill-setup.6.gz; do
    [ -e "$usr/$f" ] || fail "not installed: /usr/$f"
done

desktop-file-validate "$usr"/share/applications/*.desktop || fail "desktop entries do not validate"
appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml ||
    fail "the metainfo does not validate"
grep -q '^StartupWMClass=zendrill$' "$usr/share/applications/zendrill.desktop" ||
    fail "the game's entry names another window class"

listing() { (cd "$root" && find . -printf '%p %y %m %s %l\n' | sort && find . -type f -exec md5sum {} + | sort); }
listing >"$work/before"

export HOME=$work/home XDG_DATA_HOME=$work/home/data
mkdir -p "$HOME"
folder=$XDG_DATA_HOME/zendrill
start_window_manager

# No settings yet: the launcher says so and opens the setup dialog first.
QT_QPA_PLATFORM=xcb "$usr/bin/zendrill" 2>"$work/launch.err" &
launcher=$!
pids+=("$launcher")
win=$(find_window "3D Zendrill Setup") || true
[ -n "$win" ] || { cat "$work/launch.err" >&2; fail "the setup dialog did not open first"; }
grep -q "opening Zendrill Setup first" "$work/launch.err" || fail "the launcher did not say why"
[ -L "$folder/textures" ] && [ -L "$folder/models" ] || fail "the player's folder has no asset links"
[ ! -e "$folder/d3d.ini" ] || fail "d3d.ini exists before Save"
window_drawn "$win" 60 || fail "the setup dialog did not finish drawing"
click_dialog_rect "$win" 16 286 133 14

game=$(find_window "D3D Zendrill") || true
[ -n "$game" ] || { cat "$work/launch.err" >&2; fail "the game did not start after Save"; }
[ "$(grep -c '' "$folder/d3d.ini")" = 17 ] || fail "d3d.ini in $folder is not seventeen lines"
class=$(xprop -id "$game" WM_CLASS)
[[ $class == *'"zendrill", "zendrill"'* ]] || fail "the game's window class is $class"
icon=$(xprop -id "$game" _NET_WM_ICON | sed -n 1p)
[[ $icon == *'Icon (64 x 64)'* ]] || fail "the game window has no icon of its own: $icon"
# The picture comes: the title screen's sky shows.
sky_on_screen 90 "$work/screen.png" ||
    { cp "$work/screen.png" "$keep/installed_tree-last.png"; fail "the game drew nothing"; }
xdotool windowfocus --sync "$game" 2>/dev/null || true
xdotool keydown Escape
sleep 0.5
xdotool keyup Escape
wait_exit "$launcher" 30 || fail "the game is still running after Escape"
cat "$work/launch.err" >&2
[ "$exit_code" = 0 ] || fail "the game exited with $exit_code"
[ "$(readlink "$folder/textures")" = "$usr/share/zendrill/textures" ] ||
    fail "textures links to $(readlink "$folder/textures")"

# A home nobody may write to: a clear message, and nothing made there. Run as an unprivileged
# user when this test is root, since root writes anywhere.
as_user=()
[ "$(id -u)" != 0 ] || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
mkdir -p "$work/locked"
chmod 555 "$work/locked"
status=0
# Without a display the message goes only to standard error (with one it also opens a window).
XDG_DATA_HOME=$work/locked/data timeout 60 env -u DISPLAY "${as_user[@]}" "$usr/bin/zendrill-setup" \
    2>"$work/locked.err" || status=$?
cat "$work/locked.err" >&2
[ "$status" = 1 ] || fail "the launcher exited with $status in a read-only home"
grep -q "read-only or full" "$work/locked.err" || fail "no clear message for a read-only home"
[ -z "$(ls -A "$work/locked")" ] || fail "something was left in the read-only home"

listing >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "the installed tree was written to"
echo "PASS: installed tree"
