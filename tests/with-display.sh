#!/usr/bin/env bash
# Runs a command on a fresh Xvfb server of its own (1024x768, 24-bit), so display tests can run in
# parallel and nothing needs to be running before the test starts.
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
