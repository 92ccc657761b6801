#!/usr/bin/env bash
# Builds the browser page (the `web` preset) and serves it on localhost, printing the address to
# open. The page is one static folder, build-web/page/: any web server can host it, over HTTPS
# anywhere but localhost, where alone browsers run the service worker that keeps it for offline
# play.
#   scripts/play-web.sh [port]      (8080 unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8080}

scripts/install-deps.sh web
cmake --preset web
cmake --build --preset web

echo
echo "zendrill is served at http://localhost:$port/ (Ctrl+C stops the server)."
echo "Open it in a browser with WebGL 2 (Chromium, Firefox, Safari 15 or later)."
echo "Once opened it plays without the server, and the browser can install it as an app."
exec node --input-type=module -e "
import { serve } from './tests/web/browser.mjs';
await serve('$PWD/build-web/page', $port);
"
