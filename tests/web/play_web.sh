#!/usr/bin/env bash
# A whole game session on the page in headless Chromium: the play scenario that every build runs
# (tests/play_scenario.sh), played through the page's events; switching away is another tab in
# front. With "soak SECONDS", that long a session of random play instead
# (tests/soak_scenario.sh). The screenshots and the page's console stay in the work folder, which
# is printed on failure.
#   play_web.sh <page folder> [soak SECONDS]
set -uo pipefail

source "$(dirname "$0")/page_test.sh"
page_test_needs "${1:-}"
page_test_needs_chromium

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

page_test_end
