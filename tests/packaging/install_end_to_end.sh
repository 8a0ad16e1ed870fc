#!/usr/bin/env bash
# cmake --install into a scratch prefix; the installed files are in place and
# validate; the launcher plays the show (a frame, then the window is closed)
# from the installed data, and the installed capture tool renders a still.
set -uo pipefail
build=${1:?usage: install_end_to_end.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installed_files.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
check_installed "" "$prefix" || exit 1

(cd "$build/bin" && SDL_VIDEODRIVER=offscreen ./brontavik-capture --at 80 --size 160x120 \
    --png "$work/reference.png") || fail "build's capture tool"
check_installed_capture "$prefix/bin/brontavik-capture" "$work/reference.png" "$work/still.png" || exit 1

# The installed brontavik-edit finds the show's data from an unrelated
# folder: it plays (an empty track folder, no editor) until it is stopped.
mkdir "$work/tracks"
(cd / && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy BRONTAVIK_NO_MESSAGE_BOXES=1 \
    timeout 5 "$prefix/bin/brontavik-edit" --play --tracks "$work/tracks" 2>"$work/edit.err")
[[ $? == 124 && ! -s "$work/edit.err" ]] || fail "installed brontavik-edit: $(cat "$work/edit.err")"

# The launcher from an unrelated folder: the title shows the statistics once
# frames are drawn; closing the window ends the show with exit code 0.
cat >"$work/play.sh" <<'INNER'
cd /
BRONTAVIK_NO_MESSAGE_BOXES=1 SDL_AUDIODRIVER=dummy "$1/bin/brontavik" 2>"$2" &
pid=$!
for _ in $(seq 100); do
    win=$(xdotool search --name "X:" 2>/dev/null | head -1)
    [[ -n "$win" ]] && break
    sleep 0.1
done
[[ -n "${win:-}" ]] || { echo "no statistics title"; kill $pid; exit 1; }
echo "title=[$(xdotool getwindowname "$win")]"
xdotool key --window "$win" alt+F4 2>/dev/null
wait $pid
echo "exit=$?"
INNER
out=$(timeout 60 "$here/../support/with_display.sh" 800x600x24 bash "$work/play.sh" "$prefix" \
    "$work/err")
echo "$out"
grep -q '^title=\[X:.*Fps:' <<<"$out" || fail "installed show did not draw ($(cat "$work/err"))"
grep -q '^exit=0$' <<<"$out" || fail "installed show exit code"
echo "1 passed, 0 failed"
