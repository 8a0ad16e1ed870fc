"""brontavik-edit as a maker runs it, under a virtual X server, with a
scripted sync editor: the window and its statistics, the handshake, a key
in the picture (a screenshot against brontavik-capture), the export, an
editor that vanishes and returns, bad bytes, no editor at all (the frame
rate stays up), Escape, --play, and damaged track files.

Usage: edit_end_to_end.py BIN_DIR   (run inside an X server)"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sync_editor import SyncEditor  # noqa: E402

BIN = os.path.abspath(sys.argv[1])
WORK = tempfile.mkdtemp()
ENV = dict(os.environ, SDL_AUDIODRIVER="dummy", BRONTAVIK_NO_MESSAGE_BOXES="1")
TRACKS = os.path.join(WORK, "sync")


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run(*args, timeout=60):
    return subprocess.run(list(args), capture_output=True, text=True, timeout=timeout, env=ENV)


def edit(*args):
    err = open(os.path.join(WORK, "edit-%d.err" % time.monotonic_ns()), "w+")
    process = subprocess.Popen([os.path.join(BIN, "brontavik-edit")] + list(args), env=ENV,
                               stderr=err, cwd=WORK)
    process.err = err
    return process


def told(process):
    process.err.flush()
    process.err.seek(0)
    return process.err.read()


def window(timeout=30.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = run("xdotool", "search", "--name", "X:").stdout.split()
        if found:
            return found[0]
        time.sleep(0.1)
    fail("no window with the statistics line")


def title(win):
    return run("xdotool", "getwindowname", win).stdout.strip()


def title_number(win, label):
    match = re.search(label + r":\s*(-?[0-9.]+)", title(win))
    return float(match.group(1)) if match else None


def psnr(a, b):
    out = run("compare", "-metric", "PSNR", a, b, "null:")
    value = out.stderr.split()[0]
    return 99.0 if value in ("inf", "1.#INF") else float(value)


def shot(win, name):
    path = os.path.join(WORK, name)
    time.sleep(0.5)  # a few frames, so the one on screen shows what was sent
    run("import", "-window", win, path)
    return path


def capture(name, *args):
    path = os.path.join(WORK, name)
    result = run(os.path.join(BIN, "brontavik-capture"), *args, "--png", path)
    if result.returncode != 0:
        fail("capture %s: %s" % (" ".join(args), result.stderr))
    return path


def ended(process, timeout):
    try:
        return process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        return None


editor = SyncEditor()
demo = edit("--sync", "127.0.0.1:%d" % editor.port, "--tracks", "sync")
editor.accept()
editor.pause(True)
editor.set_row(720)  # 45 s
names = editor.wait_for_tracks(33)
if names[:2] != ["show:time", "show:brightness"] or len(names) < 16:
    fail("track list " + repr(names))
win = window()
time.sleep(0.5)
line = title(win)
print("title: " + line)
if not re.match(r"X:.{1,20}Y:.{1,20}Time:.{1,15}Fps:.{1,16}Aux:", line):
    fail("statistics line " + line)
if title_number(win, "Time") != 45.0:
    fail("paused at row 720 but the title says " + line)

# A key in the picture: show:time 20 is what brontavik-capture --at 20 draws.
editor.set_key(0, 0, 20.0)
live = shot(win, "live20.png")
value = psnr(live, capture("still20.png", "--at", "20"))
print("show:time 20 against --at 20: %.1f dB" % value)
if value < 40.0:
    fail("the window does not show scene time 20 (%.1f dB)" % value)

# The export: every track, the keyed one with its key.
editor.save()
deadline = time.monotonic() + 10
path = os.path.join(TRACKS, "sync_show-3Atime.track")
while not os.path.exists(path) and time.monotonic() < deadline:
    time.sleep(0.1)
if not os.path.exists(path):
    fail("SAVE_TRACKS wrote nothing: " + told(demo))
if open(path, "rb").read() != struct.pack("<iifB", 1, 0, 20.0, 0):
    fail("exported bytes " + repr(open(path, "rb").read()))
if len([f for f in os.listdir(TRACKS) if f.endswith(".track")]) != len(names):
    fail("not every track was exported: " + repr(os.listdir(TRACKS)))

# The editor vanishes: the show goes on, and asks for its tracks again when
# the editor is back. Then bad bytes: dropped with a line, back again.
editor.drop()
time.sleep(1.5)
before = title_number(win, "Time")
time.sleep(1.0)
if not title_number(win, "Time") > before:
    fail("the show stood still without its editor: " + title(win))
editor.accept(timeout=10)
if len(editor.wait_for_tracks(33)) != len(names):
    fail("tracks not asked for again after reconnecting")
editor.send(bytes([9]))
editor.accept(timeout=10)
editor.wait_for_tracks(33)
if "unknown command 9; connection dropped" not in told(demo):
    fail("no line for the bad byte: " + told(demo))

# No editor at all: it plays on at its own frame rate, never one a second.
editor.close()
time.sleep(4.0)
fps = title_number(win, "Fps")
print("frame rate without an editor: %s" % fps)
if fps is None or fps < 5.0:
    fail("the frame rate fell without an editor: " + title(win))

# Escape ends it as it ends the show: the fade, then exit code 0.
run("xdotool", "key", "--window", win, "Escape")
code = ended(demo, 30)
if code != 0:
    fail("Escape: exit code %s" % code)

# --play draws the exported tracks; at 5 s (Space, Home, five times Right)
# it is what brontavik-capture --tracks draws at 5 s.
player = edit("--play", "--tracks", "sync")
win = window()
for key in ["space", "Home", "Right", "Right", "Right", "Right", "Right"]:
    run("xdotool", "key", "--window", win, key)
    time.sleep(0.2)
if title_number(win, "Time") != 5.0:
    fail("--play: keys did not stop at 5 s: " + title(win))
value = psnr(shot(win, "play5.png"), capture("tracks5.png", "--tracks", TRACKS, "--at", "5"))
print("--play at 5 s against capture --tracks at 5 s: %.1f dB" % value)
if value < 40.0:
    fail("--play and capture --tracks differ (%.1f dB)" % value)
player.terminate()
ended(player, 10)

# Damaged track files: named with the reason, exit code 1, for both.
with open(os.path.join(TRACKS, "sync_floor-3Ablue.track"), "wb") as damaged:
    damaged.write(struct.pack("<i", 3) + b"\0" * 9)
result = run(os.path.join(BIN, "brontavik-capture"), "--tracks", TRACKS, "--at", "5", "--png",
             os.path.join(WORK, "x.png"))
if result.returncode != 1 or "sync_floor-3Ablue.track: cut short" not in result.stderr:
    fail("capture with a damaged file: %d %s" % (result.returncode, result.stderr))
player = edit("--play", "--tracks", "sync")
if ended(player, 30) != 1 or "sync_floor-3Ablue.track: cut short" not in told(player):
    fail("--play with a damaged file: " + told(player))
print("edit end to end: all good")
