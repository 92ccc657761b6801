#!/usr/bin/env bash
# A whole game session with the real zendrill program on a real X display under openbox: the
# play scenario that every build runs (tests/play_scenario.sh), driven with xdotool; with
# "soak SECONDS", that long a session of random play instead (tests/soak_scenario.sh). The
# screenshots and the game's log stay in the work folder, which is printed on failure.
set -uo pipefail

bin=${ZENDRILL_BIN_DIR:?}/zendrill
assets=${ZENDRILL_RUN_DIR:?}
[ -x "$bin" ] || { echo "SKIP: no zendrill program at $bin"; exit 77; }
[ -d "$assets/textures" ] || { echo "SKIP: no generated assets in $assets"; exit 77; }
tests=$(cd "$(dirname "$0")/.." && pwd)
source "$tests/screen_checks.sh"
source "$tests/x11_driver.sh"
source "$tests/play_scenario.sh"
source "$tests/soak_scenario.sh"
source "$tests/native_game.sh"
source "$tests/write_settings.sh"

work=$(mktemp -d /tmp/zendrill-play-XXXXXX)
cd "$work" || exit 1
echo "work folder: $work"
trap driver_cleanup EXIT
ln -s "$assets/textures" textures
ln -s "$assets/models" models
# The defaults (640 x 480 at the rate the display reports, none under Xvfb; lighting and the
# three blend factors on): what the setup tool saves for this display.
write_settings d3d.ini

start_openbox || exit 1
play_or_soak "X11 (openbox)" "$@"

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed; screenshots and the game's log are in $work"
    cat "$work/game.log"
    exit 1
fi
# ZENDRILL_KEEP_SHOTS keeps the screenshots of a passed run too.
[ -n "${ZENDRILL_KEEP_SHOTS:-}" ] && echo "screenshots in $work" || rm -rf "$work"
echo PASS
