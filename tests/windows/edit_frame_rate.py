#!/usr/bin/env python3
"""Frame rates under Wine from the statistics line, each the median of 20
readings over 10 s: brontavik.exe playing its first seconds, and
brontavik-edit.exe playing them with no editor; then brontavik-edit.exe
paused at 45 s with no editor, with an editor, and with an editor that keyed
27 tracks on every row of the show with the show's own values (the same
picture). Figures to read, not a test. Run by bench_edit.sh."""
import os
import statistics
import time

from edit_run import OUT, Program, clock, free_port, note, run, window
from sync_editor import SyncEditor

# The show's own values (README), so keying them changes no pixel.
DEFAULTS = {"show:brightness": 1, "camera:fov": 75, "light:dir.x": -1, "light:dir.y": 0.3,
            "light:dir.z": 0, "light:ambient": 1, "spheres:cage": 0.2, "spheres:spacing": 2.4,
            "sky:size": 13, "stars:radius": 60, "stars:size": 0.3, "clouds:height": 12,
            "clouds:opacity": 1, "points:size": 4, "spires:size": 0.05, "floor:height": -0.41,
            "floor:blue": 0.4, "floor:opacity": 0.8, "sprites:size": 0.05, "film:strength": 0.8,
            "timeline:part1.start": 80, "timeline:part2.start": 85.14, "envelope:damping": 6.4,
            "envelope:swing.fast": 2, "envelope:swing.mid": 1.55, "envelope:swing.slow": 0.9}
ROWS = 1344  # past the end of the show


def frame_rate(win, what):
    readings = []
    end = time.monotonic() + 10
    while time.monotonic() < end:
        readings.append(clock(win)["Fps"])
        time.sleep(0.5)
    fps = statistics.median(readings)
    note("%s: %.1f fps, %.1f ms a frame" % (what, fps, 1000 / fps))


def main():
    show = Program(["wine", os.path.join(OUT, "bin", "brontavik.exe")], os.path.join(OUT, "bin"))
    win = window()
    time.sleep(1)
    frame_rate(win, "brontavik.exe playing from 1 s")
    show.process.kill()
    run("wineserver", "-k")

    port = free_port()
    demo = Program(["wine", os.path.join(OUT, "bin", "brontavik-edit.exe"), "--sync",
                    "127.0.0.1:%d" % port], os.environ["work"])
    win = window()
    time.sleep(1)
    frame_rate(win, "brontavik-edit.exe playing from 1 s, no editor")
    for key in ["space", "Home"] + ["Next"] * 4 + ["Right"] * 5:
        run("xdotool", "key", "--window", win, key)
        time.sleep(0.2)
    frame_rate(win, "paused at %s s, no editor" % clock(win)["Time"])
    editor = SyncEditor(port)
    editor.accept(timeout=10)
    editor.pause(True)
    editor.set_row(720)
    editor.read_messages(1.0)
    frame_rate(win, "paused at %s s, an editor" % clock(win)["Time"])
    for row in range(ROWS):
        editor.set_key(0, row, row / 16.0, 1)
        for name, value in DEFAULTS.items():
            editor.set_key(editor.tracks.index(name), row, value)
    time.sleep(2)
    frame_rate(win, "paused at %s s, an editor, %d keys on %d tracks" %
               (clock(win)["Time"], ROWS * (len(DEFAULTS) + 1), len(DEFAULTS) + 1))
    editor.close()
    demo.process.kill()


if __name__ == "__main__":
    main()
