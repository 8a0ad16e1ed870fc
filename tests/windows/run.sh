#!/usr/bin/env bash
# The Windows tests: the cross-built programs under Wine on Xvfb (Mesa's
# llvmpipe behind WGL), PulseAudio null sinks as the sound card.
#   tests/windows/run.sh BUILD_WINDOWS_FOLDER [TEST...]
# Runs every test_*.sh here (or those named) one after the other: they
# measure time and sound, so they do not share the machine with each other.
# Ends with "N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export OUT=$(cd "${1:?usage: run.sh BUILD_WINDOWS_FOLDER [TEST...]}" && pwd)
shift
export PREFIX="$OUT/wine-prefix" PROBE="$OUT/tests/win-probe.exe" MUSIC_RAW="$OUT/tests/music.raw"
export WINEDEBUG=-all WINEPREFIX="$PREFIX" WINEDLLOVERRIDES="mscoree,mshtml="
export NATIVE_BIN="$(cd "$OUT/.." && pwd)/build/bin"
mkdir -p "$OUT/tests"

# The probe that looks at windows from inside Wine, and the music decoded
# once for listening.
if [[ ! -f "$PROBE" || "$here/win_probe.cpp" -nt "$PROBE" ]]; then
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -static -o "$PROBE" \
        "$here/win_probe.cpp" || exit 1
fi
sox "$OUT/bin/music/music.ogg" -t raw -e signed -b 16 -c 2 -r 44100 "$MUSIC_RAW"

# A Wine prefix of our own, made once (the first start takes a while); its
# sound goes to PulseAudio only, so without a sound server there is no device.
if [[ ! -f "$PREFIX/system.reg" ]]; then
    echo "windows tests: making the Wine prefix $PREFIX"
    DISPLAY= wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d pulse /f >/dev/null 2>&1
    wineserver -w
fi

tests=("$@")
((${#tests[@]})) || tests=($(cd "$here" && ls test_*.sh | sed 's/\.sh$//'))
passed=0 failed=0
for name in "${tests[@]}"; do
    echo "== $name"
    start=$SECONDS
    if bash "$here/$name.sh"; then
        echo "== $name: passed ($((SECONDS - start)) s)"
        passed=$((passed + 1))
    else
        echo "== $name: FAILED ($((SECONDS - start)) s)"
        failed=$((failed + 1))
    fi
done
echo "windows: $passed passed, $failed failed"
((failed == 0))
