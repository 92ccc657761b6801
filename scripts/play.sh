#!/usr/bin/env bash
# Builds zendrill and plays it. The game runs in build/run (where its textures/ and models/ are
# generated); when that folder has no d3d.ini yet, the setup tool opens first to write one.
# Only what building and playing need is installed, and the tests and benchmarks are left out of
# the build (`cmake --preset default` turns them on again).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh play
cmake --preset default -DZENDRILL_TESTS=OFF -DZENDRILL_BENCH=OFF >/dev/null
cmake --build --preset default --target zendrill zendrill-setup zendrill_assets

cd build/run
if [ ! -f d3d.ini ]; then
    echo "play: no d3d.ini yet - opening the setup tool (choose your options and press Save)"
    ../bin/zendrill-setup || true
    if [ ! -f d3d.ini ]; then
        echo "play: the setup tool saved nothing, so there is nothing to play with." >&2
        exit 1
    fi
fi
exec ../bin/zendrill
