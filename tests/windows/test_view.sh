#!/usr/bin/env bash
# brontavik-view.exe, the 3DS scene player, under Wine against the Linux
# brontavik-view: stills of real 3DS files (an animated one at two moments;
# textured ones with their JPEG and PNG pictures beside them under names of
# another case, in a folder whose name has spaces and letters beyond the
# system's code page, named by a Windows path); a missing picture's warning;
# refused files and command lines; the window drawn, driven by its keys and
# the mouse, and ended with Escape; a refused file started as from Explorer
# shows its reason in a box.
source "$(dirname "$0")/lib.sh"
start_x 800x600
native="$NATIVE_BIN/brontavik-view"
[[ -x "$native" ]] || fail "no native brontavik-view at $native"
models=/usr/share/assimp/models/3DS
[[ -f "$models/test1.3ds" ]] || fail "assimp-testmodels is not installed"
view="$OUT/bin/brontavik-view.exe"
scenes="$work/Szenen für die Ansicht – дом"
mkdir -p "$scenes"
cp "$models"/{RotatingCube.3DS,CameraRollAnim.3ds,test1.3ds,CWALL02.jpg,IMAGE1.jpg,IMAGE2.jpg} \
    "$models"/{cube_with_diffuse_texture.3DS,test.png,cubes_with_alpha.3DS} "$scenes/"
mkdir -p "$OUT/tests/screens"

# not_black PNG: some of the picture is lit.
not_black() {
    local mean
    mean=$(convert "$1" -colorspace Gray -format "%[fx:mean]" info:)
    "$PY" -c "import sys; sys.exit(not ($mean > 0.005))" || fail "$1 is black (mean $mean)"
}

# same_picture LABEL WINDOWS.png LINUX.png: within the frame comparisons' bounds.
same_picture() {
    local result
    result=$("$PY" "$here/compare_frames.py" "$2" "$3") || fail "$1: $result"
    not_black "$2"
    note "$1: $result"
}

# still NAME FILE [OPTIONS...]: the same still from both programs, from the
# scenes' folder; the Windows one is handed the file by its Windows path.
still() {
    local name=$1 file=$2
    shift 2
    (cd "$scenes" && wine "$view" "$(winepath -w "$scenes/$file" 2>/dev/null)" --png "$work/w-$name.png" \
        "$@" >/dev/null 2>"$work/w-$name.err") || fail "$name: $(cat "$work/w-$name.err")"
    (cd "$scenes" && "$native" "$file" --png "$work/l-$name.png" "$@" >/dev/null \
        2>"$work/l-$name.err") || fail "native $name: $(cat "$work/l-$name.err")"
    same_picture "$name" "$work/w-$name.png" "$work/l-$name.png"
    cp "$work/w-$name.png" "$OUT/tests/screens/view-$name.png"
}

still cube-0.5s RotatingCube.3DS --at 0.5 --size 400x300
still cube-2.5s RotatingCube.3DS --at 2.5 --size 400x300
! "$PY" "$here/compare_frames.py" "$work/l-cube-0.5s.png" "$work/l-cube-2.5s.png" >/dev/null ||
    fail "the cube does not turn between 0.5 s and 2.5 s"
still walls-top test1.3ds --view top --background 40,60,90 --size 400x300
still png-cube cube_with_diffuse_texture.3DS --frame 0 --size 320x240
still camera-wire CameraRollAnim.3ds --camera Camera01 --at 1 --wire --size 320x240
# A picture that is not there: one warning naming it, the same on both.
still missing-picture cubes_with_alpha.3DS --size 320x240
tr -d '\r' <"$work/w-missing-picture.err" >"$work/w-warnings"
grep -q "BERETTA_.JPG" "$work/w-warnings" || fail "no warning: $(cat "$work/w-warnings")"
diff -q "$work/w-warnings" "$work/l-missing-picture.err" >/dev/null ||
    fail "warnings differ: $(cat "$work/w-warnings") | $(cat "$work/l-missing-picture.err")"
note "missing picture: $(cat "$work/w-warnings")"

# Refused files: the loader's one line, the same as on Linux, exit code 1;
# command lines it cannot use: exit code 2.
printf hello >"$scenes/not.3ds"
: >"$scenes/empty.3ds"
head -c 2 "$models/test1.3ds" >"$scenes/cut.3ds"
for file in not.3ds empty.3ds cut.3ds missing.3ds; do
    set +e
    (cd "$scenes" && wine "$view" "$file" --png "$work/o.png" >/dev/null 2>"$work/refused")
    code=$?
    (cd "$scenes" && "$native" "$file" --png "$work/o.png" >/dev/null 2>"$work/refused-linux")
    set -e
    [[ "$code" == 1 ]] || fail "$file: exit code $code"
    line=$(tr -d '\r' <"$work/refused")
    [[ "$line" == "$(cat "$work/refused-linux")" ]] || fail "$file: \"$line\" against Linux's \"$(cat "$work/refused-linux")\""
    note "$file: exit code 1: $line"
done
# --video last: its message names what to use instead.
for arguments in "" "RotatingCube.3DS --view sideways" "RotatingCube.3DS --gl layer" \
    "RotatingCube.3DS --video out.mp4"; do
    set +e
    (cd "$scenes" && wine "$view" $arguments >/dev/null 2>"$work/refused")
    code=$?
    set -e
    [[ "$code" == 2 ]] || fail "\"$arguments\": exit code $code"
done
tr -d '\r' <"$work/refused" >"$work/video"
grep -q "not part of the Windows build.*--png OUT --frame N" "$work/video" ||
    fail "--video: $(cat "$work/video")"
wine "$view" --help | tr -d '\r' >"$work/help"
grep -q "Not in the Windows build: --video, which needs ffmpeg" "$work/help" || fail "--help"
note "bad command lines: exit code 2; --video: $(head -1 "$work/video")"

# The window: it plays, its title names the file, frame, view and rate, and
# what it draws paused is the still of that frame and view.
(
    cd "$scenes"
    set +e
    wine "$view" CameraRollAnim.3ds --size 400x300 >"$work/window.log" 2>&1
    echo $? >"$work/exit"
) &
show_pid=$!
win=""
for _ in $(seq 150); do
    win=$(xdotool search --name '^CameraRollAnim.3ds - frame' 2>/dev/null | head -1 || true)
    [[ -n "$win" ]] && break
    sleep 0.2
done
[[ -n "$win" ]] || fail "no window: $(cat "$work/window.log")"

# frame_of TITLE: the frame number it shows.
frame_of() { sed -n 's/^.* - frame \([0-9]*\)\/.*$/\1/p' <<<"$1"; }

# press KEY PATTERN: the key, then the title until it matches.
press() {
    xdotool key --window "$win" "$1" 2>/dev/null
    for _ in $(seq 50); do
        line=$(title "$win")
        [[ "$line" =~ $2 ]] && return 0
        sleep 0.1
    done
    fail "after $1 the title is \"$line\", not like \"$2\""
}

# client PNG: the window's drawing area from a screenshot of the screen.
client() {
    local outer width height
    read -r _ left top outer_w outer_h < <(probe rect '#BrontavikView' | grep '^outer')
    read -r _ width height < <(probe rect '#BrontavikView' | grep '^client')
    local border=$(((outer_w - width) / 2))
    import -window root -crop "${width}x$height+$((left + border))+$((top + outer_h - height - border))" \
        +repage "$1"
}

first=$(title "$win")
[[ "$first" =~ ^CameraRollAnim.3ds\ -\ frame\ [0-9]+/[0-9]+\ -\ camera\ Camera01\ -\ [0-9.]+\ fps$ ]] ||
    fail "title: $first"
sleep 1
press space ' - paused$'
[[ $(frame_of "$line") != $(frame_of "$first") ]] || fail "the animation does not play: $first, $line"
note "title: $first; paused: $line"
press f ' - front view - '
frame=$(frame_of "$line")
client "$work/w-window.png"
"$native" "$scenes/CameraRollAnim.3ds" --frame $((frame - 1)) --view front --size 400x300 \
    --png "$work/l-window.png"
same_picture "window, paused at frame $frame, front view" "$work/w-window.png" "$work/l-window.png"
cp "$work/w-window.png" "$OUT/tests/screens/view-window.png"

count=$(sed -n 's/^.* - frame [0-9]*\/\([0-9]*\) - .*$/\1/p' <<<"$line")
press Right " - frame $((frame % count + 1))/"
press Left " - frame $frame/"
press t ' - top view - '
press Tab ' - camera Camera01 - '
press l ' - left view - '
xdotool key --window "$win" w n b 2>/dev/null
sleep 0.5
client "$work/w-lines.png"
"$native" "$scenes/CameraRollAnim.3ds" --frame $((frame - 1)) --view left --size 400x300 \
    --wire --normals --tangents --png "$work/l-lines.png"
same_picture "W, N and B: edges, normals and tangent frames" "$work/w-lines.png" "$work/l-lines.png"

# A drag turns the view, the wheel zooms: the picture changes each time.
read -r _ left top _ _ < <(probe rect '#BrontavikView' | grep '^outer')
xdotool mousemove $((left + 200)) $((top + 150)) mousedown 1 mousemove $((left + 260)) $((top + 170)) \
    sleep 0.2 mousemove $((left + 300)) $((top + 190)) mouseup 1
sleep 0.5
client "$work/w-turned.png"
! "$PY" "$here/compare_frames.py" "$work/w-turned.png" "$work/w-lines.png" >/dev/null ||
    fail "a drag does not turn the view"
xdotool click 4 click 4 click 4
sleep 0.5
client "$work/w-zoomed.png"
! "$PY" "$here/compare_frames.py" "$work/w-zoomed.png" "$work/w-turned.png" >/dev/null ||
    fail "the wheel does not zoom"
not_black "$work/w-zoomed.png"
cp "$work/w-zoomed.png" "$OUT/tests/screens/view-turned-zoomed.png"
note "a drag turns the view, the wheel zooms"
xdotool key --window "$win" Escape 2>/dev/null
code=$(wait_exit 15)
[[ "$code" == 0 ]] || fail "Escape: exit code $code"
note "Escape: exit code 0"

# Started as Explorer starts it (a console of its own that closes with it),
# a refused file's reason is shown in a box too.
rm -f "$work/exit"
cp "$view" "$scenes/"
(
    cd "$scenes"
    set +e
    wine cmd /c start /wait brontavik-view.exe not.3ds >/dev/null 2>&1
    echo $? >"$work/exit"
) &
show_pid=$!
probe wait brontavik-view 30 >/dev/null || fail "no box for a refused file started alone"
# The box's text may come a moment after its window.
for _ in $(seq 25); do
    texts=$(probe texts brontavik-view)
    grep -qF "not.3ds is not a 3DS file" <<<"$texts" && break
    sleep 0.2
done
grep -qF "not.3ds is not a 3DS file" <<<"$texts" || fail "box: $texts"
probe press brontavik-view 1
code=$(wait_exit 15)
[[ "$code" == 1 ]] || fail "started alone: exit code $code"
note "started alone: box \"$(grep -F not.3ds <<<"$texts" | cut -f4)\", exit code 1"
