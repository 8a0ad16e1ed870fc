#!/usr/bin/env bash
# The capture tool renders the same frame to the same bytes, frames any size
# at 4:3 with black bars, renders identical frames in any number of processes
# and parts, exports video whose sound lines up with the music, stops cleanly
# on Ctrl-C, and refuses a bad command line with exit code 2.
set -uo pipefail
bin=${1:?usage: capture_end_to_end.sh BIN_DIR}
here=$(cd "$(dirname "$0")" && pwd)
cd "$bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
capture() { ./brontavik-capture "$@" >"$work/out" 2>"$work/err" || { cat "$work/err"; return 1; }; }
mean() { convert "$1" -colorspace gray -format '%[fx:mean]' info:; }

# Stills: deterministic, changing with time, not black.
capture --at 45 --size 160x120 --png "$work/a.png" || fail "first still"
capture --at 45 --size 160x120 --png "$work/b.png" || fail "second still"
cmp -s "$work/a.png" "$work/b.png" || fail "two renders of 45 s differ"
capture --at 20 --size 160x120 --png "$work/c.png" || fail "third still"
cmp -s "$work/a.png" "$work/c.png" && fail "20 s and 45 s look the same"
m=$(mean "$work/a.png")
awk -v m="$m" 'BEGIN { exit !(m > 0.05) }' || fail "frame at 45 s is black ($m)"
capture --at 82 --size 160x120 --png "$work/fade.png" || fail "still in the fade"
echo "mean at 45 s: $m, at 82 s: $(mean "$work/fade.png")"

# Framing: a 16:9 frame is the 4:3 picture of its height between black bars;
# a tall frame puts it between bars above and below.
capture --at 45 --size 320x180 --png "$work/wide.png" || fail "16:9 still"
capture --at 45 --size 240x180 --png "$work/narrow.png" || fail "4:3 still"
for bar in 40x180+0+0 40x180+280+0; do
    [[ $(convert "$work/wide.png" -crop "$bar" -format '%[fx:maxima]' info:) == 0 ]] ||
        fail "bar $bar is not black"
done
convert "$work/wide.png" -crop 240x180+40+0 +repage rgb:"$work/centre.rgb"
convert "$work/narrow.png" rgb:"$work/narrow.rgb"
cmp -s "$work/centre.rgb" "$work/narrow.rgb" || fail "16:9 centre differs from the 4:3 capture"
capture --at 45 --size 160x160 --png "$work/tall.png" || fail "tall still"
[[ $(convert "$work/tall.png" -crop 160x20+0+0 -format '%[fx:maxima]' info:) == 0 ]] ||
    fail "top bar is not black"
convert "$work/tall.png" -crop 160x120+0+20 +repage "$work/tallcentre.png"
# The same picture as the 4:3 capture of 160x120, only rendered at its size.
compare -metric AE "$work/tallcentre.png" "$work/a.png" null: 2>"$work/ae"
[[ $(cat "$work/ae") == 0 ]] || fail "letterboxed centre differs ($(cat "$work/ae") pixels)"

# Supersampling changes edges, not the picture.
capture --at 20 --size 320x240 --png "$work/ss1.png" || fail "still for supersampling"
capture --at 20 --size 320x240 --supersample 2 --png "$work/ss2.png" || fail "supersampled still"
psnr=$(compare -metric PSNR "$work/ss1.png" "$work/ss2.png" null: 2>&1)
echo "supersample 2 against 1: PSNR $psnr dB"
awk -v p="$psnr" 'BEGIN { exit !(p > 30) }' || fail "supersampled frame too different ($psnr dB)"

# Frames across the fade's start are the same bytes from one process, two
# processes and two parts.
span=4856:4866
capture --fps 60 --size 160x120 --range $span --jobs 1 --frames "$work/one" || fail "one job"
capture --fps 60 --size 160x120 --range $span --jobs 2 --frames "$work/two" || fail "two jobs"
capture --fps 60 --size 160x120 --range 4856:4860 --jobs 1 --frames "$work/parts" || fail "part 1"
capture --fps 60 --size 160x120 --range 4861:4866 --jobs 2 --frames "$work/parts" || fail "part 2"
[[ $(ls "$work/one" | wc -l) == 11 ]] || fail "frame count"
diff -r "$work/one" "$work/two" >/dev/null || fail "--jobs 2 differs from --jobs 1"
diff -r "$work/one" "$work/parts" >/dev/null || fail "two --range parts differ from one run"
# Mesa's output depends on the GL's vertex stream before a frame; early frames
# at this size show it when a worker skips frames without passing over them.
capture --fps 60 --size 320x180 --range 0:8 --jobs 1 --frames "$work/early1" || fail "early, one job"
capture --fps 60 --size 320x180 --range 0:8 --jobs 2 --frames "$work/early2" || fail "early, two jobs"
capture --fps 60 --size 320x180 --range 3:8 --jobs 1 --frames "$work/early3" || fail "early part"
diff -r "$work/early1" "$work/early2" >/dev/null || fail "early frames differ with --jobs 2"
for f in "$work/early3"/*; do
    cmp -s "$f" "$work/early1/$(basename "$f")" || fail "early --range part differs"
done

# A lossless export decodes back to the PNG frames exactly.
capture --preset lossless --fps 60 --size 160x120 --range $span --video "$work/l.mkv" ||
    fail "lossless export"
ffmpeg -v error -start_number 4856 -i "$work/one/frame%05d.png" -f rawvideo -pix_fmt rgb24 \
    "$work/png.rgb" || fail "decode PNG frames"
ffmpeg -v error -i "$work/l.mkv" -map 0:v -f rawvideo -pix_fmt rgb24 "$work/mkv.rgb" ||
    fail "decode lossless"
cmp -s "$work/png.rgb" "$work/mkv.rgb" || fail "lossless export differs from the PNG frames"
[[ $(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/l.mkv" | tr '\n' ,) == \
    ffv1,flac, ]] || fail "lossless streams"

# Sound: starts at sample 0 of the music, and fades with the picture.
wav() { ffmpeg -v error -y -i "$1" -ac 1 -ar 44100 -c:a pcm_s16le "$2"; }
wav music/music.ogg "$work/music.wav"
capture --fps 60 --size 160x120 --range 0:179 --video "$work/start.mp4" || fail "opening video"
wav "$work/start.mp4" "$work/start.wav"
python3 "$here/audio_check.py" offset "$work/music.wav" "$work/start.wav" || fail "sound offset"
capture --fps 60 --size 160x120 --range 4840:5100 --video "$work/end.mp4" || fail "closing video"
grep -q "4840 to 5032 of 5033" "$work/out" || fail "range not clipped to the show's end"
wav "$work/end.mp4" "$work/end.wav"
python3 "$here/audio_check.py" fade "$work/music.wav" "$work/end.wav" \
    "$(echo 4840/60 | bc -l)" "$(echo 4861/60 | bc -l)" "$(echo 1/0.35 | bc -l)" ||
    fail "sound does not fade with the picture"
ffmpeg -v error -i "$work/end.mp4" -update 1 "$work/last.png" || fail "last frame"
m=$(mean "$work/last.png")
awk -v m="$m" 'BEGIN { exit !(m != "" && m < 0.01) }' || fail "last frame not black ($m)"

# Ctrl-C: a playable file up to the last frame written, and a word saying so.
./brontavik-capture --fps 60 --size 160x120 --jobs 1 --video "$work/cut.mp4" 2>"$work/err" &
pid=$!
for _ in $(seq 300); do grep -q "^frame" "$work/err" && break; sleep 0.1; done
sleep 0.5
kill -INT $pid
wait $pid
code=$?
[[ $code == 130 ]] || fail "Ctrl-C exit code $code"
grep -q "interrupted" "$work/err" || fail "Ctrl-C not reported"
frames=$(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -select_streams v \
    -of csv=p=0 "$work/cut.mp4") || fail "ffprobe cannot read the interrupted file"
[[ $frames -gt 0 ]] || fail "interrupted file holds no frames"
echo "interrupted after $frames frames: $(grep interrupted "$work/err")"

# Failures: ffmpeg's own reason, an unreadable input named, bad arguments.
./brontavik-capture --fps 60 --size 160x120 --range 0:5 --video /nonexistent/x.mp4 2>"$work/err"
[[ $? == 1 ]] || fail "ffmpeg failure exit code"
grep -q "No such file or directory" "$work/err" || fail "ffmpeg's reason missing: $(cat "$work/err")"
# The tool finds the show's data beside itself from any folder; a relative
# output still means the folder it was started in.
(cd "$work" && "$bin/brontavik-capture" --at 5 --size 160x120 --png here.png) &&
    [[ -s "$work/here.png" ]] || fail "still from another folder"
# A copy of the tool beside an incomplete data folder: the missing picture is named.
mkdir -p "$work/lonely/textures"
cp "$bin/brontavik-capture" "$work/lonely/"
cp "$bin/textures/clouds4.jpg" "$work/lonely/textures/"
(cd "$work" && lonely/brontavik-capture --at 5 --png x.png 2>err)
[[ $? == 1 ]] || fail "missing input exit code"
grep -q "cannot read textures/.*: No such file or directory" "$work/err" || fail "missing input"
rm -rf "$work/lonely/textures"
(cd "$work" && lonely/brontavik-capture --at 5 --png x.png 2>err)
[[ $? == 1 ]] || fail "missing data folder exit code"
grep -q "the show's textures/ is neither in" "$work/err" || fail "missing data folder"
./brontavik-capture --at 5 2>"$work/err"
[[ $? -eq 2 ]] || fail "bad command line exit code"
grep -q "usage:" "$work/err" || fail "usage text"
./brontavik-capture --supersample 9 --bench 2>"$work/err"
[[ $? -eq 2 ]] && grep -q -- "--supersample 9" "$work/err" || fail "bad argument not named"
./brontavik-capture --help | grep -q "usage:" || fail "--help"
./brontavik-capture --version | grep -Eq "^brontavik-capture [0-9]+\.[0-9]+" || fail "--version"
echo "1 passed, 0 failed"
