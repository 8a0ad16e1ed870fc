#!/usr/bin/env bash
# The same picture: brontavik-capture.exe under Wine (hidden window, WGL,
# Mesa behind it) against the Linux capture tool at the same scene times;
# and a short PNG sequence with --frames.
source "$(dirname "$0")/lib.sh"
start_x 800x600
native="$NATIVE_BIN/brontavik-capture"
[[ -x "$native" ]] || fail "no native capture tool at $native"
mkdir -p "$OUT/tests/frames"
cd "$OUT/bin"
for at in 0 5 20 45 79 82; do
    wine brontavik-capture.exe --at "$at" --png "$work/windows-$at.png" >/dev/null 2>"$work/err" ||
        fail "capture at $at: $(cat "$work/err")"
    "$native" --at "$at" --png "$work/linux-$at.png" >/dev/null 2>&1 || fail "native capture at $at"
    result=$("$PY" "$here/compare_frames.py" "$work/windows-$at.png" "$work/linux-$at.png") ||
        fail "at $at s: $result"
    note "at $at s: $result"
    cp "$work/windows-$at.png" "$OUT/tests/frames/windows-$at.png"
done
wine brontavik-capture.exe --fps 10 --range 0:3 --frames "$work/seq" >/dev/null 2>"$work/err" ||
    fail "--frames: $(cat "$work/err")"
[[ $(ls "$work/seq" | tr '\n' ' ') == "frame00000.png frame00001.png frame00002.png frame00003.png " ]] ||
    fail "--frames wrote: $(ls "$work/seq")"
[[ $(identify -format "%w %h" "$work/seq/frame00003.png") == "800 600" ]] || fail "frame size"
! wine brontavik-capture.exe --fps 10 --jobs 2 --frames "$work/seq2" 2>"$work/err" >/dev/null ||
    fail "--jobs 2 was taken"
grep -q "one process" "$work/err" || fail "--jobs 2: $(cat "$work/err")"
note "--frames: four 800x600 frames; --jobs 2 refused"
