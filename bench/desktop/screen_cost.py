#!/usr/bin/env python3
"""Processor time per frame on each screen, and resident memory at the menu.

Plays the real game (full screen, the default) on the X display in DISPLAY,
whose size is the window size measured: run it under
  xvfb-run -a -s "-screen 0 1280x720x24" bench/desktop/screen_cost.py \\
      --build build [--game OLD/snowquill --game build/game/snowquill] [--seconds 5]

For each game given (compare two builds side by side in one run), it walks
the menu, the high scores, the instructions, the credits and level 1 with
key taps sent when the game's trace says the screen is there, and on each
screen counts the processor time of the whole process (the software
rasteriser's threads included) over SECONDS, divided by the frames shown in
that span (from the game's own frame record, lined up by the probe that
notes the first frame). It also reads the resident memory at the menu, and
that of the reference window (bench_ref_window) after as long.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "install"))
from desktop_helpers import game_windows, resident_mb  # noqa: E402

TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


class Game:
    def __init__(self, exe, folder, probe):
        self.trace_path = os.path.join(folder, "trace.txt")
        self.swap_path = os.path.join(folder, "first-swap.txt")
        self.stats_path = os.path.join(folder, "frames.txt")
        env = dict(os.environ, SNOWQUILL_TRACE=self.trace_path, SQ_FIRST_SWAP_FILE=self.swap_path,
                   LD_PRELOAD=probe)
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        self.proc = subprocess.Popen([exe, "--frame-stats", self.stats_path], cwd=folder, env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.seen = 0
        self.wid = None

    def lines(self):
        try:
            with open(self.trace_path) as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def wait(self, want, timeout=180):
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                sys.exit(f"the game ended early (status {self.proc.returncode}) waiting for '{want}'")
            lines = self.lines()
            while self.seen < len(lines):
                line = lines[self.seen]
                self.seen += 1
                if line == want or line.startswith(want + " "):
                    return line
            time.sleep(0.02)
        sys.exit(f"the game did not reach '{want}'")

    def tap(self, key):
        if self.wid is None:
            found = game_windows(os.environ["DISPLAY"], self.proc.pid, private_display=False)
            if not found:
                sys.exit("the game's window was not found")
            self.wid = str(found[-1][0])
        if subprocess.run(["xdotool", "getwindowfocus"], capture_output=True, text=True).stdout.strip() != self.wid:
            subprocess.run(["xdotool", "windowfocus", "--sync", self.wid], capture_output=True)
        subprocess.run(["xdotool", "key", key], capture_output=True)

    def choose(self, current, item):
        while current != item:
            self.tap("Down" if (item - current) % 6 <= 3 else "Up")  # six items: Options came before Quit
            current = int(self.wait("menu").split()[1])
        return current

    def measure(self, seconds):
        time.sleep(2.0)  # the fade in, and any zoom, are over
        a, ta = cpu_seconds(self.proc.pid), time.monotonic_ns()
        time.sleep(seconds)
        b, tb = cpu_seconds(self.proc.pid), time.monotonic_ns()
        return (a, ta, b, tb)

    def finish(self):
        self.proc.send_signal(signal.SIGTERM)
        self.proc.wait(60)
        with open(self.swap_path) as f:
            first = int(f.read().split()[0])
        moments, t = [], first
        with open(self.stats_path) as f:
            for line in f:
                if line and line[0] != "#":
                    interval = float(line.split()[1])
                    t += int(interval * 1e6)
                    moments.append(t)
        return moments


def play(exe, probe, work, index, seconds):
    folder = os.path.join(work, f"game{index}")
    shutil.copytree(os.path.dirname(exe), folder, symlinks=True)
    game = Game(os.path.join(folder, os.path.basename(exe)), folder, probe)
    spans = {}
    item = int(game.wait("menu").split()[1])
    spans["menu"] = game.measure(seconds)
    menu_mb = resident_mb(game.proc.pid)
    for name, index_ in (("highscores", 1), ("instructions", 2), ("credits", 3)):
        item = game.choose(item, index_)
        game.tap("space")
        game.wait(name)
        spans[name] = game.measure(seconds)
        game.tap("x")
        item = int(game.wait("menu").split()[1])
    item = game.choose(item, 0)
    game.tap("space")
    game.wait("level 1")
    spans["level 1"] = game.measure(seconds)
    moments = game.finish()
    costs = {}
    for name, (a, ta, b, tb) in spans.items():
        frames = sum(1 for m in moments if ta <= m < tb)
        costs[name] = (b - a) * 1000.0 / max(frames, 1), frames
    return costs, menu_mb


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default="build")
    ap.add_argument("--game", action="append", help="a game executable beside its data (repeatable)")
    ap.add_argument("--seconds", type=float, default=5.0)
    args = ap.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("no X display: run under xvfb-run")
    build = os.path.abspath(args.build)
    probe = os.path.join(build, "bench", "desktop", "libfirst_swap_probe.so")
    games = [os.path.abspath(g) for g in (args.game or [os.path.join(build, "game", "snowquill")])]
    work = tempfile.mkdtemp(prefix="sq-screens-")
    ref = subprocess.Popen([os.path.join(build, "bench", "desktop", "bench_ref_window"), "--fullscreen"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(3)
    ref_mb = resident_mb(ref.pid)
    ref.terminate()
    ref.wait()
    size = subprocess.run(["xdpyinfo"], capture_output=True, text=True).stdout
    dims = next((line.split()[1] for line in size.splitlines() if "dimensions:" in line), "?")
    print(f"screen {dims}; processor time of the whole process per frame shown, over {args.seconds:g} s a screen")
    print(f"reference window (full screen, clear and swap): resident {ref_mb:.1f} MB")
    results = []
    for i, exe in enumerate(games):
        costs, menu_mb = play(exe, probe, work, i, args.seconds)
        results.append(costs)
        level = costs["level 1"][0]
        print(f"{exe}: resident at the menu {menu_mb:.1f} MB ({menu_mb - ref_mb:+.1f} MB on the reference)")
        for name, (ms, frames) in costs.items():
            line = f"  {name:13s} {ms:6.2f} ms/frame ({frames} frames), {ms / level:.2f}x its level frame"
            if i > 0:
                line += f", {ms / results[0]['level 1'][0]:.2f}x the first game's level frame"
            print(line)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
