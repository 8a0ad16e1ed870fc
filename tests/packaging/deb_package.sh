#!/usr/bin/env bash
# The Debian package builds, lintian finds no error in it, and unpacked into
# a scratch root it holds the program, the data, the icons and the manual
# pages, and its capture tool renders a still from the unpacked data.
set -uo pipefail
source_dir=${1:?usage: deb_package.sh SOURCE_DIR BUILD_DIR}
build=${2:?usage: deb_package.sh SOURCE_DIR BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installed_files.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

out=$("$source_dir/scripts/package" "$work/out") || { echo "$out"; fail "scripts/package"; }
echo "$out"
deb=$(tail -1 <<<"$out")
dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Depends):'
dpkg-deb -f "$deb" Depends | grep -q 'libsdl2' || fail "dependencies not computed from the binaries"
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
check_installed "$work/root" /usr || exit 1

(cd "$build/bin" && SDL_VIDEODRIVER=offscreen ./brontavik-capture --at 80 --size 160x120 \
    --png "$work/reference.png") || fail "build's capture tool"
check_installed_capture "$work/root/usr/bin/brontavik-capture" "$work/reference.png" \
    "$work/still.png" || exit 1
echo "1 passed, 0 failed"
