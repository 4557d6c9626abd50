#!/usr/bin/env python3
"""A fatal error shows its message in a box, and the box never holds the game
up: the game is started where it finds none of its data, on displays of its
own, twice over:
- with the system's X fonts, where the desktop's own box (SDL's, drawn by a
  child process of the game) opens;
- with only the X server's built-in fonts, where that box cannot open and the
  game draws its own.
Each time the box must show the message's lines, closing it must end the
game with status 1, and SIGTERM, SIGINT and SIGHUP must each end the game
with the signal's own status, take the box down and leave no process behind.
Killing the game outright (SIGKILL) takes the desktop's box down too.
Windows are found by the game's process, never by their titles."""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_helpers import (SKIP, Display, Failure, Game, game_windows, have_x_fonts, process_tree, run,  # noqa: E402
                             tools_missing, top_level_windows)


def text_bands(path):
    """Size of the picture and the runs of pixel rows that hold something
    unlike the box's background (taken at a bottom corner), top to bottom:
    the lines of text, a coloured band, a button."""
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
    background = pixels[(h - 2) * w + 2]
    rows = [any(abs(pixels[y * w + x] - background) > 100 for x in range(w)) for y in range(h)]
    bands, inside = 0, False
    for marked in rows:
        if marked and not inside:
            bands += 1
        inside = marked
    return w, h, bands


class Case:
    """One font setting: which box it must show."""

    def __init__(self, name, fonts, args, work):
        self.name, self.fonts, self.args, self.work = name, fonts, args, work
        self.exe = os.path.join(work, "snowquill")
        self.runs = 0

    def start(self):
        self.runs += 1
        display = Display(fonts=self.fonts)
        env = {"HOME": self.work, "XDG_DATA_HOME": os.path.join(self.work, "data")}
        log = os.path.join(self.args.shots, f"{self.name}-{self.runs}.log")
        return display, Game(display, [self.exe, "--windowed"], self.work, env, log)

    def wait_box(self, game, passed_over=()):
        """The box's window id. The box comes after the message on standard
        error; the game's own window (the splash) may still be there when the
        message comes and goes just after it, so the box is the window of the
        kind expected that is still there half a second later."""
        want = "desktop" if self.fonts else "own"
        end = time.time() + 60
        while "Snowquill: " not in open(game.log.name).read():
            if game.proc.poll() is not None:
                raise Failure(f"{self.name}: the game ended with status {game.proc.returncode} and no message")
            if time.time() > end:
                raise Failure(f"{self.name}: no message on standard error")
            time.sleep(0.1)
        while time.time() < end:
            if game.proc.poll() is not None:
                raise Failure(f"{self.name}: the game ended with status {game.proc.returncode} before its box")
            found = [(w, p) for w, p in game_windows(game.display.name, game.proc.pid, private_display=True)
                     if str(w) not in passed_over]
            for w, _ in reversed(found):
                if self.which_box(game, str(w)) != want:
                    continue
                time.sleep(0.5)
                if self.which_box(game, str(w)) == want:
                    return str(w)
            time.sleep(0.1)
        raise Failure(f"{self.name}: the {want} box did not appear")

    def which_box(self, game, wid):
        """'own' for the game's drawn box, 'desktop' for SDL's (a child's),
        None once the window is gone."""
        for w, pid in top_level_windows(game.display.name):
            if str(w) == wid:
                return "own" if pid == game.proc.pid else "desktop"
        return None

    def shows_message(self):
        display, game = self.start()
        try:
            wid = self.wait_box(game)
            log = open(game.log.name).read()
            if "Missing or unreadable file" not in log:
                raise Failure(f"{self.name}: unexpected message: {log!r}")
            lines = log[log.index("Snowquill: ") + len("Snowquill: "):].rstrip("\n").split("\n")
            # The game's box wraps at 72 columns and adds a hint; the
            # desktop's shows the lines as they are and an OK button.
            needed = sum(max(1, -(-len(l) // 72)) for l in lines) if not self.fonts else len(lines)
            # The box is drawn some time after its window is mapped (later
            # still on a busy machine): capture until every line is there.
            shot = os.path.join(self.args.shots, f"{self.name}-box.png")
            end = time.time() + 30
            while True:
                if run(["import", "-display", display.name, "-window", wid, shot]).returncode != 0:
                    if self.which_box(game, wid) is not None:
                        raise Failure(f"{self.name}: the box could not be captured")
                    wid = self.wait_box(game, passed_over=(wid,))
                    continue
                w, h, bands = text_bands(shot)
                if bands >= needed + 1 or time.time() > end:
                    break
                time.sleep(0.2)
            print(f"{self.name}: box {w}x{h}, {bands} bands of text; the message has {len(lines)} lines "
                  f"({needed} as the box lays them out): {shot}")
            if bands < needed + 1:
                raise Failure(f"{self.name}: the box shows {bands} bands, the message needs {needed} and one more")
            game.close_window()
            status = game.wait_exit(10)
            if status != 1:
                raise Failure(f"{self.name}: closing the box ended the game with status {status}, not 1")
        finally:
            game.stop()
            display.close()

    def ends_on(self, signo):
        display, game = self.start()
        try:
            self.wait_box(game)
            tree = process_tree(game.proc.pid)
            game.proc.send_signal(signo)
            try:
                status = game.proc.wait(10)
            except subprocess.TimeoutExpired:
                raise Failure(f"{self.name}: {signal.Signals(signo).name} left the game running 10 s later")
            if status != -signo:
                raise Failure(f"{self.name}: {signal.Signals(signo).name} ended the game with status {status}")
            end = time.time() + 10
            while time.time() < end:
                left = [p for p in tree if os.path.exists(f"/proc/{p}") and not zombie(p)]
                windows = top_level_windows(display.name)
                if not left and not windows:
                    break
                time.sleep(0.1)
            else:
                raise Failure(f"{self.name}: after {signal.Signals(signo).name} processes {left} "
                              f"and windows {windows} were left")
            print(f"{self.name}: {signal.Signals(signo).name} during the box: status {status}, "
                  f"box gone, {len(tree) - 1} box process(es) ended")
        finally:
            game.stop()
            display.close()


def zombie(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            stat = f.read()
        return stat[stat.rindex(")") + 2] == "Z"
    except (OSError, IndexError):
        return False


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--game", required=True)
    ap.add_argument("--shots", required=True)
    args = ap.parse_args()
    if tools_missing():
        print(f"SKIPPED: missing tools: {', '.join(tools_missing())}")
        return SKIP
    if not have_x_fonts():
        print("SKIPPED: no X fonts (xfonts-base), so the desktop's box cannot be shown; scripts/setup.sh installs them")
        return SKIP
    shutil.rmtree(args.shots, ignore_errors=True)
    os.makedirs(args.shots)
    work = tempfile.mkdtemp(prefix="snowquill-errorbox-")
    try:
        # The executable alone, in a folder without any of the game's data.
        shutil.copy(args.game, os.path.join(work, "snowquill"))
        for case in (Case("desktop-box", True, args, work), Case("own-box", False, args, work)):
            case.shows_message()
            for signo in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
                case.ends_on(signo)
        Case("desktop-box", True, args, work).ends_on(signal.SIGKILL)
        print("OK")
        return 0
    except Failure as e:
        print("FAIL: " + str(e), file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
