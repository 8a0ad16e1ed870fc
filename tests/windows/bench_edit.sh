#!/usr/bin/env bash
# Not one of the tests (run.sh runs it only by name: run.sh build-windows
# bench_edit): brontavik-edit.exe's frame rate under Wine without and with
# an editor, beside brontavik.exe's (edit_frame_rate.py).
source "$(dirname "$0")/lib.sh"
start_x 800x600
start_pulse
export work
"$PY" "$here/edit_frame_rate.py"
