#!/usr/bin/env bash
# The browser tests: serves the built folder on 127.0.0.1 and drives
# headless Chromium through browser_test.js, which renders the desktop
# frames to compare with through the native build's capture tool.
# Usage: tests/browser/run.sh SITE_DIR [--bench]
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

# The desktop program renders the frames the browser's are compared with.
cmake --build "$root/build" --target brontavik-capture >/dev/null
rm -f "$work"/desktop-*.png

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port" >"$work/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done

SITE_DIR="$site" BRONTAVIK_BIN="$root/build/bin" NODE_PATH="$work/node_modules" node "$root/tests/browser/browser_test.js" \
    "http://127.0.0.1:$port/" "$work" "$@"
