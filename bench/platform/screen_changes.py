#!/usr/bin/env python3
"""Frame times and memory of the real game across screen changes.

Runs the game (windowed, dummy sound driver) with --frame-stats on the X
display in DISPLAY (run it under xvfb-run), waits out the splash, then goes
back and forth between the menu, the high scores and the credits: every one of
those changes picks a new tune. Prints the resident size after the first
change (entering the menu) and after the last, the longest frame and the
frame with the most processor time, and the game's own frame summary.

  xvfb-run -a -s "-screen 0 1024x768x24" bench/platform/screen_changes.py \
      --game-dir build/game [--binary snowquill] [--changes 20]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "install"))
from desktop_helpers import game_windows, resident_mb  # noqa: E402


def run(cmd):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def window(proc):
    for _ in range(300):
        if proc.poll() is not None:
            sys.exit(f"the game ended early with status {proc.returncode}")
        # Found by the game's process, never by a title (how one is stored
        # depends on the locale).
        found = game_windows(os.environ["DISPLAY"], proc.pid, private_display=False)
        if found:
            return str(found[-1][0])
        time.sleep(0.1)
    sys.exit("the game's window did not appear")


def press(wid, *keys):
    run(["xdotool", "windowfocus", "--sync", wid])
    for key in keys:
        run(["xdotool", "keydown", key])
        time.sleep(0.15)
        run(["xdotool", "keyup", key])
        time.sleep(0.25)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--game-dir", required=True)
    ap.add_argument("--binary", default="snowquill")
    ap.add_argument("--changes", type=int, default=20)
    ap.add_argument("--settle", type=float, default=10.0, help="seconds on each screen (fades are slow on a loaded machine)")
    ap.add_argument("--keep", help="copy the frame-time report here")
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="snowquill-frames-")
    folder = os.path.join(work, "game")
    shutil.copytree(os.path.abspath(args.game_dir), folder)
    stats = os.path.join(work, "frames.txt")
    env = dict(os.environ)
    env.setdefault("SDL_AUDIODRIVER", "dummy")
    proc = subprocess.Popen([os.path.join(".", args.binary), "--windowed", "--frame-stats", stats], cwd=folder,
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    start = time.monotonic()
    wid = window(proc)
    time.sleep(16)  # the splash: two fades and six seconds
    change_times = [time.monotonic() - start]  # the menu, with its tune
    first_mb = resident_mb(proc.pid)
    sizes = [first_mb]
    # The high scores and back, down to the credits and back, up again.
    press(wid, "Down")
    selected = 1
    steps = [("space",), ("x",), ("Down", "Down", "space"), ("x",), ("Up", "Up")]
    i = 0
    while len(change_times) <= args.changes:
        keys = steps[i % len(steps)]
        i += 1
        press(wid, *keys)
        if keys[0] == "Up":
            selected = 1
            continue
        if keys[0] == "Down":
            selected = 3
        change_times.append(time.monotonic() - start)
        time.sleep(args.settle)
        sizes.append(resident_mb(proc.pid))
    last_mb = resident_mb(proc.pid)
    # From the menu to Quit (the fifth item).
    press(wid, *(["Down"] * (4 - selected)), "space")
    try:
        proc.wait(60)
    except subprocess.TimeoutExpired:
        proc.kill()
        sys.exit("the game did not end after Quit")

    frames = []
    summary = []
    with open(stats) as f:
        for line in f:
            if line.startswith("# summary"):
                summary.append(line.strip())
            elif line and line[0] != "#":
                _, interval, cpu = line.split()
                frames.append((float(interval), float(cpu)))
    # The splash holds still for six seconds without a frame; only what
    # follows the first change (the menu) is counted here.
    elapsed = 0.0
    menu = [f for f in frames if (elapsed := elapsed + f[0] / 1000.0) > change_times[0]]
    if len(menu) < 2:
        sys.exit("too few frames after the splash")
    worst = max(f[0] for f in menu)
    worst_cpu = max(f[1] for f in menu)
    over = sum(1 for f in menu if f[0] > 33.0)
    ordered = sorted(f[0] for f in menu)
    p99 = ordered[min(len(ordered) - 1, (99 * len(ordered) + 99) // 100 - 1)]
    print(f"binary {args.binary}: {len(change_times)} screen changes, {len(frames)} frames, {len(menu)} after the splash")
    print(f"resident after the first change {first_mb:.1f} MB, after the last {last_mb:.1f} MB, "
          f"growth {last_mb - first_mb:.1f} MB")
    print(f"after the splash: longest frame {worst:.1f} ms, p99 {p99:.1f} ms, over 33 ms {over}, "
          f"most processor time in one frame {worst_cpu:.1f} ms")
    print("resident after each change (MB): " + " ".join(f"{m:.1f}" for m in sizes))
    if args.keep:
        shutil.copy(stats, args.keep)
    print("the game's own summary (splash included):")
    for line in summary:
        print(line)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
