#!/usr/bin/env bash
# The browser tests: serves the built folder on 127.0.0.1 and drives
# headless Chromium (and Firefox, for the single file) through
# browser_test.js, which renders the desktop frames to compare with through
# the native build's capture tool. The single file is the site's sibling,
# brontavik.html.
# Usage: tests/browser/run.sh SITE_DIR [--bench | --bench-view]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
site=${1:?"usage: tests/browser/run.sh SITE_DIR [--bench | --bench-view]"}
shift
work="$root/build-web/browser-test"
mkdir -p "$work"

# playwright-core from npm, exactly as the lock file has it, installed again
# whenever the lock file changes; it drives /usr/bin/chromium.
if [[ ! -d "$work/node_modules/playwright-core" ]] ||
    ! cmp -s "$root/tests/browser/package-lock.json" "$work/package-lock.json"; then
    cp "$root/tests/browser/package.json" "$root/tests/browser/package-lock.json" "$work/"
    (cd "$work" && npm ci --no-audit --no-fund --silent)
fi

# The desktop programs render the frames the browser's are compared with;
# view.html's scene comes from a test program, which a native build made
# without the tests (scripts/web's own) gets them for.
if ! grep -q '^BRONTAVIK_TESTS:BOOL=ON' "$root/build/CMakeCache.txt"; then
    cmake "$root/build" -DBRONTAVIK_TESTS=ON >/dev/null
fi
cmake --build "$root/build" --target brontavik-capture brontavik-view make_view_scene \
    make_big_3ds >/dev/null
rm -f "$work"/desktop-*.png

# The server takes a free port itself (port 0) and names it once it listens,
# so no other program can take the port between choosing and binding it.
python3 -u -m http.server --bind 127.0.0.1 --directory "$site" 0 >"$work/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
port=""
for _ in $(seq 300); do
    port=$(sed -n 's/^Serving HTTP on .* port \([0-9]*\) .*/\1/p' "$work/server.log")
    [[ -n "$port" ]] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
[[ -n "$port" ]] || { cat "$work/server.log" >&2; echo "browser tests: the server did not start" >&2; exit 1; }

# Firefox draws WebGL only with a display: the run gets an X server of its
# own (headless Chromium does not use it).
SITE_DIR="$site" SINGLE_FILE="$(dirname "$site")/brontavik.html" SOURCE_DIR="$root" \
    BRONTAVIK_BIN="$root/build/bin" NODE_PATH="$work/node_modules" \
    "$root/tests/support/with_display.sh" 1280x1024x24 node "$root/tests/browser/browser_test.js" "http://127.0.0.1:$port/" "$work" "$@"
