# Shared by the Windows tests: each test gets an X server (Xvfb, display
# chosen by the server itself), a PulseAudio with a null sink (its own
# XDG_RUNTIME_DIR) and a fresh wineserver on the shared prefix, and leaves
# nothing running. Sourced by the test scripts; run.sh sets OUT (the Windows
# build folder), PREFIX, PROBE (win-probe.exe) and MUSIC_RAW.
set -euo pipefail
export WINEDEBUG=-all WINEPREFIX="$PREFIX" WINEDLLOVERRIDES="mscoree,mshtml="
# Mesa draws on one thread, so the sound threads of Wine and PulseAudio are
# not starved on a machine of two cores.
export LP_NUM_THREADS=1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Debian's Python, which has Debian's numpy.
PY=/usr/bin/python3
work=$(mktemp -d "$OUT/test-XXXXXX")
x_pid="" pulse_pid="" show_pid="" parec_pids=()

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
note() { echo "  $*"; }

cleanup() {
    [[ -n "$show_pid" ]] && kill "$show_pid" 2>/dev/null || true
    for p in "${parec_pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    [[ -n "$pulse_pid" ]] && kill "$pulse_pid" 2>/dev/null || true
    [[ -n "$x_pid" ]] && kill "$x_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    [[ -n "${KEEP_WORK:-}" ]] || rm -rf "$work"
}
trap cleanup EXIT

# start_x WxH: an X server with one screen of that size at 24 bits.
start_x() {
    local fifo="$work/display"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$fifo" 2>/dev/null &
    x_pid=$!
    local number
    read -r number <"$fifo"
    export DISPLAY=":$number"
}

# start_pulse: a sound server with the null sink "null" as the default device.
start_pulse() {
    export XDG_RUNTIME_DIR="$work/run"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-null-sink \
        --load=module-native-protocol-unix --log-target=file:"$work/pulse.log" &
    pulse_pid=$!
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "PulseAudio did not start"
}

# no_pulse: no sound server at all.
no_pulse() {
    export XDG_RUNTIME_DIR="$work/run"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

# record SINK FILE: records what the sink plays (raw s16le stereo 44.1 kHz).
record() {
    parec -d "$1.monitor" --format=s16le --rate=44100 --channels=2 --latency-msec=20 >"$2" \
        2>/dev/null &
    parec_pids+=($!)
}

# folder_with [what to leave out...]: a copy of the program's folder.
folder_with() {
    local folder="$work/show"
    mkdir -p "$folder"
    cp "$1" "$folder/brontavik.exe"
    cp -r "$OUT/bin/music" "$OUT/bin/textures" "$folder/"
    echo "$folder"
}

# run_show FOLDER [LOG]: starts brontavik.exe there; its exit code lands in $work/exit.
run_show() {
    local folder=$1 log=${2:-$work/show.log}
    (
        cd "$folder"
        set +e
        wine brontavik.exe >"$log" 2>&1
        echo $? >"$work/exit"
    ) &
    show_pid=$!
}

# wait_exit SECONDS: waits for the show to end; prints its exit code.
wait_exit() {
    local deadline=$((SECONDS + $1))
    while [[ ! -s "$work/exit" ]]; do
        ((SECONDS < deadline)) || fail "the show did not end within $1 s"
        sleep 0.05
    done
    cat "$work/exit"
}

# show_window SECONDS: the X window of the show (its title is the statistics line).
show_window() {
    local deadline=$((SECONDS + $1)) id
    while ((SECONDS < deadline)); do
        id=$(xdotool search --name '^X:.*Time:' 2>/dev/null | head -1 || true)
        [[ -n "$id" ]] && {
            echo "$id"
            return 0
        }
        sleep 0.2
    done
    return 1
}

# watch_end WINDOW: follows the window's title (rewritten every frame) until
# the program has exited; prints the seconds from the call to the last frame
# and the demo time that frame showed. (The end of the process itself comes
# 2 s after the program's DestroyWindow under Wine without a window manager,
# which waits that long for one to withdraw the window.)
watch_end() {
    local start last_line="" line changed
    start=$(date +%s.%N)
    changed=$start
    while [[ ! -s "$work/exit" ]]; do
        line=$(xdotool getwindowname "$1" 2>/dev/null || true)
        if [[ -n "$line" && "$line" != "$last_line" ]]; then
            last_line=$line
            changed=$(date +%s.%N)
        fi
        sleep 0.03
    done
    echo "$(echo "$changed - $start" | bc) $(demo_time "$last_line")"
}

# title WINDOW: the window's title now.
title() { xdotool getwindowname "$1"; }

# demo_time TITLE: the demo time the statistics line shows.
demo_time() { "$PY" "$here/title_line.py" time "$1"; }

# in_step WINDOW RECORDING LABEL [SLACK]: the music the sink recorded is heard where
# the demo clock stands: readings of the title and the recording's length,
# each matched against the music, until two match. The title
# is written at the end of a frame with the demo time of its start, so the
# music heard then is ahead of it by up to a frame (1/fps) besides the
# 0.15 s allowed either way. On a busy machine the sink may lose a moment of
# sound (PulseAudio underruns): a reading whose second of sound does not
# match the music is left out (at most ten readings are taken), and every
# one that matches must be in step, where the sound lost before it (which
# Wine's device clock counts as played) may leave the music that much behind,
# and SLACK seconds more either way where the clock is still converging.
in_step() {
    local line before after tries reading time fps heard match good=0 taken=0 slack=${4:-0}
    while ((good < 2)); do
        ((taken < 10)) || fail "$3: the sink does not hear the music"
        taken=$((taken + 1))
        # The title between two looks at the recording's length; taken again
        # when the machine kept the three apart for more than 30 ms.
        for tries in 1 2 3 4 5 6 7 8 9 10; do
            before=$(stat -c %s "$2")
            line=$(title "$1")
            after=$(stat -c %s "$2")
            ((after - before <= 5292)) && break
        done
        read -r time fps < <("$PY" "$here/title_line.py" frame "$line")
        read -r _ heard _ match _ lost < <("$PY" "$here/music_check.py" where "$MUSIC_RAW" \
            "$2" $(((before + after) / 8)) "$time")
        note "$3: demo time $time s at $fps fps, music heard at $heard s (correlation $match," \
            "$lost s lost to underruns)"
        sleep 0.3
        "$PY" -c "import sys; sys.exit(not ($match >= 0.8))" || continue
        "$PY" -c "import sys; sys.exit(not (-0.15 - $slack - $lost < $heard - $time < 0.15 + $slack + 1 / max($fps, 5)))" ||
            fail "$3: music and clock apart"
        good=$((good + 1))
    done
}

probe() { wine "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }

# hold_key WINDOW KEY: a key pressed, held a moment and let go.
hold_key() {
    xdotool keydown --window "$1" "$2"
    sleep 0.3
    xdotool keyup --window "$1" "$2"
}

screenshot() { import -window root "$1" 2>/dev/null || true; }
