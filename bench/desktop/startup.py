#!/usr/bin/env python3
"""Start-up time: from exec to the end of the first frame shown.

Starts the reference window and the game (or several builds of it) in turn,
RUNS times each, on the X display in DISPLAY (run it under xvfb-run). Each
program is timed the same way: the clock is read just before it is started,
and a probe preloaded into it notes the moment its first SDL_GL_SwapWindow
has returned. The program is then ended with SIGTERM. Prints the median (and
range) of each and its ratio to the reference's median.

  xvfb-run -a -s "-screen 0 1280x720x24" bench/desktop/startup.py \\
      --build build [--game build/game/snowquill ...] [--runs 9] [--fullscreen]

Every game is run in its own copy of the game folder, so the player's table
is never touched.
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def first_frame_ms(cmd, cwd, probe, extra_env):
    note = tempfile.NamedTemporaryFile(prefix="sq-first-swap-", delete=False)
    note.close()
    os.unlink(note.name)
    env = dict(os.environ, SQ_FIRST_SWAP_FILE=note.name, LD_PRELOAD=probe, **extra_env)
    start = time.monotonic_ns()
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = None
    deadline = time.monotonic() + 60
    while shown is None and time.monotonic() < deadline:
        if os.path.exists(note.name):
            with open(note.name) as f:
                text = f.read().strip()
            if text:
                shown = int(text.splitlines()[0])
                break
        if proc.poll() is not None:
            break
        time.sleep(0.0005)
    proc.send_signal(signal.SIGTERM)
    try:
        proc.wait(30)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
    if os.path.exists(note.name):
        os.unlink(note.name)
    if shown is None:
        sys.exit(f"{cmd[0]} showed no frame (status {proc.returncode})")
    return (shown - start) / 1e6


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default="build", help="the build folder (the reference and the probe)")
    ap.add_argument("--game", action="append", help="a game executable beside its data (repeatable)")
    ap.add_argument("--runs", type=int, default=9)
    ap.add_argument("--fullscreen", action="store_true", help="both full screen (the game's default)")
    args = ap.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("no X display: run under xvfb-run")
    build = os.path.abspath(args.build)
    probe = os.path.join(build, "bench", "desktop", "libfirst_swap_probe.so")
    reference = os.path.join(build, "bench", "desktop", "bench_ref_window")
    games = [os.path.abspath(g) for g in (args.game or [os.path.join(build, "game", "snowquill")])]
    work = tempfile.mkdtemp(prefix="sq-startup-")
    programs = [("reference", [reference] + (["--fullscreen"] if args.fullscreen else []), work)]
    for i, game in enumerate(games):
        folder = os.path.join(work, f"game{i}")
        shutil.copytree(os.path.dirname(game), folder, symlinks=True)
        exe = os.path.join(folder, os.path.basename(game))
        programs.append((game, [exe, "--fullscreen" if args.fullscreen else "--windowed"], folder))
    times = {name: [] for name, _, _ in programs}
    # A warm-up of each (the first start reads the libraries from disk), then
    # the runs in turn, so a busy moment of the machine falls on all alike.
    for name, cmd, cwd in programs:
        first_frame_ms(cmd, cwd, probe, {"SDL_AUDIODRIVER": os.environ.get("SDL_AUDIODRIVER", "dummy")})
    for _ in range(args.runs):
        for name, cmd, cwd in programs:
            times[name].append(
                first_frame_ms(cmd, cwd, probe, {"SDL_AUDIODRIVER": os.environ.get("SDL_AUDIODRIVER", "dummy")}))
    shutil.rmtree(work, ignore_errors=True)
    ref = statistics.median(times["reference"])
    print(f"exec to the end of the first frame shown, median of {args.runs} (range):")
    for name, _, _ in programs:
        t = times[name]
        med = statistics.median(t)
        print(f"  {name}: {med:.0f} ms ({min(t):.0f}-{max(t):.0f}), {med / ref:.2f}x the reference")


if __name__ == "__main__":
    main()
