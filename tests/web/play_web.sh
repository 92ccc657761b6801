#!/usr/bin/env bash
# A whole game session on the page in headless Chromium: the play scenario that every build runs
# (tests/play_scenario.sh), played through the page's events; switching away is another tab in
# front. With "soak SECONDS", that long a session of random play instead
# (tests/soak_scenario.sh). The screenshots and the page's console stay in the work folder, which
# is printed on failure.
#   play_web.sh <page folder> [soak SECONDS]
set -uo pipefail

page=$(cd "${1:?the page folder}" 2>/dev/null && pwd) || page=$1
for file in index.html zendrill.js zendrill.wasm zendrill.data; do
    [ -f "$page/$file" ] ||
        { echo "SKIP: no $file in $page (cmake --preset web && cmake --build --preset web)"; exit 77; }
done
[ -x /usr/bin/chromium ] || { echo "SKIP: no chromium (scripts/install-deps.sh web installs it)"; exit 77; }
command -v node >/dev/null || { echo "SKIP: no node"; exit 77; }
tests=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d /tmp/zendrill-play-web-XXXXXX)
source "$tests/screen_checks.sh"
source "$tests/web/web_driver.sh"
source "$tests/play_scenario.sh"
source "$tests/soak_scenario.sh"
source "$tests/write_settings.sh"
cd "$work" || exit 1
echo "work folder: $work"
# As on the other platforms, the defaults: 640 x 480 (the page's screen reports no rate),
# lighting and the three blend factors on.
write_settings d3d.ini

play_or_soak "browser (headless Chromium)" "${@:2}"

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed; screenshots and the page's console are in $work"
    cat "$work/page.log" 2>/dev/null
    exit 1
fi
[ -n "${ZENDRILL_KEEP_SHOTS:-}" ] && echo "screenshots in $work" || rm -rf "$work"
echo PASS
