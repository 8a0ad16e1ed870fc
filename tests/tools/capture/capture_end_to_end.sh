#!/usr/bin/env bash
# The capture tool renders the same frame to the same bytes, renders a short
# sequence, and refuses a bad command line with exit code 2.
set -uo pipefail
bin=${1:?usage: capture_end_to_end.sh BIN_DIR}
cd "$bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

./brontavik-capture --at 45 --size 160x120 --png "$work/a.png" || fail "first still"
./brontavik-capture --at 45 --size 160x120 --png "$work/b.png" || fail "second still"
cmp -s "$work/a.png" "$work/b.png" || fail "two renders of 45 s differ"
./brontavik-capture --at 20 --size 160x120 --png "$work/c.png" || fail "third still"
cmp -s "$work/a.png" "$work/c.png" && fail "20 s and 45 s look the same"
# The picture is not black: its mean is well above zero.
mean=$(convert "$work/a.png" -colorspace gray -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }' || fail "frame at 45 s is black ($mean)"

./brontavik-capture --at 82 --size 160x120 --png "$work/fade.png" || fail "still in the fade"
fademean=$(convert "$work/fade.png" -colorspace gray -format '%[fx:mean]' info:)
echo "mean at 45 s: $mean, at 82 s: $fademean"

./brontavik-capture --at 5 2>"$work/err"
[[ $? -eq 2 ]] || fail "bad command line exit code"
grep -q "usage:" "$work/err" || fail "usage text"
echo "1 passed, 0 failed"
