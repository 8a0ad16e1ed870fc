#!/usr/bin/env bash
# The start-up failures with the real system: no sound server, a missing
# music file, a missing image.
source "$(dirname "$0")/lib.sh"
start_x 800x600
no_pulse
folder=$(folder_with "$OUT/bin/brontavik.exe")

# No sound server: the sound system's message, exit code 1.
run_show "$folder"
probe wait "   " 60 >/dev/null || fail "no message box for the missing sound device"
texts=$(probe texts "   ")
grep -qF "Problem initializing FMod. |Program will now exit." <<<"$texts" || fail "box: $texts"
note "no sound server: box \"   \": $(grep -F FMod <<<"$texts" | cut -f4)"
probe press "   " 1
code=$(wait_exit 15)
[[ "$code" == 1 ]] || fail "no sound server: exit code $code"
wineserver -k || true
wineserver -w || true

start_pulse
# A missing music file: exit code 0, no message.
rm "$folder/music/music.ogg"
rm -f "$work/exit"
run_show "$folder" "$work/nomusic.log"
code=$(wait_exit 60)
[[ "$code" == 0 ]] || fail "missing music: exit code $code"
! grep -qE "ERROR|FMod|Jpg" "$work/nomusic.log" || fail "missing music: a message: $(cat "$work/nomusic.log")"
note "missing music: exit code 0, no message"
cp "$OUT/bin/music/music.ogg" "$folder/music/"

# A missing image: the texture loader's message, then exit code 0.
rm "$folder/textures/merry.jpg"
rm -f "$work/exit"
run_show "$folder"
probe wait Jpg 60 >/dev/null || fail "no message box for the missing image"
texts=$(probe texts Jpg)
grep -qF "textures/merry.jpg" <<<"$texts" || fail "box: $texts"
note "missing image: box \"Jpg\": textures/merry.jpg"
probe press Jpg 1
code=$(wait_exit 15)
[[ "$code" == 0 ]] || fail "missing image: exit code $code"
