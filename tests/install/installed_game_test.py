#!/usr/bin/env python3
"""The game as a player installs and runs it.

Builds the .deb with CPack (or takes the one given), checks it with lintian,
unpacks it into a temporary root whose prefix is not the one it was built
for, and checks what lands where. Then starts the unpacked game from its
desktop entry's command line, in an unrelated working folder, with a
temporary home, on private X displays, and ends it in every way a desktop
ends a program: the window's close button, SIGTERM, SIGINT and SIGHUP, each
during level 1 and during the name entry; SIGTERM during the splash; and its
display server going away during level 1. Every time the game must end
promptly the way it should (status 0 after a close, the signal's own status
after a signal), and the high-score table in the temporary user data folder
must hold exactly what start-up wrote there; nothing may be written beside
the data or in the working folder.

Exit status 77 (skipped) when the game's data has not been built.
"""
import argparse
import glob
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_helpers import SKIP, Display, Failure, Game, run, tools_missing  # noqa: E402

APP_ID = "io.github.snowquill.Snowquill"
ICON_SIZES = (16, 24, 32, 48, 64, 128, 192, 256, 512)
LAYOUT = ["bin/snowquill",
          f"share/applications/{APP_ID}.desktop",
          f"share/metainfo/{APP_ID}.metainfo.xml",
          "share/man/man6/snowquill.6.gz",
          "share/doc/snowquill/copyright",
          "share/doc/snowquill/changelog.gz",
          "share/snowquill/gfx/splash.png",
          "share/snowquill/sfx/info.ogg",
          "share/snowquill/musica/MenuMusic.ogg",
          "share/snowquill/maps/level_1.FMP"] + \
         [f"share/snowquill/demos/level_{n}.sqr" for n in range(1, 7)] + \
         [f"share/icons/hicolor/{s}x{s}/apps/{APP_ID}.png" for s in ICON_SIZES] + \
         [f"share/icons/hicolor/scalable/apps/{APP_ID}.svg"]


def check_layout(prefix):
    missing = [f for f in LAYOUT if not os.path.isfile(os.path.join(prefix, f))]
    if missing:
        raise Failure(f"not installed under {prefix}: {', '.join(missing)}")
    if glob.glob(os.path.join(prefix, "share/snowquill/**/HISCORES.DAT"), recursive=True):
        raise Failure("a high-score table was installed with the data")
    if not os.access(os.path.join(prefix, "bin/snowquill"), os.X_OK):
        raise Failure("bin/snowquill is not executable")
    size = run(["identify", "-format", "%wx%h",
                os.path.join(prefix, f"share/icons/hicolor/48x48/apps/{APP_ID}.png")]).stdout.strip()
    if size != "48x48":
        raise Failure(f"the 48 px icon is {size}")


def desktop_command(prefix):
    """The Exec line of the installed desktop entry, as a launcher runs it."""
    for line in open(os.path.join(prefix, f"share/applications/{APP_ID}.desktop")):
        if line.startswith("Exec="):
            return shlex.split(line[5:].strip())
    raise Failure("the desktop entry has no Exec line")


def play_and_end(prefix, work, state, ending, lines):
    """One run: into level 1 (and on to the name entry), then the ending."""
    tag = f"{state}-{ending}"
    home = os.path.join(work, "home-" + tag)
    cwd = os.path.join(work, "elsewhere-" + tag)
    os.makedirs(home)
    os.makedirs(cwd)
    data_home = os.path.join(home, "data")
    table = os.path.join(data_home, "snowquill", "HISCORES.DAT")
    argv = desktop_command(prefix)
    if ending != "close":
        argv = argv + ["--windowed"]  # the first runs show the full screen as the menu starts it
    trace = os.path.join(cwd, "trace.txt")
    env = {"HOME": home, "XDG_DATA_HOME": data_home, "SNOWQUILL_TRACE": trace,
           "PATH": os.path.join(prefix, "bin") + os.pathsep + os.environ.get("PATH", "")}
    display = Display()
    game = Game(display, argv, cwd, env, os.path.join(cwd, "game.log"))
    try:
        game.window()
        if state == "splash":
            # The splash is held for seconds; a signal must not wait for it.
            started = time.time()
            game.proc.send_signal(getattr(signal, "SIG" + ending))
            status = game.wait_exit(10)
            took = time.time() - started
            if status != -getattr(signal, "SIG" + ending) or took > 5:
                raise Failure(f"exit status {status} after {took:.1f} s")
            lines.append(f"  {tag}: status {status} after {took:.2f} s")
            return
        end = time.time() + 90
        while not os.path.exists(table):
            if time.time() > end or game.proc.poll() is not None:
                raise Failure("the table was not created in the user's data folder at start-up")
            time.sleep(0.2)
        time.sleep(0.2)
        created = open(table, "rb").read()
        # The table is written after the splash: the next lit, steady
        # picture is the menu.
        game.last_shot = None
        game.wait_trace(trace, "menu")
        game.wait_new_screen("menu")
        game.hold("space")
        # The level takes Escape once its fade-in is over, when it says "level 1".
        game.wait_trace(trace, "level 1")
        game.wait_new_screen("level 1")
        if state == "name":
            # The tally takes Space only once its zoom is over, and the name
            # entry its letters only once it has started: the game's trace
            # says when (a busy machine can make a fade or zoom look steady).
            game.hold("Escape")
            game.wait_trace(trace, "tally")
            game.hold("space")
            game.wait_trace(trace, "name-entry")
            game.wait_new_screen("name entry")
            for key in ("q", "u", "i", "t"):
                game.xdo("key", key)
        started = time.time()
        if ending == "close":
            game.close_window()
            expected = 0
        elif ending == "display":
            # The display server goes away under the game (the session ends,
            # a remote display drops): it must end too, not spin on.
            display.close()
            expected = 1
        else:
            signo = getattr(signal, "SIG" + ending)
            game.proc.send_signal(signo)
            expected = -signo
        status = game.wait_exit(10)
        took = time.time() - started
        if status != expected:
            raise Failure(f"exit status {status}, not {expected}")
        if took > 5:  # a second when idle; a loaded machine gets some slack
            raise Failure(f"the game took {took:.1f} s to end")
        if open(table, "rb").read() != created:
            raise Failure("the high-score table changed")
        strays = [p for p in (os.path.join(cwd, "HISCORES.DAT"), os.path.join(prefix, "share/snowquill/HISCORES.DAT"))
                  if os.path.exists(p)]
        if strays:
            raise Failure(f"a table was written elsewhere: {strays}")
        lines.append(f"  {tag}: status {status} after {took:.2f} s, table intact")
    except Failure as e:
        raise Failure(f"{tag}: {e} (log {game.log.name})")
    finally:
        game.stop()
        display.close()


def build_package(build_dir, out_dir):
    r = run(["cpack", "-G", "DEB", "-B", out_dir], cwd=build_dir)
    debs = glob.glob(os.path.join(out_dir, "*.deb"))
    if r.returncode != 0 or len(debs) != 1:
        raise Failure(f"cpack failed:\n{r.stdout}\n{r.stderr}")
    return debs[0]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build-dir", required=True)
    ap.add_argument("--deb", help="a package already built (default: build one with cpack)")
    ap.add_argument("--parallel", type=int, default=2, help="games run side by side")
    ap.add_argument("--only", help="comma-separated runs to make, e.g. play-close,name-TERM")
    args = ap.parse_args()

    build_dir = os.path.abspath(args.build_dir)
    if not os.path.exists(os.path.join(build_dir, "game", "gfx", "splash.png")):
        print("SKIPPED: the game's data has not been built")
        return SKIP
    missing = tools_missing() + [t for t in ("cpack", "dpkg-deb", "dpkg-shlibdeps", "identify")
                                 if not shutil.which(t)]
    if missing:
        print(f"SKIPPED: missing tools: {', '.join(missing)}")
        return SKIP

    work = tempfile.mkdtemp(prefix="snowquill-installed-")
    try:
        # What lands where from a plain DESTDIR install.
        stage = os.path.join(work, "stage")
        r = run(["cmake", "--install", build_dir, "--prefix", "/usr"], env=dict(os.environ, DESTDIR=stage))
        if r.returncode != 0:
            raise Failure(f"cmake --install failed:\n{r.stderr}")
        check_layout(os.path.join(stage, "usr"))
        print("DESTDIR install: layout as expected")

        deb = args.deb or build_package(build_dir, os.path.join(work, "package"))
        fields = run(["dpkg-deb", "-f", deb, "Package", "Version", "Depends"]).stdout
        if "libsdl2" not in fields or "libpng" not in fields:
            raise Failure(f"the package's dependencies do not name the linked libraries:\n{fields}")
        print(f"package {os.path.basename(deb)}:\n" + "".join("  " + l + "\n" for l in fields.splitlines()))
        if shutil.which("lintian"):
            r = run(["lintian", "--no-tag-display-limit", deb])
            print("lintian:\n" + (r.stdout.strip() or "  (no tags)"))
            if r.returncode != 0:
                raise Failure("lintian reports errors")

        # The package's contents under another prefix than the one it was made for.
        root = os.path.join(work, "root")
        if run(["dpkg-deb", "-x", deb, root]).returncode != 0:
            raise Failure("dpkg-deb -x failed")
        prefix = os.path.join(work, "moved", "prefix")
        os.makedirs(os.path.dirname(prefix))
        shutil.move(os.path.join(root, "usr"), prefix)
        check_layout(prefix)

        runs = [(state, ending) for state in ("play", "name") for ending in ("close", "TERM", "INT", "HUP")]
        runs += [("play", "display"), ("splash", "TERM")]
        if args.only:
            runs = [r for r in runs if "-".join(r) in args.only.split(",")]
        lines, errors = [], []
        lock = threading.Lock()

        def worker():
            while True:
                with lock:
                    if not runs:
                        return
                    state, ending = runs.pop(0)
                try:
                    play_and_end(prefix, work, state, ending, lines)
                except Failure as e:
                    errors.append(str(e))

        threads = [threading.Thread(target=worker) for _ in range(max(1, args.parallel))]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        print("runs of the unpacked game (relocated prefix, unrelated working folder):")
        print("\n".join(sorted(lines)))
        if errors:
            raise Failure("\n".join(errors))
        print("OK")
        return 0
    except Failure as e:
        print("FAIL: " + str(e), file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
