#!/usr/bin/env bash
# brontavik-edit.exe with the scripted sync editor, against the Linux
# brontavik-edit and capture tool (edit_run.py): the handshake, pause and
# seek with the music, keys in the picture, the export's bytes, the editor
# refusing, leaving and coming back, --play and brontavik-capture.exe --tracks.
source "$(dirname "$0")/lib.sh"
for program in brontavik-edit brontavik-capture; do
    [[ -x "$NATIVE_BIN/$program" ]] || fail "no native $program in $NATIVE_BIN"
done
start_x 1024x768
start_pulse
record null "$work/rec.raw"
export work
"$PY" "$here/edit_run.py" "$work/rec.raw"
