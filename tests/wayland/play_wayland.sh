#!/usr/bin/env bash
# A whole game session with the real zendrill program as a native Wayland client of a headless
# sway (run under with-sway.sh): the play scenario that every build runs (tests/play_scenario.sh),
# played with our virtual keyboard and pointer; switching away is showing another workspace. With
# "soak SECONDS", that long a session of random play instead (tests/soak_scenario.sh). The
# screenshots and the game's log stay in the work folder, which is printed on failure.
set -uo pipefail

bin=${ZENDRILL_BIN_DIR:?}/zendrill
assets=${ZENDRILL_RUN_DIR:?}
[ -x "$bin" ] || { echo "SKIP: no zendrill program at $bin"; exit 77; }
[ -d "$assets/textures" ] || { echo "SKIP: no generated assets in $assets"; exit 77; }
tests=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d /tmp/zendrill-play-wayland-XXXXXX)
source "$tests/screen_checks.sh"
source "$tests/wayland/sway_driver.sh"
source "$tests/play_scenario.sh"
source "$tests/soak_scenario.sh"
source "$tests/native_game.sh"
source "$tests/write_settings.sh"
cd "$work" || exit 1
echo "work folder: $work"
ln -s "$assets/textures" textures
ln -s "$assets/models" models
# 640 x 480 at the output's refresh rate, as the setup tool saves it here; otherwise as the X11
# session's.
refresh=$(output_refresh)
write_settings d3d.ini RefreshRate="$refresh"

vinput_start
play_or_soak "Wayland (sway)" "$@"

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed; screenshots and the game's log are in $work"
    cat "$work/game.log"
    exit 1
fi
[ -n "${ZENDRILL_KEEP_SHOTS:-}" ] && echo "screenshots in $work" || rm -rf "$work"
echo PASS
