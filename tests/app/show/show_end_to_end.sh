#!/usr/bin/env bash
# Plays the real program under Xvfb with the disk audio driver: it must end
# by itself with exit code 0 about 84 s after its first frame, title the window with
# the statistics line while it runs and write the soundtrack; a second run
# with Escape held after 3 s must end about 2.9 s later.
set -uo pipefail
bin=${1:?usage: show_end_to_end.sh BIN_DIR}
with_display=$(cd "$(dirname "$0")/../../support" && pwd)/with_display.sh
cd "$bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export BRONTAVIK_NO_MESSAGE_BOXES=1
fail() { echo "FAIL: $*"; exit 1; }

cat >"$work/run.sh" <<'INNER'
set -uo pipefail
mode=$1 audio=$2
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$audio ./brontavik &
pid=$!
for _ in $(seq 200); do
    win=$(xdotool search --name "X:" 2>/dev/null | head -1)
    [[ -n "$win" ]] && break
    sleep 0.1
done
[[ -n "${win:-}" ]] || { echo "no window"; kill $pid; exit 1; }
start=$(date +%s.%N)  # the window shows its statistics: the show is running
sleep 3
echo "title=[$(xdotool getwindowname "$win")]"
if [[ $mode == escape ]]; then
    # Held for a second: the program looks at the key once a frame, after the
    # frame's messages, and a busy machine draws only a few frames a second.
    pressed=$(date +%s.%N)
    xdotool keydown Escape; sleep 1; xdotool keyup Escape
fi
wait $pid
code=$?
end=$(date +%s.%N)
echo "exit=$code"
echo "total=$(echo "$end - $start" | bc)"
[[ $mode == escape ]] && echo "afterEscape=$(echo "$end - $pressed" | bc)"
exit 0
INNER

out=$(timeout 200 "$with_display" 800x600x24 bash "$work/run.sh" full "$work/full.raw")
echo "$out"
grep -q '^exit=0$' <<<"$out" || fail "full run exit code"
grep -qE '^title=\[X:.{1,20}Y:.{1,20}Time:.{1,15}Fps:.{1,16}Aux:' <<<"$out" || fail "statistics title"
# The show's clock is the music's, and the disk driver waits a buffer's
# length after writing each buffer, so on a busy machine the music, and with
# it the show, takes some seconds longer than its 84 s; never less.
awk -F= '/^total=/{ exit !($2 > 80 && $2 < 110) }' <<<"$out" || fail "full run length"
# What the disk driver wrote is the soundtrack: loud enough, not clipped.
stats=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$work/full.raw" -n stat 2>&1)
echo "$stats" | grep -E 'Length|Maximum amplitude|RMS     amplitude'
awk '/^Length \(seconds\)/{ exit !($3 > 70) }' <<<"$stats" || fail "audio length"
awk '/^RMS     amplitude/{ exit !($3 > 0.01) }' <<<"$stats" || fail "audio is silent"

out=$(timeout 100 "$with_display" 800x600x24 bash "$work/run.sh" escape "$work/esc.raw")
echo "$out"
grep -q '^exit=0$' <<<"$out" || fail "escape run exit code"
# The fade is 2.9 s of the music's clock; the show sees Escape at its next
# frame, and on a busy machine (a few frames a second, the music behind real
# time) the whole takes a few seconds more, still far from the show's end.
awk -F= '/^afterEscape=/{ exit !($2 > 2.6 && $2 < 8.0) }' <<<"$out" || fail "fade after Escape"
echo "1 passed, 0 failed"
