#!/usr/bin/env bash
# Times the decoding of the show's six pictures in headless Chromium: the
# decoder's sources of a tree (default: this one) compiled with Emscripten as
# the browser build compiles them, with or without WebAssembly SIMD.
#   benchmarks/jpeg/browser/run.sh [--no-simd | --native] [SOURCE_TREE]
# --native builds the same program with the native compiler (-O2, as the
# desktop build) and runs it in build/bin, for the desktop's figure.
# Needs scripts/web's packages, a native build's pictures (build/bin/textures)
# and playwright-core (installed from npm into build-web/ when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
simd=(-msimd128)
native=0
case "${1:-}" in
    --no-simd) simd=(); shift ;;
    --native) native=1; shift ;;
esac
tree=$(cd "${1:-$root}" && pwd)
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
work="$root/build-web/jpeg-bench"
mkdir -p "$work"
[[ -f "$root/build/bin/textures/merry.jpg" ]] || cmake --build "$root/build" --target textures

sources=()
for file in "$tree"/texturing/jpeg_*.cpp "$tree"/texturing/byte_source.cpp \
    "$tree"/texturing/file_byte_source.cpp; do
    sources+=("$file")
done
if ((native)); then
    g++ -std=c++20 -O2 -Wno-psabi -I"$tree" "$root/benchmarks/jpeg/browser/decode_textures.cpp" \
        "${sources[@]}" -o "$work/decode-native"
    cd "$root/build/bin" && exec "$work/decode-native"
fi
# Emscripten's HTML minifier is not packaged: emit the script, write the page.
em++ -std=c++20 -O3 "${simd[@]}" -I"$tree" "$root/benchmarks/jpeg/browser/decode_textures.cpp" \
    "${sources[@]}" -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=0 \
    --preload-file "$root/build/bin/textures@textures" -o "$work/decode.js"
printf '<!doctype html>\n<meta charset="utf-8">\n<title>JPEG decoding</title>\n<script src="decode.js"></script>\n' \
    >"$work/decode.html"

if [[ ! -d "$work/node_modules/playwright-core" ]]; then
    cp "$root/tests/browser/package.json" "$work/package.json"
    (cd "$work" && npm install --no-audit --no-fund --silent)
fi
NODE_PATH="$work/node_modules" node "$root/benchmarks/jpeg/browser/run_page.js" "$work"
