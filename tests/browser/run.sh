#!/usr/bin/env bash
# The browser tests: serves the built folder on 127.0.0.1, renders the
# desktop stills to compare with, and drives headless Chromium through
# browser_test.js. Usage: tests/browser/run.sh SITE_DIR [--bench]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
site=${1:?"usage: tests/browser/run.sh SITE_DIR [--bench]"}
shift
work="$root/build-web/browser-test"
mkdir -p "$work"

# playwright-core from npm, only when missing; it drives /usr/bin/chromium.
if [[ ! -d "$work/node_modules/playwright-core" ]]; then
    cp "$root/tests/browser/package.json" "$work/package.json"
    (cd "$work" && npm install --no-audit --no-fund --silent)
fi

# The desktop program's stills at the scene times the browser draws.
cmake --build "$root/build" --target brontavik-capture >/dev/null
for t in 5 20 45 79; do
    (cd "$root/build/bin" && SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1 \
        ./brontavik-capture --at "$t" --png "$work/desktop-$t.png")
done

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port" >"$work/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done

SITE_DIR="$site" NODE_PATH="$work/node_modules" node "$root/tests/browser/browser_test.js" \
    "http://127.0.0.1:$port/" "$work" "$@"
