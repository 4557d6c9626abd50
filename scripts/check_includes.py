#!/usr/bin/env python3
"""Checks that the game's includes point down its floors and never in a circle.

Every folder of src/ is one floor. LAYERS below says which folders each one
may include from; a file may always include from its own folder. The lowest
floor, platform/, is split into rooms (ROOMS below), which use each other
only as that table allows. Within and
across folders, a file's header and source count as one unit, and no chain of
includes may come back to where it started.

Usage: check_includes.py [SRC_DIR]    (default: the src/ beside this script)
Exit status 0 when the includes hold, 1 with one line per fault otherwise.
"""
import os
import re
import sys

# folder: the folders below it that it may include from
LAYERS = {
    "platform": [],
    "core": ["platform"],
    "map": ["core", "platform"],
    "sprite": ["core", "platform"],
    "audio": ["core", "platform"],
    "game": ["map", "sprite", "audio", "core", "platform"],
    "scores": ["game", "map", "sprite", "audio", "core", "platform"],
    "screens": ["scores", "game", "map", "sprite", "audio", "core", "platform"],
    "app": ["screens", "scores", "game", "map", "sprite", "audio", "core", "platform"],
}

# The platform floor is split into rooms, one per concern. Each room may use
# system/ (the clock, signals, errors, the browser glue and small helpers) and
# files/; any other room only where this table gives the reason. Every floor
# above may use the whole platform.
ROOMS = {
    "platform/system": {
        "platform/replay": "the clock and the random generator record what they return in the input journal",
        "platform/video": "the error box starts the video as the window does and draws its text with the game's built-in font",
    },
    "platform/files": {},
    "platform/replay": {},
    "platform/input": {
        "platform/replay": "keys and pad buttons are recorded in and replayed from the input journal",
    },
    "platform/audio": {
        "platform/replay": "what the sound channels answer is recorded in the input journal",
    },
    "platform/video": {
        "platform/input": "the window delivers keys and pad events to the input tables as it pumps them",
    },
}
ROOM_BASICS = ["platform/system", "platform/files"]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def units(src):
    """Maps each unit ("game/player") to the includes of its .h and .cpp."""
    found = {}
    for folder, _, files in os.walk(src):
        for name in files:
            stem, ext = os.path.splitext(name)
            if ext not in (".h", ".cpp"):
                continue
            path = os.path.join(folder, name)
            unit = os.path.relpath(os.path.join(folder, stem), src).replace(os.sep, "/")
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if m:
                        target = os.path.splitext(m.group(1))[0]
                        found.setdefault(unit, []).append((target, path, number))
            found.setdefault(unit, [])
    return found


def room_of(unit):
    """"platform/video" for "platform/video/graphics"; None outside the platform."""
    parts = unit.split("/")
    return "/".join(parts[:2]) if parts[0] == "platform" and len(parts) > 2 else (
        "platform/" if parts[0] == "platform" else None)


def check(src):
    faults = []
    graph = units(src)
    for unit, includes in sorted(graph.items()):
        folder = unit.split("/")[0]
        if folder not in LAYERS:
            faults.append(f"{unit}: the folder {folder}/ has no place in the layers; add it to LAYERS")
            continue
        room = room_of(unit)
        if room == "platform/":
            faults.append(f"{unit}: platform code lives in one of its rooms ({', '.join(sorted(ROOMS))}); "
                          "add a new one to ROOMS")
            continue
        for target, path, number in includes:
            to = target.split("/")[0]
            where = f"{os.path.relpath(path, src)}:{number}"
            if to != folder and to not in LAYERS[folder]:
                faults.append(f"{where}: {folder}/ may not include {target} ({to}/ is not below it)")
            elif room and to == "platform":
                to_room = room_of(target)
                if to_room != room and to_room not in ROOM_BASICS and to_room not in ROOMS[room]:
                    faults.append(f"{where}: {room}/ may not include {target} (no reason in ROOMS for "
                                  f"{room}/ to use {to_room}/)")

    # Circles of units, found by a depth-first walk.
    edges = {u: sorted({t for t, _, _ in inc if t in graph and t != u}) for u, inc in graph.items()}
    state = {}
    stack = []
    circles = []

    def walk(u):
        state[u] = 1
        stack.append(u)
        for v in edges[u]:
            if state.get(v) == 1:
                circles.append(stack[stack.index(v):] + [v])
            elif v not in state:
                walk(v)
        stack.pop()
        state[u] = 2

    sys.setrecursionlimit(10000)
    for u in sorted(edges):
        if u not in state:
            walk(u)
    for c in circles:
        faults.append("includes run in a circle: " + " -> ".join(c))
    return faults


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src")
    faults = check(src)
    for f in faults:
        print(f)
    if faults:
        print(f"check_includes: {len(faults)} fault(s) in {src}", file=sys.stderr)
        return 1
    print(f"check_includes: the includes of {os.path.normpath(src)} point down the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
