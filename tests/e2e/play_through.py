#!/usr/bin/env python3
"""Plays the real game from start to Quit with real key events.

Starts build/game/snowquill (windowed) in a fresh copy of the game folder on
an X display, goes through the splash, the menu, the high-score screen, the
instructions, the credits, a few seconds of level 1, Escape, the game-over
tally and the name entry, and quits. A screenshot is taken at every stop and
checked (not blank, changed since the last one). Afterwards HISCORES.DAT must
hold the typed name with the score reached, and the game must have exited
with status 0.

Nothing here runs on a timetable. The game writes a line to its trace file
(SNOWQUILL_TRACE) for every screen it enters and every menu move or letter
it takes. Each key is a tap sent once the trace says the screen it is meant
for is there, and the next key waits until the trace shows the game acted on
it. A slow or busy machine only makes the run longer.

Exit status 77 (skipped, which the test run reports as a failure unless it
was expected) when the game or its data has not been built.
"""
import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "install"))
from desktop_helpers import forget_display, game_windows, unmet_needs, xvfb_font_args  # noqa: E402

SKIP = 77
NAME = "TESTER"
# The title's demos would start whenever a slow step leaves the menu alone
# for half a minute; tests/e2e/attract.py plays them.
NO_DEMOS = ["--demo-idle", "0"]
# The title menu: Start, High scores, Instructions, Credits, Options, Quit.
MENU_ITEMS = 6
MENU_OPTIONS = 4
MENU_QUIT = 5


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
        self.proc = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                      *xvfb_font_args()],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.1)
        os.environ["DISPLAY"] = self.name

    def close(self):
        forget_display(self.name)
        if self.proc:
            self.proc.terminate()
            self.proc.wait()


class Game:
    def __init__(self, folder, shots, binary, extra_env, args=()):
        self.folder = folder
        self.shots = shots
        self.count = 0
        self.probes = 0
        self.last = None
        self.trace_path = os.path.join(shots, "trace.txt")
        self.trace_seen = 0
        env = dict(os.environ)
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        env["SNOWQUILL_TRACE"] = self.trace_path
        env.update(extra_env)
        self.log = open(os.path.join(shots, "game.log"), "w")
        self.proc = subprocess.Popen([binary, "--windowed", *args], cwd=folder, env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT)

    def trace(self):
        try:
            with open(self.trace_path) as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def wait_trace(self, want, timeout=180, tap=None):
        """Waits for the first new trace line that starts with `want` and
        returns it; lines before it are passed over. With `tap`, that key is
        pressed and released first: the game counts a tap even when it comes
        and goes between two of its frames, and a key held on would count
        again through the keyboard's auto-repeat once a screen clears the keys."""
        if tap:
            self.tap(tap)
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                fail(f"the game ended early with status {self.proc.returncode} while waiting for "
                     f"'{want}' (see {self.log.name} and {self.trace_path})")
            lines = self.trace()
            while self.trace_seen < len(lines):
                line = lines[self.trace_seen]
                self.trace_seen += 1
                if line == want or line.startswith(want + " "):
                    return line
            time.sleep(0.05)
        fail(f"the game did not reach '{want}' within {timeout} s; its trace ends with {self.trace()[-3:]}")

    def focus(self):
        """Gives the game's window the keyboard, only when it lacks it: every
        focus change clears the game's key tables (and losing the focus pauses
        a level), so a needless one could swallow the tap that follows."""
        wid = self.window()
        if run(["xdotool", "getwindowfocus"]).stdout.strip() != wid:
            run(["xdotool", "windowfocus", "--sync", wid])

    def menu_choose(self, item):
        """Moves the menu's selection to `item` (0 start ... 4 options, 5
        quit), one tap at a time, each waited for until the game has moved."""
        current = self.menu_item
        while current != item:
            line = self.wait_trace("menu", tap="Down" if (item - current) % MENU_ITEMS <= MENU_ITEMS // 2 else "Up")
            current = int(line.split()[1])
        self.menu_item = current

    def tap(self, key):
        self.focus()
        run(["xdotool", "key", key])

    def window(self, timeout=30):
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                fail(f"the game ended early with status {self.proc.returncode} (see {self.log.name})")
            # Found by the game's process: another test's windows may share
            # the display.
            found = game_windows(os.environ["DISPLAY"], self.proc.pid, private_display=False)
            if found:
                return str(found[-1][0])
            time.sleep(0.2)
        fail("the game's window did not appear")

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

    def settle(self, what, timeout=120):
        """Waits until the window shows a new lit picture (changed since the
        last screenshot) whose brightness has stopped changing: the screen
        the trace announced has been drawn, and its fade or zoom is over."""
        end = time.time() + timeout
        last = None
        while time.time() < end:
            path, b = self.probe()
            new = path is not None and (self.last is None or differing_pixels(self.last, path) >= 1000)
            if new and b is not None and b > 0.08 and last is not None and abs(b - last) < 0.004:
                return
            last = b if new else None
            time.sleep(0.3)
        fail(f"{what}: the screen did not settle to a steady new lit picture")

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
            diff = differing_pixels(self.last, path)
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


def differing_pixels(a, b):
    """How many pixels differ between two screenshots (any size change counts
    as every pixel)."""
    size = lambda p: run(["identify", "-format", "%wx%h", p]).stdout.strip()
    if size(a) != size(b):
        return float("inf")
    r = run(["compare", "-metric", "AE", a, b, "null:"])
    try:
        return float((r.stderr.strip().split() or ["0"])[0])
    except ValueError:
        return float("inf")


def read_table(path):
    data = open(path, "rb").read()
    if len(data) != 640:
        fail(f"HISCORES.DAT holds {len(data)} bytes, not 640")
    rows = []
    for i in range(20):
        score, level, gifts, time_used, reserved = struct.unpack_from("<5i", data, i * 32)
        rows.append((score, level, gifts, time_used, reserved, data[i * 32 + 20:i * 32 + 32]))
    return rows


def fresh_copy(game_dir, shots, prefix, stale=("HISCORES.DAT",)):
    """Empties the shots folder and copies the game's folder into a new
    temporary one without the files named in `stale` (a table or settings
    the developer's own play left there). Returns (work, folder): the
    temporary folder, to remove at the end, and the game's copy in it."""
    shutil.rmtree(shots, ignore_errors=True)
    os.makedirs(shots)
    work = tempfile.mkdtemp(prefix=prefix)
    folder = os.path.join(work, "game")
    shutil.copytree(game_dir, folder)
    for name in stale:
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    return work, folder


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--game-dir", required=True)
    ap.add_argument("--shots", required=True)
    ap.add_argument("--binary", help="the game to run (default: snowquill in the game folder)")
    ap.add_argument("--env", action="append", default=[], metavar="NAME=VALUE",
                    help="set this in the game's environment (sanitizer options, say)")
    args = ap.parse_args()

    game_dir = os.path.abspath(args.game_dir)
    extra_env = dict(e.split("=", 1) for e in args.env)
    needed = ([] if args.binary else ["snowquill"]) + ["gfx/splash.png", "gfx/MenuBack.png", "sfx/info.ogg", "musica/MenuMusic.ogg",
              "maps/level_1.FMP"]
    why = unmet_needs(game_dir, needed, "build the game and its data first")
    if why:
        print(f"SKIPPED: {why}")
        return SKIP

    work, folder = fresh_copy(game_dir, args.shots, "snowquill-e2e-")
    binary = os.path.abspath(args.binary) if args.binary else os.path.join(folder, "snowquill")
    table = os.path.join(folder, "HISCORES.DAT")

    display = Display()
    try:
        game = Game(folder, args.shots, binary, extra_env, NO_DEMOS)
        print("splash")
        game.window()
        game.settle("splash")
        game.shot("splash")
        line = game.wait_trace("menu", timeout=180)  # two fades and six seconds, whatever is pressed
        game.menu_item = int(line.split()[1])
        game.settle("menu")
        game.shot("menu")
        if not os.path.exists(table):
            fail("HISCORES.DAT was not created at start-up")

        # Each menu item: move to it, choose it, look, any key, and back.
        for item, index in (("highscores", 1), ("instructions", 2), ("credits", 3)):
            print(item)
            game.menu_choose(index)
            game.wait_trace(item, tap="space")
            game.settle(item)
            game.shot(item)
            game.tap("x")
            game.wait_trace("menu")
            game.settle("menu after " + item)
            game.shot("menu-after-" + item)

        print("a game of level 1")
        game.menu_choose(0)
        game.wait_trace("level 1", tap="space")
        game.settle("level 1")
        game.shot("level-1")
        game.focus()
        run(["xdotool", "keydown", "Right"])
        time.sleep(1.5)
        run(["xdotool", "keyup", "Right"])
        game.shot("level-1-later")
        game.wait_trace("tally", tap="Escape")
        game.settle("game over")  # the picture zooms in for about three seconds
        game.shot("game-over-tally")
        game.wait_trace("name-entry", tap="space")
        game.settle("name entry")
        game.shot("name-entry")
        for i, c in enumerate(NAME):
            game.tap(c.lower())
            game.wait_trace("name " + NAME[:i + 1])
        game.shot("name-typed")
        line = game.wait_trace("menu", tap="Return")
        game.menu_item = int(line.split()[1])
        game.settle("menu after the game")
        game.shot("menu-after-game")

        print("quit")
        game.menu_choose(MENU_QUIT)
        game.wait_trace("quit", tap="space")
        status = game.wait_exit(120)
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
        # The game is kept beside the table, as the last and (the first) best
        # one, and replays to the same end with the game that played it.
        for kept in ("last.sqr", "best.sqr"):
            path = os.path.join(folder, kept)
            if not os.path.exists(path):
                fail(f"{kept} was not kept beside HISCORES.DAT")
        last = os.path.join(folder, "last.sqr")
        if open(last, "rb").read() != open(os.path.join(folder, "best.sqr"), "rb").read():
            fail("best.sqr is not the only game played")
        replay = run([binary, "--replay", last, "--headless"], cwd=folder)
        if replay.returncode != 0 or "the replay matches its recording" not in replay.stdout:
            fail(f"last.sqr does not replay (status {replay.returncode}): {replay.stdout}{replay.stderr}")
        if f"score {score}\n" not in open(last, "rb").read(4096).decode("latin-1"):
            fail("last.sqr does not say the score reached")
        print(f"last.sqr: {os.path.getsize(last)} bytes; " + replay.stdout.strip().splitlines()[-2])

        print("a game ended by a signal in the middle of level 1")
        best = open(os.path.join(folder, "best.sqr"), "rb").read()
        os.remove(game.trace_path)
        game = Game(folder, args.shots, binary, extra_env, NO_DEMOS)
        line = game.wait_trace("menu", timeout=180)
        game.menu_item = int(line.split()[1])
        game.menu_choose(0)
        game.wait_trace("level 1", tap="space")
        game.focus()
        run(["xdotool", "keydown", "Right"])
        time.sleep(1.5)
        run(["xdotool", "keyup", "Right"])
        game.proc.send_signal(signal.SIGTERM)
        game.wait_exit(120)
        if open(os.path.join(folder, "best.sqr"), "rb").read() != best:
            fail("a game ended by a signal replaced best.sqr")
        cut = run([binary, "--replay", last, "--headless"], cwd=folder)
        if cut.returncode != 4 or "is truncated" not in cut.stderr or "state=6 level=1" not in cut.stdout:
            fail(f"the abandoned game's last.sqr does not replay to where it stopped "
                 f"(status {cut.returncode}): {cut.stdout}{cut.stderr}")
        print("abandoned last.sqr: " + cut.stdout.strip().splitlines()[-1])
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
