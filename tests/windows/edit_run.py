#!/usr/bin/env python3
"""brontavik-edit.exe under Wine, driven by the Linux tests' scripted sync
editor and held against the Linux programs: the same script of keys runs
the Linux brontavik-edit first, then the Windows one, which must give the
same track list, the same lines on standard error and the same exported
bytes; the Windows window is looked at (its client area against the Linux
capture tool's frame at the same scene time) and listened to (a PulseAudio
null sink recorded to REC).

  edit_run.py REC
Run by test_edit.sh, which gives it an X server and a sound server and sets
OUT, NATIVE_BIN, MUSIC_RAW, PROBE and work."""
import os
import socket
import struct
import subprocess
import sys
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "edit"))
import compare_frames  # noqa: E402
import music_check  # noqa: E402
import title_line  # noqa: E402
from sync_editor import SyncEditor  # noqa: E402

OUT, NATIVE_BIN, WORK = os.environ["OUT"], os.environ["NATIVE_BIN"], os.environ["work"]
REC = sys.argv[1] if __name__ == "__main__" else None
EDIT_EXE = os.path.join(OUT, "bin", "brontavik-edit.exe")
CAPTURE_EXE = os.path.join(OUT, "bin", "brontavik-capture.exe")
LINUX_ENV = dict(os.environ, SDL_AUDIODRIVER="dummy", BRONTAVIK_NO_MESSAGE_BOXES="1")
BYTES_A_SECOND = 44100 * 4

# The keys both runs export. Row 10 and the value's bits (1a 0a 0d 3f as
# written) are bytes a file opened as text would change.
ODD_VALUE = struct.unpack("<f", bytes([0x1A, 0x0A, 0x0D, 0x3F]))[0]
KEYS = [("show:brightness", 0, 1.0, 1), ("show:brightness", 13, ODD_VALUE, 2),
        ("show:brightness", 26, 0.8, 0), ("camera:fov", 0, 75.0, 3),
        ("camera:fov", 160, 50.0, 1), ("floor:blue", 10, 0.9, 0)]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def note(message):
    print("  " + message, flush=True)


def run(*args, cwd=None, env=None, timeout=120):
    return subprocess.run(list(args), capture_output=True, text=True, cwd=cwd, env=env,
                          timeout=timeout)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for(check, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return
        time.sleep(0.1)
    fail(what)


class Program:
    """A program started in FOLDER, its standard error kept in a file."""

    def __init__(self, argv, folder, env=None):
        self.err = open(os.path.join(WORK, "err-%d.txt" % time.monotonic_ns()), "w+")
        self.process = subprocess.Popen(argv, cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                        stderr=self.err)

    def lines(self):
        self.err.flush()
        self.err.seek(0)
        return [line.rstrip("\r") for line in self.err.read().splitlines()]

    def ended(self, seconds):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return None


def window(seconds=60):
    found = []
    wait_for(lambda: found.extend(run("xdotool", "search", "--name", "^X:.*Time:").stdout.split())
             or found, seconds, "no window with the statistics line")
    return found[0]


def clock(win):
    """The statistics line's numbers (Time, Fps, ...)."""
    return title_line.fields(run("xdotool", "getwindowname", win).stdout.strip())


def recorded_seconds():
    return os.path.getsize(REC) / BYTES_A_SECOND


def client_rect():
    """Where the window's client area lies in its X window when Wine draws
    the caption and borders into it: left, top, width, height."""
    lines = dict(line.split(" ", 1) for line in run("wine", os.environ["PROBE"], "rect",
                                                    "#OpenGL").stdout.splitlines())
    _, _, outer_w, outer_h = map(int, lines["outer"].split())
    width, height = map(int, lines["client"].split())
    border = (outer_w - width) // 2
    return border, outer_h - height - border, width, height


def shot(win, rect, name):
    """The client area now, a few frames after what was sent."""
    time.sleep(0.5)
    path = os.path.join(WORK, name)
    run("import", "-window", win, path)
    left, top, width, height = rect
    image = compare_frames.pixels(path)
    # Wine gives an ordinary window's client area an X window of its own when
    # it can; otherwise the caption and borders are drawn around it.
    if image.shape[:2] == (height, width):
        return image
    return image[top:top + height, left:left + width]


def linux_frame(rect, name, *args):
    """What the Linux capture tool draws, as much of it as the client shows:
    the frame's viewport starts at the client's lower left corner."""
    path = os.path.join(WORK, name)
    result = run(os.path.join(NATIVE_BIN, "brontavik-capture"), *args, "--png", path)
    if result.returncode != 0:
        fail("capture %s: %s" % (" ".join(args), result.stderr))
    _, _, width, height = rect
    frame = compare_frames.pixels(path)
    return frame[frame.shape[0] - height:, :width]


def same_picture(live, expected, what):
    line, same = compare_frames.compare(live, expected)
    note("%s: %s" % (what, line))
    if not same:
        fail(what + " differs")


def in_step(win, label, since):
    """The music heard is where the clock stands, as the show's own test
    hears it (the sound lost since SINCE, in seconds of recording, allowed
    for), in two readings whose second of sound the sink lost none of: on a
    busy machine it loses some often, so up to 20 are taken."""
    good = taken = 0
    while good < 2:
        taken += 1
        if taken > 20:
            fail(label + ": the sink does not hear the music")
        for _ in range(10):
            before = os.path.getsize(REC)
            now = clock(win)
            after = os.path.getsize(REC)
            if after - before <= 5292:
                break
        at = (before + after) // 8
        heard, match, lost = music_check.where(os.environ["MUSIC_RAW"], REC, at, now["Time"],
                                               since * music_check.RATE)
        # A second the sink lost sound in is left out, however it matches.
        gap = music_check.lost(music_check.mono(REC)[at - music_check.RATE:at])
        note("%s: demo time %s s at %s fps, music heard at %.3f s (correlation %.2f, %.3f s lost)"
             % (label, now["Time"], now["Fps"], heard, match, lost))
        time.sleep(0.3)
        if match < 0.8 or gap > 0:
            continue
        if not -0.15 - lost < heard - now["Time"] < 0.15 + 1 / max(now["Fps"], 5):
            fail(label + ": music and clock apart")
        good += 1


def set_keys(editor, names, keys):
    for name, row, value, interpolation in keys:
        editor.set_key(names.index(name), row, value, interpolation)


def exported(folder, count):
    """The track files SAVE_TRACKS wrote, by name, once all COUNT are there."""
    path = os.path.join(folder, "sync")
    wait_for(lambda: os.path.isdir(path) and len(os.listdir(path)) == count, 20,
             "SAVE_TRACKS did not write %d files in %s" % (count, path))
    time.sleep(0.3)
    return {name: open(os.path.join(path, name), "rb").read() for name in os.listdir(path)}


def leave(editor):
    """The editor goes away, paused and with everything read, so the demo
    sees the connection closed, not reset (which Wine reports as closed)."""
    editor.pause(True)
    editor.read_messages(0.5)
    editor.drop()


def as_heard(lines, port):
    """Standard error's lines with the port and the tracks folder left out."""
    return {line.replace(":%d" % port, ":PORT") for line in lines if " tracks in " not in line}


def linux_reference():
    """The Linux program through the same script: its track list, its
    exported files and what it said."""
    folder = os.path.join(WORK, "linux")
    os.makedirs(folder)
    port = free_port()
    demo = Program([os.path.join(NATIVE_BIN, "brontavik-edit"), "--sync",
                    "127.0.0.1:%d" % port, "--tracks", "sync"], folder, LINUX_ENV)
    wait_for(lambda: any("no sync editor" in line for line in demo.lines()), 30,
             "Linux: no line about the missing editor")
    editor = SyncEditor(port)
    editor.accept(timeout=10)
    editor.read_messages(1.0)  # every name comes in one frame
    names = list(editor.tracks)
    set_keys(editor, names, KEYS)
    editor.save()
    files = exported(folder, len(names))
    leave(editor)
    wait_for(lambda: any("connection dropped" in line for line in demo.lines()), 10,
             "Linux: no line about the editor leaving")
    editor.close()
    demo.process.terminate()
    demo.ended(10)
    return names, files, as_heard(demo.lines(), port)


def live_run(names, files, lines):
    """The Windows program with no editor, then with one: the handshake,
    pause, seek, keys in the picture, the export, the editor leaving and
    coming back, Escape."""
    folder = os.path.join(WORK, "windows")
    os.makedirs(folder)
    port = free_port()
    demo = Program(["wine", EDIT_EXE, "--sync", "127.0.0.1:%d" % port, "--tracks", "sync"],
                   folder)
    win = window()

    # Nobody listens: refused, told once, and the frames go on.
    time.sleep(3.5)
    alone = clock(win)["Fps"]
    refused = ("brontavik-edit: no sync editor at 127.0.0.1:%d (Connection refused); trying "
               "again about once a second" % port)
    if demo.lines().count(refused) != 1:
        fail("no editor: standard error says %r" % demo.lines())
    note("no editor, at %s s: %s fps; told once: %s" % (clock(win)["Time"], alone, refused))
    if alone < 5.0:
        fail("the frame rate fell without an editor")

    editor = SyncEditor(port)
    editor.accept(timeout=10)
    if editor.wait_for_tracks(len(names), 10) != names:
        fail("track list %r, on Linux %r" % (editor.tracks, names))
    note("handshake: %d tracks asked for, as on Linux" % len(names))

    # Pause at row 720: the clock stands at 45 s and the music is silent.
    time.sleep(1.5)
    playing = recorded_seconds()
    editor.pause(True)
    editor.set_row(720)
    wait_for(lambda: clock(win)["Time"] == 45.0, 10, "paused at row 720 but not at 45 s")
    time.sleep(1.6)
    before = music_check.level(REC, playing - 1.2, playing - 0.2)
    paused = music_check.level(REC, playing + 0.5, playing + 1.5)
    note("music level playing %.1f dBFS, paused %.1f dBFS; clock at %s s" %
         (before, paused, clock(win)["Time"]))
    if clock(win)["Time"] != 45.0 or not (before > -40.0 and paused < -70.0):
        fail("pause did not hold the clock and silence the music")

    # Keys in the picture: show:time 20 is capture --at 20; brightness 0 is
    # black; deleting that key gives the picture back.
    rect = client_rect()
    # An ordinary window is sized by its client area, the caption and borders
    # around it, so the whole 800 by 600 picture shows.
    if rect[2:] != (800, 600):
        fail("the window's client area is %dx%d, not the picture's 800x600" % rect[2:])
    editor.set_key(0, 0, 20.0)
    at20 = linux_frame(rect, "linux20.png", "--at", "20")
    same_picture(shot(win, rect, "live20.png"), at20, "show:time 20 against --at 20")
    editor.set_key(1, 0, 0.0)
    dark = shot(win, rect, "dark.png")
    note("show:brightness 0: brightest level %d" % dark.max())
    if dark.max() > 0:
        fail("show:brightness 0 is not black")
    editor.delete_key(1, 0)
    same_picture(shot(win, rect, "back20.png"), at20, "the brightness key deleted")

    # SET_ROW seeks the picture (paused) and the music (playing on).
    editor.set_row(480)
    wait_for(lambda: clock(win)["Time"] == 30.0, 10, "SET_ROW 480 but not at 30 s")
    editor.delete_key(0, 0)
    same_picture(shot(win, rect, "live30.png"), linux_frame(rect, "linux30.png", "--at", "30"),
                 "row 480 against --at 30")
    editor.read_messages(0.1)
    editor.rows.clear()
    resumed = recorded_seconds()
    editor.pause(False)
    time.sleep(1.5)
    in_step(win, "after the seek to 30 s", resumed)
    editor.read_messages(0.2)
    if not editor.rows or not 480 <= editor.rows[0] < 480 + 48:
        fail("the rows the demo sent after playing on from 480: %r" % editor.rows[:5])
    note("rows sent to the editor: %d .. %d" % (editor.rows[0], editor.rows[-1]))
    note("with the editor, playing at %s s: %s fps" % (clock(win)["Time"], clock(win)["Fps"]))

    # The export: the same files, byte for byte, as the Linux program's.
    set_keys(editor, names, KEYS)
    editor.save()
    if exported(folder, len(names)) != files:
        fail("the exported tracks differ from the Linux program's")
    note("SAVE_TRACKS: %d files, the same bytes as on Linux" % len(files))

    # The editor vanishes: the show goes on; back, it asks for every track.
    leave(editor)
    time.sleep(1.5)
    was = clock(win)["Time"]
    time.sleep(1.0)
    if not clock(win)["Time"] > was:
        fail("the show stood still without its editor")
    editor.accept(timeout=10)
    if editor.wait_for_tracks(len(names), 10) != names:
        fail("tracks not asked for again after the editor came back")
    note("the editor left and came back: the clock ran on, %d tracks asked for again" %
         len(names))
    editor.close()

    missing = lines - as_heard(demo.lines(), port)
    if missing:
        fail("the Linux program said %r, this one %r" % (missing, demo.lines()))
    note("standard error as on Linux: %d lines" % len(lines))

    # Escape fades the show out and ends it.
    run("xdotool", "keydown", "--window", win, "Escape")
    time.sleep(0.3)
    run("xdotool", "keyup", "--window", win, "Escape")
    if demo.ended(20) != 0:
        fail("Escape: exit code %s" % demo.process.returncode)
    return folder, rect


def playback(folder, rect):
    """The exported tracks: --play at 5 s (Space, Home, Right five times) and
    brontavik-capture.exe --tracks against the Linux capture tool; damaged
    files refused by both Windows programs."""
    tracks = os.path.join(folder, "sync")
    player = Program(["wine", EDIT_EXE, "--play", "--tracks", "sync"], folder)
    win = window()
    for key in ["space", "Home", "Right", "Right", "Right", "Right", "Right"]:
        run("xdotool", "key", "--window", win, key)
        time.sleep(0.2)
    wait_for(lambda: clock(win)["Time"] == 5.0, 10, "--play: the keys did not stop at 5 s")
    same_picture(shot(win, rect, "play5.png"),
                 linux_frame(rect, "tracks5.png", "--tracks", tracks, "--at", "5"),
                 "--play at 5 s against the Linux capture --tracks")
    run("xdotool", "key", "--window", win, "alt+F4")
    if player.ended(20) != 0:
        fail("--play: Alt+F4 gave exit code %s" % player.process.returncode)

    result = run("wine", CAPTURE_EXE, "--tracks", "sync", "--at", "5", "--png", "win5.png",
                 cwd=folder)
    if result.returncode != 0:
        fail("brontavik-capture.exe --tracks: " + result.stderr)
    same_picture(compare_frames.pixels(os.path.join(folder, "win5.png")),
                 compare_frames.pixels(os.path.join(WORK, "tracks5.png")),
                 "brontavik-capture.exe --tracks against the Linux tool at 5 s")

    with open(os.path.join(tracks, "sync_floor-3Ablue.track"), "wb") as damaged:
        damaged.write(struct.pack("<i", 3) + b"\0" * 9)
    told = "sync_floor-3Ablue.track: cut short"
    result = run("wine", CAPTURE_EXE, "--tracks", "sync", "--at", "5", "--png", "x.png",
                 cwd=folder)
    if result.returncode != 1 or told not in result.stderr:
        fail("capture with a damaged file: %d %s" % (result.returncode, result.stderr))
    player = Program(["wine", EDIT_EXE, "--play", "--tracks", "sync"], folder)
    if player.ended(30) != 1 or not any(told in line for line in player.lines()):
        fail("--play with a damaged file: %r" % player.lines())
    note("a damaged track file: named, exit code 1, by both programs")


def main():
    names, files, lines = linux_reference()
    note("Linux: %d tracks, %d files exported" % (len(names), len(files)))
    playback(*live_run(names, files, lines))


if __name__ == "__main__":
    main()
