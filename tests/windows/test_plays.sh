#!/usr/bin/env bash
# The show plays: its title is the statistics line, the sink hears the music
# in step with the demo clock, and held Escape fades picture and music and
# ends the program with exit code 0 about 2.9 s later.
source "$(dirname "$0")/lib.sh"
start_x 800x600
start_pulse
record null "$work/rec.raw"
folder=$(folder_with "$OUT/bin/brontavik.exe")
started=$(date +%s.%N)
run_show "$folder"
win=$(show_window 60) || fail "no show window"
note "first frame after $(echo "$(date +%s.%N) - $started" | bc) s"

sleep 8
line=$(title "$win")
"$PY" "$here/title_line.py" check "$line" || fail "title: $line"
note "title: $line"
in_step "$win" "$work/rec.raw" "playing"
mkdir -p "$OUT/tests/screens"
screenshot "$OUT/tests/screens/show.png"

# The fade begins between the key's press and its release: xdotool's
# key-down reaches the program (through Wine, without a window manager)
# sometimes at once, sometimes only when the key goes up. So the fade is
# timed from both ends of the hold.
before_line=$(title "$win")
held=$(date +%s.%N)
hold_key "$win" Escape
escape_line=$(title "$win")
pressed=$(date +%s.%N)
escape_bytes=$(stat -c %s "$work/rec.raw")
read -r took last_time < <(watch_end "$win")
escape_time=$(demo_time "$escape_line")
before_time=$(demo_time "$before_line")
hold=$(echo "$pressed - $held" | bc)
exited=$(echo "$(date +%s.%N) - $pressed" | bc)
code=$(cat "$work/exit")
end_bytes=$(stat -c %s "$work/rec.raw")
note "Escape at demo time $escape_time s: last frame $took s later at $last_time s;" \
    "exit code $code after $exited s"
[[ "$code" == 0 ]] || fail "exit code $code"
# The fade takes 1/0.35 s of demo time, and the demo clock keeps time.
"$PY" -c "import sys; sys.exit(not (2.6 < $last_time - $before_time and $last_time - $escape_time < 3.2 and 2.5 < $took + $hold and $took < 3.6))" ||
    fail "the fade-out took $took s"
# The music fades with the picture: its last moments (as heard, a little
# after they were mixed) are far quieter than the second before Escape.
at=$(echo "$escape_bytes / 176400" | bc -l)
before=$("$PY" "$here/music_check.py" level "$work/rec.raw" "$(echo "$at - 1.5" | bc -l)" \
    "$(echo "$at - 0.5" | bc -l)")
last=$("$PY" "$here/music_check.py" level "$work/rec.raw" "$(echo "$at + $took - 0.4" | bc -l)" \
    "$(echo "$at + $took" | bc -l)")
note "level before Escape $before dBFS, in the last 0.4 s of the fade $last dBFS"
"$PY" -c "import sys; sys.exit(not ($last < $before - 10))" || fail "the music did not fade"
