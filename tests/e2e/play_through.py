#!/usr/bin/env python3
"""Plays the real game from start to Quit with real key events.

Starts build/game/snowquill (windowed) in a fresh copy of the game folder on
an X display, goes through the splash, the menu, the high-score screen, the
instructions, the credits, a few seconds of level 1, Escape, the game-over
tally and the name entry, and quits. A screenshot is taken at every stop and
checked (not blank, changed since the last one). Afterwards HISCORES.DAT must
hold the typed name with the score reached, and the game must have exited
with status 0.

Exit status 77 (skipped) when the game or its data has not been built.
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
NAME = "TESTER"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)


class Display:
    """The X display to play on: the one we were given, or our own Xvfb."""

    def __init__(self):
        self.proc = None
        if os.environ.get("DISPLAY") and run(["xdpyinfo"]).returncode == 0:
            self.name = os.environ["DISPLAY"]
            return
        if not shutil.which("Xvfb"):
            print("SKIPPED: no X display and no Xvfb")
            sys.exit(SKIP)
        for n in range(91, 140):
            if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
                break
        self.name = f":{n}"
        self.proc = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.1)
        os.environ["DISPLAY"] = self.name

    def close(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()


class Game:
    def __init__(self, folder, shots):
        self.folder = folder
        self.shots = shots
        self.count = 0
        self.probes = 0
        self.last = None
        env = dict(os.environ)
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        self.log = open(os.path.join(shots, "game.log"), "w")
        self.proc = subprocess.Popen(["./snowquill", "--windowed"], cwd=folder, env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT)

    def window(self, timeout=30):
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                fail(f"the game ended early with status {self.proc.returncode} (see {self.log.name})")
            r = run(["xdotool", "search", "--onlyvisible", "--name", "^Snowquill$"])
            ids = r.stdout.split()
            if ids:
                return ids[-1]
            time.sleep(0.2)
        fail("the game's window did not appear")

    def keys(self, *actions):
        """Key actions on the focused game window: ("hold", key) or ("tap", key)."""
        wid = self.window()
        run(["xdotool", "windowfocus", "--sync", wid])
        for kind, key in actions:
            if kind == "hold":
                # The menu and the tallies look at keys held down: hold for
                # several frames even on a slow machine, but less than the
                # keyboard's auto-repeat delay.
                run(["xdotool", "keydown", key])
                time.sleep(0.4)
                run(["xdotool", "keyup", key])
            else:
                run(["xdotool", "key", key])
            time.sleep(0.4)

    def probe(self):
        """A screenshot of the window and its mean brightness (0..1)."""
        path = os.path.join(self.shots, f"probe{self.probes % 2}.png")
        self.probes += 1
        if run(["import", "-window", self.window(), path]).returncode != 0:
            return None, None
        out = run(["convert", path, "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"]).stdout
        try:
            return path, float(out.strip())
        except ValueError:
            return None, None

    def wait_screen(self, what, timeout=60):
        """Waits until the window shows another screen than at the last
        screenshot and its fade or zoom is over: most pixels changed, the
        screen is lit, and its brightness has stopped changing."""
        end = time.time() + timeout
        last = None
        while time.time() < end:
            path, b = self.probe()
            if path and self.last and changed_share(self.last, path) > 0.25:
                if b > 0.08 and last is not None and abs(b - last) < 0.004:
                    return
                last = b
            time.sleep(0.4)
        fail(f"{what}: the screen did not change to a steady new picture")

    def shot(self, name):
        wid = self.window()
        self.count += 1
        path = os.path.join(self.shots, f"{self.count:02d}-{name}.png")
        r = run(["import", "-window", wid, path])
        if r.returncode != 0:
            fail(f"{name}: screenshot failed: {r.stderr.strip()}")
        colours = int(run(["identify", "-format", "%k", path]).stdout.strip() or 0)
        if colours < 8:
            fail(f"{name}: the screen looks blank ({colours} colours), see {path}")
        if self.last:
            size = lambda p: run(["identify", "-format", "%wx%h", p]).stdout.strip()
            if size(self.last) == size(path):
                r = run(["compare", "-metric", "AE", self.last, path, "null:"])
                diff = float((r.stderr.strip().split() or ["0"])[0])
                if diff < 1000:
                    fail(f"{name}: the screen did not change since {os.path.basename(self.last)} ({diff:.0f} px)")
        print(f"  {name}: {colours} colours, {path}")
        self.last = path

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            fail("the game did not end after Quit")


def changed_share(a, b):
    """The share of pixels that differ clearly between two screenshots (falling
    snow alone changes only a few)."""
    size = lambda p: run(["identify", "-format", "%w %h", p]).stdout.split()
    wa, wb = size(a), size(b)
    if wa != wb or len(wa) != 2:
        return 1.0
    r = run(["compare", "-metric", "AE", "-fuzz", "20%", a, b, "null:"])
    try:
        return float(r.stderr.split()[0]) / (int(wa[0]) * int(wa[1]))
    except (ValueError, IndexError):
        return 1.0


def read_table(path):
    data = open(path, "rb").read()
    if len(data) != 640:
        fail(f"HISCORES.DAT holds {len(data)} bytes, not 640")
    rows = []
    for i in range(20):
        score, level, gifts, time_used, reserved = struct.unpack_from("<5i", data, i * 32)
        rows.append((score, level, gifts, time_used, reserved, data[i * 32 + 20:i * 32 + 32]))
    return rows


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--game-dir", required=True)
    ap.add_argument("--shots", required=True)
    args = ap.parse_args()

    game_dir = os.path.abspath(args.game_dir)
    needed = ["snowquill", "gfx/splash.png", "gfx/MenuBack.png", "sfx/info.ogg", "musica/MenuMusic.ogg",
              "maps/level_1.FMP"]
    missing = [n for n in needed if not os.path.exists(os.path.join(game_dir, n))]
    if missing:
        print(f"SKIPPED: {game_dir} lacks {', '.join(missing)} (build the game and its data first)")
        return SKIP
    for tool in ("xdotool", "import", "compare", "identify"):
        if not shutil.which(tool):
            print(f"SKIPPED: {tool} is not installed")
            return SKIP

    shutil.rmtree(args.shots, ignore_errors=True)
    os.makedirs(args.shots)
    work = tempfile.mkdtemp(prefix="snowquill-e2e-")
    folder = os.path.join(work, "game")
    shutil.copytree(game_dir, folder)
    table = os.path.join(folder, "HISCORES.DAT")
    if os.path.exists(table):
        os.remove(table)

    display = Display()
    try:
        game = Game(folder, args.shots)
        print("splash")
        game.window()
        time.sleep(3)
        game.shot("splash")
        game.wait_screen("menu", timeout=90)  # two fades and six seconds, whatever is pressed
        game.shot("menu")
        if not os.path.exists(table):
            fail("HISCORES.DAT was not created at start-up")

        # Each menu item: down to it, Space, look, any key, and back.
        for item in ("high-scores", "instructions", "credits"):
            print(item)
            game.keys(("hold", "Down"), ("hold", "space"))
            game.wait_screen(item)
            game.shot(item)
            game.keys(("tap", "x"))
            game.wait_screen("menu after " + item)
            game.shot("menu-after-" + item)

        print("a game of level 1")
        game.keys(("hold", "Up"), ("hold", "Up"), ("hold", "Up"), ("hold", "space"))
        game.wait_screen("level 1")
        game.shot("level-1")
        run(["xdotool", "keydown", "Right"])
        time.sleep(1.5)
        run(["xdotool", "keyup", "Right"])
        time.sleep(1)
        game.shot("level-1-later")
        game.keys(("hold", "Escape"))
        game.wait_screen("game over")  # the picture zooms in for about three seconds
        time.sleep(1)
        game.shot("game-over-tally")
        game.keys(("hold", "space"))
        time.sleep(1.5)
        game.shot("name-entry")
        game.keys(*[("tap", c.lower()) for c in NAME])
        time.sleep(1)
        game.shot("name-typed")
        game.keys(("hold", "Return"))
        game.wait_screen("menu after the game")
        game.shot("menu-after-game")

        print("quit")
        game.keys(("hold", "Up"), ("hold", "space"))
        status = game.wait_exit(60)
        if status != 0:
            fail(f"the game exited with status {status} (see {game.log.name})")

        rows = read_table(table)
        name = (NAME + " " * 12)[:12].encode()
        mine = [r for r in rows if r[5] == name]
        if len(mine) != 1:
            fail(f"HISCORES.DAT does not hold the name {NAME!r} padded to 12: {[r[5] for r in rows]}")
        score, level, gifts, time_used, reserved, _ = mine[0]
        # No gift was thrown, so no monster was killed: the score is the
        # carried gifts and the seconds left on level 1's 180-second clock.
        expected = gifts * 250 + (180 - time_used) * 10
        if level != 1 or score != expected or score <= 0 or not 0 < time_used < 180:
            fail(f"the stored entry does not match the game: {mine[0]} (expected score {expected})")
        scores = [r[0] for r in rows]
        if scores != sorted(scores, reverse=True):
            fail(f"HISCORES.DAT is not highest first: {scores}")
        print(f"OK: {NAME} scored {score} ({gifts} gifts, {time_used} s used); exit status 0")
        return 0
    finally:
        try:
            if game.proc.poll() is None:
                game.proc.kill()
        except NameError:
            pass
        display.close()
        shutil.rmtree(work, ignore_errors=True)
        for n in (0, 1):
            probe = os.path.join(args.shots, f"probe{n}.png")
            if os.path.exists(probe):
                os.remove(probe)


if __name__ == "__main__":
    sys.exit(main())
