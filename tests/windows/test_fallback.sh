#!/usr/bin/env bash
# No 800 by 600 mode (a 1024 by 768 screen): the fallback question with its
# text and caption; Yes gives the captioned window at (0, 0) and the show,
# which Alt+F4 ends at once; No gives "Program Will Now Close." and exit 0.
source "$(dirname "$0")/lib.sh"
start_x 1024x768
start_pulse
folder=$(folder_with "$OUT/bin/brontavik.exe")
question="The Requested Fullscreen Mode Is Not Supported By|Your Video Card. Use Windowed Mode Instead?"

run_show "$folder"
probe wait "KRV GL ;-)" 60 >/dev/null || fail "no fallback question"
texts=$(probe texts "KRV GL ;-)")
grep -qF "$question" <<<"$texts" || fail "question: $texts"
mkdir -p "$OUT/tests/screens"
screenshot "$OUT/tests/screens/fallback-question.png"
note "question box \"KRV GL ;-)\" with its text, Yes and No"
probe press "KRV GL ;-)" 6  # Yes
win=$(show_window 60) || fail "no show window after Yes"
sleep 3
rect=$(probe rect "#OpenGL")
note "window: $(tr '\n' ' ' <<<"$rect")"
grep -qx "outer 0 0 800 600" <<<"$rect" || fail "window not at (0, 0) with 800 by 600"
grep -qx "caption 1" <<<"$rect" || fail "no caption"
grep -qx "topmost 1" <<<"$rect" || fail "not kept on top"
"$PY" "$here/title_line.py" check "$(title "$win")" || fail "title"
screenshot "$OUT/tests/screens/fallback-window.png"
xdotool key --window "$win" alt+F4
read -r took _ < <(watch_end "$win")
code=$(cat "$work/exit")
note "Alt+F4: last frame $took s later, exit code $code"
[[ "$code" == 0 ]] || fail "Alt+F4: exit code $code"
"$PY" -c "import sys; sys.exit(not ($took < 0.5))" || fail "frames went on for $took s after Alt+F4"

rm -f "$work/exit"
run_show "$folder"
probe wait "KRV GL ;-)" 60 >/dev/null || fail "no fallback question"
probe press "KRV GL ;-)" 7  # No
probe wait ERROR 20 >/dev/null || fail "no closing message"
texts=$(probe texts ERROR)
grep -qF "Program Will Now Close." <<<"$texts" || fail "closing box: $texts"
! probe wait "#OpenGL" 0.1 >/dev/null || fail "a show window after No"
probe press ERROR 1
code=$(wait_exit 15)
[[ "$code" == 0 ]] || fail "No: exit code $code"
note "No: \"Program Will Now Close.\", exit code 0, no show window"
