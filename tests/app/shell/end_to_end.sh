#!/usr/bin/env bash
# Starts the real program: under a virtual X server the window appears with
# its title and closing it ends the process at once with exit code 0; with no
# display reachable it reports the failing step and ends with exit code 0.
set -uo pipefail
bin=${1:?usage: end_to_end.sh BIN_DIR}
with_display=$(cd "$(dirname "$0")/../../support" && pwd)/with_display.sh
cd "$bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export BRONTAVIK_NO_MESSAGE_BOXES=1 SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
fail() { echo "FAIL: $*"; exit 1; }

cat >"$work/run.sh" <<'INNER'
set -uo pipefail
./brontavik 2>"$1" &
pid=$!
for _ in $(seq 100); do
    # The first frame already replaces the title with the statistics line.
    win=$(xdotool search --name "Brontavik|^X:" 2>/dev/null | head -1)
    [[ -n "$win" ]] && break
    sleep 0.1
done
[[ -n "${win:-}" ]] || { echo "no window"; kill $pid; exit 1; }
echo "title=[$(xdotool getwindowname "$win")]"
xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: /geometry=/p'
start=$(date +%s.%N)
xdotool key --window "$win" alt+F4 2>/dev/null
wait $pid
code=$?
end=$(date +%s.%N)
echo "exit=$code"
echo "closeSeconds=$(echo "$end - $start" | bc)"
INNER
out=$(timeout 60 "$with_display" 800x600x24 bash "$work/run.sh" "$work/err")
echo "$out"
grep -q '^title=\[ = Brontavik 2006  \. KRV / Zolvi 2006 = \]$' <<<"$out" ||
    grep -q '^title=\[X:' <<<"$out" || fail "window title"
grep -q '^geometry=800x600$' <<<"$out" || fail "window size"
grep -q '^exit=0$' <<<"$out" || fail "exit code after close"
awk -F= '/^closeSeconds=/{ exit !($2 < 2.0) }' <<<"$out" || fail "close took too long"

# No display at all: the earliest failing step is reported, exit code 0.
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 ./brontavik 2>&1 >/dev/null)
code=$?
echo "no display: exit=$code message=[$err]"
[[ $code -eq 0 ]] || fail "exit code without a display"
grep -qE "ERROR: (Failed To Register The Window Class\.|Window Creation Error\.)" <<<"$err" ||
    fail "message without a display"
echo "1 passed, 0 failed"
