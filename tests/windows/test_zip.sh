#!/usr/bin/env bash
# The release zip: what it holds, imports of system DLLs only, the
# resources, and the show running from a folder whose name has spaces and
# letters beyond ASCII.
source "$(dirname "$0")/lib.sh"
zip_file=$(ls "$OUT"/brontavik-*-windows-x64.zip)
listing=$(unzip -Z1 "$zip_file" | sort | tr '\n' ' ')
for entry in brontavik.exe brontavik-capture.exe brontavik-edit.exe brontavik-view.exe README.txt music/music.ogg \
    textures/merry.jpg textures/superfilm3.jpg; do
    [[ " $listing" == *" $entry "* ]] || fail "the zip lacks $entry: $listing"
done
note "zip $(basename "$zip_file"): $(du -k "$zip_file" | cut -f1) KiB: $listing"
folder="$work/Brontavík Show – ünïcode"
mkdir -p "$folder"
unzip -q "$zip_file" -d "$folder"

# Every Windows 10 and 11 has these; only the program that talks to a sync
# editor loads Winsock.
system_dlls="ADVAPI32.dll GDI32.dll GLU32.dll KERNEL32.dll OLE32.dll OPENGL32.dll USER32.dll msvcrt.dll"
for program in brontavik.exe brontavik-capture.exe brontavik-edit.exe brontavik-view.exe; do
    imports=$(objdump -p "$folder/$program" | sed -n 's/^\s*DLL Name: //p' | sort -u)
    allowed=$system_dlls
    [[ $program == brontavik-edit.exe ]] && allowed+=" WS2_32.dll"
    for dll in $imports; do
        [[ " ${allowed,,} " == *" ${dll,,} "* ]] || fail "$program imports $dll"
    done
    note "$program imports: $(tr '\n' ' ' <<<"$imports")"
    resources=$(x86_64-w64-mingw32-windres -i "$folder/$program" -O rc 2>/dev/null)
    for wanted in PerMonitorV2 asInvoker 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a '"ProductVersion", "'; do
        grep -qF "$wanted" <<<"$resources" || fail "$program lacks $wanted in its resources"
    done
    grep -q "ICON" <<<"$resources" || fail "$program has no icon"
done
grep -q "Alt+F4" "$folder/README.txt" && grep -q "brontavik-edit --play" "$folder/README.txt" ||
    fail "README.txt"

start_x 800x600
start_pulse
run_show "$folder"
win=$(show_window 60) || fail "the show did not start from \"$folder\""
sleep 3
"$PY" "$here/title_line.py" check "$(title "$win")" || fail "title"
xdotool key --window "$win" alt+F4
code=$(wait_exit 10)
[[ "$code" == 0 ]] || fail "exit code $code"
note "runs from \"$(basename "$folder")\""

# brontavik-edit.exe from there too, started elsewhere: the show's data found
# beside it, the (empty) track folder where it was started.
mkdir -p "$work/elsewhere/tracks"
rm -f "$work/exit"
(
    cd "$work/elsewhere"
    set +e
    wine "$folder/brontavik-edit.exe" --play --tracks tracks >"$work/edit.log" 2>&1
    echo $? >"$work/exit"
) &
show_pid=$!
win=$(show_window 60) || fail "brontavik-edit.exe did not start: $(cat "$work/edit.log")"
sleep 2
"$PY" "$here/title_line.py" check "$(title "$win")" || fail "brontavik-edit.exe's title"
xdotool key --window "$win" alt+F4 2>/dev/null
code=$(wait_exit 10)
[[ "$code" == 0 ]] || fail "brontavik-edit.exe: exit code $code"
note "brontavik-edit.exe --play runs from there"
