#!/usr/bin/env python3
"""Makes the demos in tests/demos/: for each level, the level checker's route
(its stored proven route in tests/levels/routes/, or else tools demo_route's
search) played by the real game through a key script, recorded
headless, kept only when the game reached the exit; then the full game from
the menu (tests/demos/full_game.keys). Every demo is replayed once to prove it.

  scripts/make_demos.py BUILD_DIR [LEVEL...]

When the route alone meets a monster, variants are tried: gifts thrown along
the way, a wait at the start, other seeds. Run it again after a change to the
physics or to a level; CI fails with a clear message until then."""
import functools
import os
import re
import subprocess
import sys

print = functools.partial(print, flush=True)
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMOS = os.path.join(ROOT, "tests", "demos")


def run(cmd, cwd):
    p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return p.returncode, p.stdout


def variant(base, seed, wait, throw_every):
    out, index = [], 0
    for line in base.splitlines():
        words = line.split()
        if words[:1] == ["seed"]:
            out.append("seed %d" % seed)
            if wait:
                out.append("wait %d" % wait)
            continue
        if words[:1] == ["steps"]:
            digits = []
            for c in words[1]:
                bits = int(c, 16)
                if throw_every and index % throw_every == 0:
                    bits |= 8
                digits.append("%x" % bits)
                index += 1
            out.append("steps " + "".join(digits))
            continue
        out.append(line)
    if throw_every:
        out.insert(1, "# a gift thrown every %d steps" % throw_every)
    return "\n".join(out) + "\n"


def record(game, keys_path, demo_path, level=None):
    cmd = ["./snowquill", "--record", demo_path, "--script", keys_path]
    if level:
        cmd += ["--level", str(level)]
    rc, out = run(cmd, game)
    m = re.search(r"^digest .*$", out, re.M)
    return rc, (m.group(0) if m else ""), out


def script_text(level, seed, digits):
    lines = ["# level %d: the checker's route, with gifts thrown and pauses where monsters were in the way" % level, "seed %d" % seed]
    lines += ["steps " + digits[i:i + 100] for i in range(0, len(digits), 100)]
    return "\n".join(lines) + "\n"


def attempt(game, keys_path, demo_path, level, seed, digits):
    """Plays a route, giving up at the first lost life. Returns whether the
    exit was reached, and else about which step the life was lost at."""
    with open(keys_path, "w") as f:
        f.write(script_text(level, seed, digits).replace("\nsteps", "\ngiveup-on-death\nsteps", 1))
    rc, digest, _ = record(game, keys_path, demo_path, level)
    if rc == 0 and digest.startswith("digest state=4 "):
        return True, None
    m = re.search(r" lives=(-?\d+) .* ms=(\d+)", digest)
    if not m or int(m.group(1)) >= 2:
        return False, None  # no life lost: something else stops it
    return False, int(m.group(2)) // 5


def pause_point(digits, before):
    """A step before `before` where the route has walked without jumping for
    a while, so the player stands on the ground when it pauses there."""
    for i in range(min(before, len(digits)) - 1, 40, -1):
        if all(not (int(c, 16) & 4) for c in digits[i - 40:i]):
            return i
    return 0


def dodge_monsters(game, keys_path, demo_path, level, seed, route, rounds=12):
    """Where the route loses a life, pauses a little before that place so the
    monster there has walked on; longer pauses while the same place fails."""
    digits, settled, spot, tries = route, route, None, 0
    for _ in range(rounds):
        ok, death = attempt(game, keys_path, demo_path, level, seed, digits)
        if ok:
            return True
        if death is None:
            return False
        if spot is None or death > spot + 400:
            settled, spot, tries = digits, death, 0  # a new place: keep what got us here
        tries += 1
        if tries > 6:
            return False
        if tries <= 2:
            # Gifts thrown over the stretch before it (when some were picked up on the way).
            d = list(settled)
            for i in range(max(0, spot - 300 * tries), min(len(d), spot + 40), 8):
                d[i] = "%x" % (int(d[i], 16) | 8)
            digits = "".join(d)
            print("level %d, seed %d: a life is lost near step %d; gifts thrown before it" % (level, seed, death))
            continue
        # Then pauses, further back and longer each time: the monster may come from behind.
        at = pause_point(settled, spot - 150 * (tries - 2))
        pause = 80 * (tries - 2)
        print("level %d, seed %d: a life is lost near step %d; a pause of %d steps at step %d" %
              (level, seed, death, pause, at))
        digits = settled[:at] + "0" * pause + settled[at:]
    return False


ROUTES = os.path.join(ROOT, "tests", "levels", "routes")
LETTER_BITS = {"L": 1, "R": 2, "U": 4, "F": 8}


def stored_route(level):
    """The level checker's proven route (tests/levels/routes/level_N.keys:
    run-length lines "COUNT KEYS", "-" for none) as demo_route writes it: one
    hex digit of held keys per step, then 200 more steps of the last keys."""
    path = os.path.join(ROUTES, "level_%d.keys" % level)
    if not os.path.exists(path):
        return None
    digits = []
    for line in open(path):
        words = line.split()
        if len(words) != 2 or not words[0].isdigit():
            continue
        bits = sum(LETTER_BITS.get(c, 0) for c in words[1] if c != "-")
        digits += ["%x" % bits] * int(words[0])
    if not digits:
        return None
    digits += [digits[-1]] * 200
    text = "# level %d: %d steps from the start to the exit\nseed 1\n" % (level, len(digits) - 200)
    return text + "".join("steps " + "".join(digits[i:i + 100]) + "\n" for i in range(0, len(digits), 100))


def make_level(build, game, level):
    base_path = os.path.join(DEMOS, "level_%d.keys" % level)
    tmp_keys = os.path.join(DEMOS, ".level_%d.try.keys" % level)
    tmp_demo = os.path.join(DEMOS, ".level_%d.try.sqr" % level)
    # A route already searched (SQ_DEMO_ROUTES/level_N.route, demo_route's
    # output) saves the search when only the recording needs making again.
    cached = os.path.join(os.environ.get("SQ_DEMO_ROUTES", "/nonexistent"), "level_%d.route" % level)
    stored = stored_route(level)
    if os.path.exists(cached):
        rc, out = 0, open(cached).read()
    elif stored:
        rc, out = 0, stored
    else:
        rc, out = run([os.path.join(build, "tools", "levels", "demo_route"), "--game", game, "--level", str(level)],
                      ROOT)
    if rc != 0:
        print("level %d: no route: %s" % (level, out.strip()))
        return False
    base = out
    route = "".join(l.split()[1] for l in base.splitlines() if l.startswith("steps "))
    for seed in (1, 1000, 2024, 3131, 4242):
        if dodge_monsters(game, tmp_keys, tmp_demo, level, seed, route):
            print("level %d, seed %d: exit reached" % (level, seed))
            os.replace(tmp_keys, base_path)
            os.replace(tmp_demo, os.path.join(DEMOS, "level_%d.sqr" % level))
            return True
    # Gifts thrown all along first: they clear the monsters a route walks into.
    tries = [(t, w, s) for w in (0, 60, 200) for t in (12, 0, 30) for s in (1000, 2024, 3131)]
    for n, (throw_every, wait, seed) in enumerate(tries):
        with open(tmp_keys, "w") as f:
            f.write(variant(base, seed, wait, throw_every))
        rc, digest, text = record(game, tmp_keys, tmp_demo, level)
        ok = rc == 0 and digest.startswith("digest state=4 ")
        print("level %d, try %d (throw every %d, wait %d, seed %d): %s" %
              (level, n + 1, throw_every, wait, seed, "exit reached" if ok else (digest or text.strip()[-200:])))
        if ok:
            os.replace(tmp_keys, base_path)
            os.replace(tmp_demo, os.path.join(DEMOS, "level_%d.sqr" % level))
            return True
    for p in (tmp_keys, tmp_demo):
        if os.path.exists(p):
            os.remove(p)
    return False


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    game = os.path.join(build, "game")
    levels = [int(a) for a in sys.argv[2:]] or list(range(1, 7))
    os.makedirs(DEMOS, exist_ok=True)
    failed = [lv for lv in levels if not make_level(build, game, lv)]
    full_keys = os.path.join(DEMOS, "full_game.keys")
    if len(sys.argv) == 2 and os.path.exists(full_keys):
        rc, digest, text = record(game, full_keys, os.path.join(DEMOS, "full_game.sqr"))
        print("full game: %s" % (digest if rc == 0 else text.strip()[-300:]))
        if rc != 0:
            failed.append("full game")
    if failed:
        print("no demo finishes: %s" % ", ".join(map(str, failed)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
