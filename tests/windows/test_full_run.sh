#!/usr/bin/env bash
# One run to the end, with what a viewer's machine may do meanwhile: the
# window is minimised and restored (no frames and a standing clock while
# minimised, the music goes on, and the show is back in step after), the
# sound device changes (the music goes on on the new one, in step), the last
# device goes away (the show goes on on the timer); the show ends by itself
# at 81 s of demo time plus the fade, with exit code 0.
source "$(dirname "$0")/lib.sh"
start_x 800x600
start_pulse
record null "$work/rec1.raw"
folder=$(folder_with "$OUT/bin/brontavik.exe")
run_show "$folder"
win=$(show_window 60) || fail "no show window"
first=$(date +%s.%N)

sleep 6
in_step "$win" "$work/rec1.raw" "playing"

# Minimised: the title (written every frame) stands still, so does the clock.
xdotool mousemove --window "$win" 400 300 click 1  # the window in front, active
note "minimise: $(probe syscommand "#OpenGL" minimise)"
[[ $(probe rect "#OpenGL" | grep minimised) == "minimised 1" ]] || fail "not minimised"
sleep 1
t1=$(date +%s.%N)
time1=$(demo_time "$(title "$win")")
bytes1=$(stat -c %s "$work/rec1.raw")
sleep 3
time2=$(demo_time "$(title "$win")")
bytes2=$(stat -c %s "$work/rec1.raw")
note "minimised: demo time $time1 s, 3 s later $time2 s"
[[ "$time1" == "$time2" ]] || fail "frames drawn while minimised"
level=$("$PY" "$here/music_check.py" level "$work/rec1.raw" \
    "$(echo "$bytes1 / 176400" | bc -l)" "$(echo "$bytes2 / 176400" | bc -l)")
note "music while minimised: $level dBFS"
"$PY" -c "import sys; sys.exit(not ($level > -40))" || fail "no music while minimised"
note "restore: $(probe syscommand "#OpenGL" restore)"
sleep 2
t3=$(date +%s.%N)
time3=$(demo_time "$(title "$win")")
note "restored: demo time $time3 s ($(echo "$t3 - $t1" | bc) s after $time1 s)"
# The first step after the pause covers it (and the time before t1).
"$PY" -c "import sys; sys.exit(not ($time3 - $time1 > $t3 - $t1 - 0.1))" ||
    fail "the clock did not cover the pause"
in_step "$win" "$work/rec1.raw" "restored"

# Another default device, then the first one removed. (PulseAudio moves the
# stream to the new default itself; where a system does not, the program's
# device follows the default device.)
second=$(pactl load-module module-null-sink sink_name=second)
record second "$work/rec2.raw"
pactl set-default-sink second
sleep 1
pactl unload-module "$(pactl list short modules | awk '$2 == "module-null-sink" && $3 !~ /second/ {print $1}')"
sleep 5
# The move to the new device takes a moment in which the music stands; the
# clock, pulled 5 % a frame, is back within a few seconds.
in_step "$win" "$work/rec2.raw" "on the new device" 0.1

# No device left: the show goes on on the timer.
pactl unload-module "$second"
sleep 1
t4=$(date +%s.%N)
time4=$(demo_time "$(title "$win")")
sleep 4
t5=$(date +%s.%N)
time5=$(demo_time "$(title "$win")")
note "no device: demo time $time4 s, then $time5 s $(echo "$t5 - $t4" | bc) s later"
"$PY" -c "import sys; sys.exit(not (abs(($time5 - $time4) - ($t5 - $t4)) < 0.3))" ||
    fail "the show does not go on on the timer"
grep -q "sound: no audio device" "$work/show.log" || fail "no note of the lost device"

code=$(wait_exit 120)
took=$(echo "$(date +%s.%N) - $first" | bc)
note "ended by itself: exit code $code, $took s after the first frame (3 s of it minimised)"
[[ "$code" == 0 ]] || fail "exit code $code"
"$PY" -c "import sys; sys.exit(not (85.5 < $took < 89.5))" || fail "ended after $took s"
