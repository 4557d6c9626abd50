#!/usr/bin/env python3
"""The title's demos in the real game, with real key events on an X display.

Starts the game with a three-second idle time in a fresh copy of its folder,
waits on the menu until the trace says the first demo has started (level 1),
looks at it (a level, not the menu), presses Space, and checks that the menu
came back without starting a game; the next idle spell plays the next demo
(level 2), which a click ends; then Quit. The high-score table must be byte
for byte what it was, and nothing else may have been written beside it.

Exit status 77 (skipped) when the game, its data or its demos have not been
built, or the X tools are missing.
"""
import argparse
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from play_through import (  # noqa: E402
    MENU_QUIT, SKIP, Display, Game, differing_pixels, fail, fresh_copy, run, unmet_needs)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--game-dir", required=True)
    ap.add_argument("--shots", required=True)
    args = ap.parse_args()
    game_dir = os.path.abspath(args.game_dir)
    needed = ["snowquill", "gfx/MenuBack.png", "maps/level_1.FMP", "demos/level_1.sqr", "demos/level_2.sqr"]
    why = unmet_needs(game_dir, needed, "build the game, its data and its demos first")
    if why:
        print(f"SKIPPED: {why}")
        return SKIP

    work, folder = fresh_copy(game_dir, args.shots, "snowquill-attract-")
    table = os.path.join(folder, "HISCORES.DAT")
    display = Display()
    game = None
    try:
        game = Game(folder, args.shots, os.path.join(folder, "snowquill"), {}, args=["--demo-idle", "3"])
        line = game.wait_trace("menu", timeout=180)
        game.menu_item = int(line.split()[1])
        before = open(table, "rb").read()
        files_before = sorted(os.listdir(folder))

        print("the first demo")
        game.wait_trace("demo 1", timeout=60)
        game.settle("demo of level 1")
        game.shot("demo-1")
        line = game.wait_trace("menu", tap="space")
        if int(line.split()[1]) != game.menu_item:
            fail(f"the key that ended the demo moved the menu: {line}")
        game.settle("menu after the demo")
        game.shot("menu-after-demo")

        print("the next demo, ended by a click")
        game.wait_trace("demo 2", timeout=60)
        game.settle("demo of level 2")
        game.shot("demo-2")
        run(["xdotool", "click", "--window", game.window(), "1"])
        game.wait_trace("menu")

        print("quit")
        game.menu_choose(MENU_QUIT)
        game.wait_trace("quit", tap="space")
        status = game.wait_exit(120)
        if status != 0:
            fail(f"the game exited with status {status} (see {game.log.name})")
        trace = game.trace()
        if any(t.startswith("level") for t in trace):
            fail(f"a game was started: {trace}")
        if open(table, "rb").read() != before:
            fail("HISCORES.DAT changed while the demos played")
        if sorted(os.listdir(folder)) != files_before:
            fail(f"files appeared beside the data: {sorted(set(os.listdir(folder)) - set(files_before))}")
        log = open(game.log.name).read()
        if "skipping the demo" in log:
            fail(f"a shipped demo was skipped: {log}")
        print("OK: two demos played in turn, each ended at once by a key or a click; the table is untouched")
        return 0
    finally:
        if game and game.proc.poll() is None:
            game.proc.kill()
        display.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
