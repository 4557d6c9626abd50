#!/usr/bin/env python3
"""A fatal error shows its message in a box on a bare X display (no window
manager, no X fonts): the game is started where it finds none of its data,
the box must appear with the message's lines in it, and closing it ends the
game with status 1."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_helpers import SKIP, Display, Failure, Game, run, tools_missing  # noqa: E402


def dark_bands(path):
    """The runs of pixel rows holding dark (text) pixels, top to bottom."""
    data = subprocess.run(["convert", path, "-colorspace", "Gray", "-depth", "8", "pgm:-"],
                          stdout=subprocess.PIPE, check=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:  # P5 width height maxval
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    w, h = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:]
    rows = [any(pixels[y * w + x] < 50 for x in range(w)) for y in range(h)]
    bands, inside = 0, False
    for dark in rows:
        if dark and not inside:
            bands += 1
        inside = dark
    return w, h, bands


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--game", required=True)
    ap.add_argument("--shots", required=True)
    args = ap.parse_args()
    if tools_missing():
        print(f"SKIPPED: missing tools: {', '.join(tools_missing())}")
        return SKIP
    shutil.rmtree(args.shots, ignore_errors=True)
    os.makedirs(args.shots)
    work = tempfile.mkdtemp(prefix="snowquill-errorbox-")
    display = Display()
    game = None
    try:
        # The executable alone, in a folder without any of the game's data.
        exe = os.path.join(work, "snowquill")
        shutil.copy(args.game, exe)
        env = {"HOME": work, "XDG_DATA_HOME": os.path.join(work, "data")}
        env_clean = dict(env)
        game = Game(display, [exe, "--windowed"], work, env_clean, os.path.join(args.shots, "game.log"))
        wid = game.window(timeout=60, name="^Snowquill$")
        time.sleep(0.5)
        shot = os.path.join(args.shots, "error-box.png")
        if run(["import", "-display", display.name, "-window", wid, shot]).returncode != 0:
            raise Failure("the box could not be captured")
        w, h, bands = dark_bands(shot)
        # The message as the game printed it: its lines, wrapped as the box
        # wraps them, plus the closing hint.
        log = open(game.log.name).read()
        printed = [l for l in log.splitlines() if l.startswith("Snowquill: ")]
        if not printed:
            raise Failure(f"no message on standard error: {log!r}")
        message_lines = log[log.index("Snowquill: ") + len("Snowquill: "):].rstrip("\n").split("\n")
        wrapped = sum(max(1, -(-len(l) // 72)) for l in message_lines)
        print(f"box {w}x{h}, {bands} lines of text; the message has {len(message_lines)} lines "
              f"({wrapped} once wrapped): {shot}")
        if "Missing or unreadable file" not in log:
            raise Failure(f"unexpected message: {log!r}")
        if bands < wrapped + 1:
            raise Failure(f"the box shows {bands} lines of text, the message needs {wrapped} and the hint one")
        game.close_window()
        status = game.wait_exit(10)
        if status != 1:
            raise Failure(f"exit status {status}, not 1")
        print("OK")
        return 0
    except Failure as e:
        print("FAIL: " + str(e), file=sys.stderr)
        return 1
    finally:
        if game:
            game.stop()
        display.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
