#!/usr/bin/env bash
# The program built with the settings dialog on, tried under Xvfb (run in
# an X server of its own with a 1024x768 screen): OK with 1024 by 768 opens
# the 800 by 600 window at the top-left corner; Cancel ends with exit code 0
# before any window. Usage: try_program.sh PROGRAM LAYOUT_PROGRAM SCREENSHOT_DIR
set -u
source "$(dirname "$0")/../../support/wait_for_window.sh"
program=$1
layoutProgram=$2
shots=$3
mkdir -p "$shots"
export BRONTAVIK_NO_MESSAGE_BOXES=1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

declare -A at
while read -r id x y; do at[$id]="$x $y"; done < <("$layoutProgram" --layout)

clickOn() {
    # shellcheck disable=SC2086
    xdotool mousemove --window "$1" ${at[$2]}
    sleep 0.15
    xdotool mousedown 1
    sleep 0.1
    xdotool mouseup 1
}

run() {
    "$program" >"$shots/program.log" 2>&1 &
    pid=$!
    dialog=$(wait_for_window "Brontavik settings" "$pid")
    [ -n "$dialog" ] || { fail "no settings dialog"; kill "$pid"; return 1; }
    sleep 0.5
}

# OK with 1024 x 768 (selected as the dialog opens).
run && {
    clickOn "$dialog" 1
    main=""
    for _ in $(seq 50); do
        main=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1)
        [ -n "$main" ] && break
        sleep 0.2
    done
    if [ -z "$main" ]; then
        fail "no demo window after OK"
    else
        sleep 1
        geometry=$(xdotool getwindowgeometry "$main")
        echo "demo window: '$(xdotool getwindowname "$main")'"
        echo "$geometry"
        grep -q "Position: 0,0" <<<"$geometry" || fail "window not at the top-left corner"
        grep -q "Geometry: 800x600" <<<"$geometry" || fail "window not 800 by 600"
        import -window root "$shots/program-after-ok.png"
    fi
    kill "$pid" 2>/dev/null
    wait "$pid"
}

# Cancel: exit code 0, no demo window.
run && {
    clickOn "$dialog" 2
    timeout 10 tail --pid="$pid" -f /dev/null
    wait "$pid"
    code=$?
    [ "$code" = 0 ] || fail "Cancel: exit code $code"
    echo "Cancel: exit $code"
}

[ "$failures" = 0 ] && echo "program with the dialog: all checks passed"
exit "$failures"
