#!/usr/bin/env python3
"""The options screen in the real game, with real key events on an X display.

Starts the game in a fresh copy of its folder, opens Options from the menu,
and on the keys page binds Jump to W, then binds Throw to the Left arrow,
which Left already has: the two swap. Back at the menu it starts a game and
holds W until the trace says the player jumped, gives up with Escape and
returns to the menu. Then it resets the keys to the defaults (the screen
asks once) and quits. The settings file must hold each step's keys when it
is read between them, and nothing but the settings and the table may have
been written beside the table.

Every key waits for the trace line of the screen it is meant for, as in
play_through.py. Exit status 77 (skipped) when the game or its data has not
been built, or the X tools are missing.
"""
import argparse
import os
import shutil
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from play_through import (  # noqa: E402
    MENU_OPTIONS, NO_DEMOS, SKIP, Display, Game, fail, fresh_copy, run, unmet_needs)

# The main page's line of "Keys and buttons", and the keys page's lines.
CONTROLS_LINE = 7
JUMP, THROW, RESET = 2, 3, 6


def settings(folder):
    path = os.path.join(folder, "settings.ini")
    if not os.path.exists(path):
        fail("the settings file was not written")
    lines = {}
    for line in open(path).read().splitlines():
        if "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            lines[key.strip()] = value.strip()
    return lines


def expect(folder, **wanted):
    got = settings(folder)
    for key, value in wanted.items():
        if got.get(key) != value:
            fail(f"settings.ini has {key} = {got.get(key)!r}, not {value!r}")


class Options:
    """Moves about the options screen, each tap waited for in the trace."""

    def __init__(self, game):
        self.game = game
        self.page, self.line = "main", 0

    def open(self):
        self.game.menu_choose(MENU_OPTIONS)
        self.game.wait_trace("options main 0", tap="Return")
        self.page, self.line = "main", 0

    def go(self, line, count):
        while self.line != line:
            down = (line - self.line) % count <= count // 2
            self.line = (self.line + (1 if down else -1)) % count
            self.game.wait_trace(f"options {self.page} {self.line}", tap="Down" if down else "Up")

    def open_keys(self):
        self.go(CONTROLS_LINE, 9)
        self.game.wait_trace("options controls 0", tap="Return")
        self.page, self.line = "controls", 0

    def bind(self, line, action, key, name):
        self.go(line, 8)
        self.game.wait_trace(f"options-press {action}", tap="Return")
        self.game.wait_trace(f"options-bound {action} {name}", tap=key)

    def leave(self):
        if self.page == "controls":
            self.game.wait_trace("options main", tap="Escape")
        line = self.game.wait_trace("menu", tap="Escape")
        self.game.menu_item = int(line.split()[1])


def after_tally(game, timeout=120):
    """Waits for the name entry or the menu, whichever the game goes to, and
    leaves that line to be read again."""
    end = time.time() + timeout
    while time.time() < end:
        for line in game.trace()[game.trace_seen:]:
            if line == "name-entry" or line.startswith("menu "):
                return line.split()[0]
        time.sleep(0.05)
    fail("neither the name entry nor the menu came after the tally")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--game-dir", required=True)
    ap.add_argument("--shots", required=True)
    args = ap.parse_args()
    game_dir = os.path.abspath(args.game_dir)
    why = unmet_needs(game_dir, ["snowquill", "gfx/options.png", "maps/level_1.FMP"], "build the game and its data first")
    if why:
        print(f"SKIPPED: {why}")
        return SKIP

    work, folder = fresh_copy(game_dir, args.shots, "snowquill-options-", ("HISCORES.DAT", "settings.ini"))
    before = set(os.listdir(folder))

    display = Display()
    game = Game(folder, args.shots, os.path.join(folder, "snowquill"), {}, NO_DEMOS)
    try:
        line = game.wait_trace("menu", timeout=180)
        game.menu_item = int(line.split()[1])
        if os.path.exists(os.path.join(folder, "settings.ini")):
            fail("the settings file was written before anything was changed")

        print("bind Jump to W, then Throw to Left (a swap with Left)")
        options = Options(game)
        options.open()
        options.open_keys()
        options.bind(JUMP, "jump", "w", "W")
        options.bind(THROW, "throw", "Left", "Left")
        game.settle("keys page")
        game.shot("keys")
        options.leave()
        expect(folder, key_jump="W", key_throw="Left", key_left="Left Ctrl")

        print("a game: W jumps")
        game.menu_choose(0)
        game.wait_trace("level 1", tap="space")
        game.focus()
        run(["xdotool", "keydown", "w"])
        try:
            game.wait_trace("jump", timeout=60)
        finally:
            run(["xdotool", "keyup", "w"])
        game.wait_trace("tally", tap="Escape")
        game.tap("space")
        # The time left on the clock may make a record: a name first.
        if after_tally(game) == "name-entry":
            game.wait_trace("name-entry")
            game.wait_trace("name X", tap="x")
            line = game.wait_trace("menu", tap="Return")
        else:
            line = game.wait_trace("menu", timeout=120)
        game.menu_item = int(line.split()[1])

        print("reset to defaults, asked once")
        options.open()
        options.open_keys()
        options.go(RESET, 8)
        game.wait_trace("options-reset ask", tap="Return")
        game.wait_trace("options-reset done", tap="Return")
        options.leave()
        expect(folder, key_jump="Up", key_throw="Left Ctrl", key_left="Left")

        print("music a step down, then a close with the options screen open: the change is kept")
        options.open()
        game.wait_trace("option Music volume 90%", tap="Left")
        game.proc.send_signal(signal.SIGTERM)
        # Shut down cleanly, the game ends the way a signal ends a program.
        status = game.wait_exit(120)
        if status != -signal.SIGTERM:
            fail(f"the game exited with status {status}, not by its signal")
        expect(folder, music_volume="90", key_jump="Up")
    finally:
        if game.proc.poll() is None:
            game.proc.kill()
        display.close()
    written = set(os.listdir(folder)) - before
    extra = written - {"HISCORES.DAT", "settings.ini", "last.sqr", "best.sqr"}
    if extra:
        fail(f"unexpected files beside the table: {sorted(extra)}")
    shutil.rmtree(work, ignore_errors=True)
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
