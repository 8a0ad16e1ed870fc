#!/usr/bin/env bash
# Tries the settings dialog as a user would, inside an X server of its own
# (run under tests/support/with_display.sh): clicks with xdotool,
# screenshots with ImageMagick's import.
# Usage: try_dialog.sh DIALOG_PROGRAM SCREENSHOT_DIR
set -u
source "$(dirname "$0")/../../support/wait_for_window.sh"
program=$1
shots=$2
mkdir -p "$shots"
failures=0
title="Brontavik settings"

declare -A at
while read -r id x y; do at[$id]="$x $y"; done < <("$program" --layout)

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Starts the dialog; sets pid, window and out.
start() {
    out=$(mktemp)
    "$program" >"$out" 2>&1 &
    pid=$!
    window=$(wait_for_window "$title" "$pid")
    [ -n "$window" ] || { fail "no dialog window"; kill "$pid"; return 1; }
    sleep 0.5  # first frames drawn
}

clickOn() {
    # shellcheck disable=SC2086
    xdotool mousemove --window "$window" ${at[$1]}
    sleep 0.15
    xdotool mousedown 1
    sleep 0.1
    xdotool mouseup 1
    sleep 0.15
}

# Waits for the dialog program to end; checks its exit code and output.
finish() {
    local expectOut=$1 name=$2
    local code
    timeout 10 tail --pid="$pid" -f /dev/null
    wait "$pid"
    code=$?
    [ "$code" = 0 ] || fail "$name: exit code $code"
    if [ -n "$expectOut" ]; then
        grep -qx "$expectOut" "$out" || fail "$name: printed '$(cat "$out")', expected '$expectOut'"
    else
        grep -q "highResolution=" "$out" && fail "$name: went on after Cancel: $(cat "$out")"
    fi
    echo "$name: exit $code, output: $(grep -v '^$' "$out" | tr '\n' ' ')"
    rm -f "$out"
}

# 1. As opened, then OK with the mouse: 1024 x 768 chosen, music on.
start && {
    import -window root "$shots/dialog-opened.png"
    clickOn 1
    finish "highResolution=1 lowResolution=0 musicEnabled=1 fullscreen=1 overlayEnabled=0" "OK as opened"
}

# 2. 800 x 600, music off, windowed, layer on, then OK.
start && {
    clickOn 1002
    clickOn 1011
    clickOn 1012
    clickOn 1013
    import -window root "$shots/dialog-changed.png"
    clickOn 1
    finish "highResolution=0 lowResolution=0 musicEnabled=0 fullscreen=0 overlayEnabled=1" "OK changed"
}

# 3. 512 x 384 ticked, then OK.
start && {
    clickOn 1004
    clickOn 1
    finish "highResolution=1 lowResolution=1 musicEnabled=1 fullscreen=1 overlayEnabled=0" "OK 512"
}

# 4. Cancel ends the process with exit code 0 and nothing applied.
start && {
    clickOn 1012
    clickOn 2
    finish "" "Cancel"
}

# 5. Keyboard: Escape cancels, Enter confirms.
start && {
    xdotool windowfocus --sync "$window"
    xdotool key Escape
    finish "" "Escape"
}
start && {
    xdotool windowfocus --sync "$window"
    xdotool key Return
    finish "highResolution=1 lowResolution=0 musicEnabled=1 fullscreen=1 overlayEnabled=0" "Enter"
}

echo "screenshots in $shots"
[ "$failures" = 0 ] && echo "all dialog checks passed"
exit "$failures"
