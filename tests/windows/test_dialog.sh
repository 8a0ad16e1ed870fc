#!/usr/bin/env bash
# The program built with the settings dialog: resource 101 with its
# controls; Cancel ends with exit code 0; OK with 1024 by 768 switches the
# display to 1024 by 768 and keeps the window and viewport at 800 by 600.
source "$(dirname "$0")/lib.sh"
start_x 1024x768
start_pulse
folder=$(folder_with "$OUT/dialog/bin/brontavik.exe")
dialog="Brontavik settings"

run_show "$folder"
probe wait "$dialog" 60 >/dev/null || fail "no settings dialog"
texts=$(probe texts "$dialog")
for control in "1002.Button.0.800 x 600" "1003.Button.1.1024 x 768" "1004.Button.0.512 x 384" \
    "1011.Button.1.Music" "1012.Button.0.Windowed" "1013.Button.0.Brightening layer" \
    "1.Button.0.OK" "2.Button.0.Cancel"; do
    grep -qP "^${control//./\\t}" <<<"$texts" || fail "no control \"$control\": $texts"
done
note "dialog: 800 x 600, 1024 x 768 (chosen), 512 x 384, Music (on), Windowed, Brightening layer, OK, Cancel"
mkdir -p "$OUT/tests/screens"
screenshot "$OUT/tests/screens/dialog.png"
probe press "$dialog" 2  # Cancel
code=$(wait_exit 15)
[[ "$code" == 0 ]] || fail "Cancel: exit code $code"
! probe wait "#OpenGL" 0.1 >/dev/null || fail "a show window after Cancel"
note "Cancel: exit code 0, no show"

rm -f "$work/exit"
run_show "$folder"
probe wait "$dialog" 60 >/dev/null || fail "no settings dialog"
probe press "$dialog" 1  # OK, with 1024 by 768 as it opens
win=$(show_window 60) || fail "no show window after OK"
! probe wait "KRV GL ;-)" 0.1 >/dev/null || fail "the 1024 by 768 mode was refused"
sleep 4
rect=$(probe rect "#OpenGL")
screen=$(probe screen x)
note "display $screen; window: $(tr '\n' ' ' <<<"$rect")"
[[ "$screen" == "1024 768" ]] || fail "display is $screen"
grep -qx "outer 0 0 800 600" <<<"$rect" || fail "window not 800 by 600 at (0, 0)"
grep -qx "caption 0" <<<"$rect" || fail "not a fullscreen popup"
screenshot "$OUT/tests/screens/dialog-1024x768.png"
# The picture fills the 800 by 600 viewport; the rest of the screen stays dark.
"$PY" - "$OUT/tests/screens/dialog-1024x768.png" <<'PY' || fail "the picture is not 800 by 600"
import subprocess, sys
def mean(geometry):
    out = subprocess.run(["convert", sys.argv[1], "-crop", geometry, "-format", "%[fx:mean]", "info:"],
                         capture_output=True, text=True, check=True).stdout
    return float(out)
inside, right, below = mean("800x600+0+0"), mean("224x768+800+0"), mean("800x168+0+600")
print(f"  mean brightness: picture {inside:.3f}, right of it {right:.3f}, below it {below:.3f}")
sys.exit(not (inside > 0.02 and right < 0.005 and below < 0.005))
PY
hold_key "$win" Escape
code=$(wait_exit 15)
[[ "$code" == 0 ]] || fail "exit code $code"
