"""Small helpers for the tests that run the real game as a desktop user
would: a private X display, the game's window, key presses, screenshots,
and the close request a window manager sends."""
import ctypes
import os
import shutil
import subprocess
import time

SKIP = 77


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)


class Failure(Exception):
    pass


def xvfb_font_args(fonts=None):
    """Xvfb's font path: the system's X fonts (its default) or, with fonts
    False, only the server's built-in cursor and 'fixed' fonts, as on a
    machine without any X font package. SNOWQUILL_TEST_XFONTS=none makes
    the second the default, so a whole test run can prove it needs none."""
    if fonts is None:
        fonts = os.environ.get("SNOWQUILL_TEST_XFONTS", "") != "none"
    return [] if fonts else ["-fp", "built-ins"]


def have_x_fonts():
    """Whether the X core fonts a desktop's dialogs use are installed."""
    return os.path.exists("/usr/share/fonts/X11/misc/fonts.dir")


class Display:
    """An Xvfb of our own, so several games can run side by side."""

    def __init__(self, fonts=None):
        # Xvfb picks a free display number itself and tells it on the pipe,
        # so displays started side by side never collide.
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                      *xvfb_font_args(fonts)],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        number = self.proc.stdout.readline().strip()
        if not number.isdigit():
            self.proc.kill()
            self.proc.wait()
            raise Failure("no Xvfb display could be started")
        self.name = ":" + number.decode()

    def env(self, extra=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        env.update(extra or {})
        return env

    def close(self):
        forget_display(self.name)
        self.proc.terminate()
        self.proc.wait()
        self.proc.stdout.close()


def tools_missing():
    return [t for t in ("Xvfb", "xdotool", "xdpyinfo", "import", "compare") if not shutil.which(t)]


def unmet_needs(game_dir, files, hint, tools=("xdotool", "import", "compare", "identify")):
    """Why a test of the game in game_dir cannot run (files of it missing,
    or tools not installed), or None when it can."""
    missing = [n for n in files if not os.path.exists(os.path.join(game_dir, n))]
    if missing:
        return f"{game_dir} lacks {', '.join(missing)} ({hint})"
    for tool in tools:
        if not shutil.which(tool):
            return f"{tool} is not installed"
    return None


def resident_mb(pid):
    """The process's resident memory in megabytes (0 when it is gone)."""
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return 0.0


class Game:
    """One run of a game executable on a display."""

    def __init__(self, display, argv, cwd, env, log_path):
        self.display = display
        self.log = open(log_path, "w")
        self.proc = subprocess.Popen(argv, cwd=cwd, env=display.env(env), stdout=self.log,
                                     stderr=subprocess.STDOUT)
        self.last_shot = None
        self.shots = 0
        self.trace_seen = 0
        self.shot_dir = os.path.dirname(log_path)

    def xdo(self, *args):
        return run(["xdotool", *args], env=self.display.env())

    def window(self, timeout=60):
        """The id of the game's window, as xdotool and import take it."""
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                raise Failure(f"the game ended early with status {self.proc.returncode}")
            found = game_windows(self.display.name, self.proc.pid, private_display=True)
            if found:
                return str(found[-1][0])
            time.sleep(0.2)
        raise Failure("the game's window did not appear")

    def hold(self, key, seconds=0.4):
        """Holds a key for several frames: the menu and the tallies look at
        keys held down."""
        wid = self.window()
        self.xdo("windowfocus", "--sync", wid)
        self.xdo("keydown", "--window", wid, key)
        time.sleep(seconds)
        self.xdo("keyup", "--window", wid, key)
        time.sleep(0.3)

    def wait_trace(self, path, want, timeout=90):
        """Waits for the next line of the game's trace file that is `want` or
        starts with it; earlier lines are passed over."""
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                raise Failure(f"the game ended early with status {self.proc.returncode} waiting for '{want}'")
            try:
                with open(path) as f:
                    lines = f.read().splitlines()
            except FileNotFoundError:
                lines = []
            while self.trace_seen < len(lines):
                line = lines[self.trace_seen]
                self.trace_seen += 1
                if line == want or line.startswith(want + " "):
                    return line
            time.sleep(0.1)
        raise Failure(f"the game did not reach '{want}' (its trace: {path})")

    def screenshot(self):
        self.shots += 1
        path = os.path.join(self.shot_dir, f"shot{self.shots % 2}.png")
        # Sampled down to the game's own 320 x 240: cheap to compare, and
        # nothing finer is drawn.
        if run(["import", "-display", self.display.name, "-window", self.window(), "-resize", "320x240!",
                path]).returncode != 0:
            return None
        return path

    def brightness(self, path):
        out = run(["convert", path, "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"]).stdout
        try:
            return float(out.strip())
        except ValueError:
            return None

    def wait_new_screen(self, what, timeout=60):
        """Waits until most of the picture differs from the last screen
        remembered, is lit, and its fade is over (the brightness has stopped
        changing), then remembers it."""
        end = time.time() + timeout
        last = None
        while time.time() < end:
            path = self.screenshot()
            if path and (self.last_shot is None or changed_share(self.last_shot, path) > 0.25):
                b = self.brightness(path)
                if b is not None and b > 0.08 and last is not None and abs(b - last) < 0.004:
                    self.remember(path)
                    return
                last = b
            else:
                last = None
            time.sleep(0.3)
        raise Failure(f"{what}: the screen did not change to a steady new picture")

    def remember(self, path=None):
        path = path or self.screenshot()
        if path:
            self.last_shot = os.path.join(self.shot_dir, "remembered.png")
            shutil.copy(path, self.last_shot)

    def close_window(self):
        """What a window manager does when the close button is clicked."""
        send_close_request(self.display.name, int(self.window()))

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise Failure(f"the game did not end within {timeout} s")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.log.close()


def process_tree(pid):
    """pid and every process descended from it (from /proc)."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The command name is in parentheses and may hold spaces.
        fields = stat[stat.rindex(")") + 2:].split()
        children.setdefault(int(fields[1]), []).append(int(entry))
    tree, todo = [], [pid]
    while todo:
        p = todo.pop()
        tree.append(p)
        todo.extend(children.get(p, []))
    return tree


def game_windows(display_name, pid, private_display):
    """The viewable top-level windows of the game: those whose _NET_WM_PID is
    the game's or one of its children's. On a display of its own the game's
    windows are all there is, so a window that names no process (a message
    box drawn by a child process) counts too while the game has a child.
    Windows are never found by their titles: how a title is stored depends
    on the locale."""
    tree = process_tree(pid)
    windows = top_level_windows(display_name)
    mine = [(w, p) for w, p in windows if p in tree]
    if not mine and private_display and len(tree) > 1:
        mine = [(w, p) for w, p in windows if p is None]
    return mine


class _WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("c_class", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


_x11 = None


def _xlib():
    global _x11
    if _x11 is None:
        x = ctypes.cdll.LoadLibrary("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(_WindowAttributes)]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                         ctypes.c_long, ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                         ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
                                         ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        # A window that goes away between the listing and a look at it must
        # not end the test: errors are ignored (the calls then fail).
        handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        x.XSetErrorHandler.argtypes = [type(handler)]
        x.XSetErrorHandler(handler)
        x._keep_handler = handler
        _x11 = x
    return _x11


_connections = {}


def _connection(display_name):
    """One connection to each display, kept: a server busy with games may
    refuse a new connection for a moment, so a refusal is tried again."""
    dpy = _connections.get(display_name)
    if dpy:
        return dpy
    x = _xlib()
    end = time.time() + 20
    while not dpy:
        dpy = x.XOpenDisplay(display_name.encode())
        if not dpy:
            if time.time() > end:
                raise Failure(f"cannot open display {display_name}")
            time.sleep(0.1)
    _connections[display_name] = dpy
    return dpy


def forget_display(display_name):
    """Closes the kept connection before its server goes away (Xlib ends the
    process when a server it is connected to disappears)."""
    dpy = _connections.pop(display_name, None)
    if dpy:
        _xlib().XCloseDisplay(dpy)


def top_level_windows(display_name):
    """[(window id, _NET_WM_PID or None)] of the viewable top-level windows."""
    x = _xlib()
    dpy = _connection(display_name)
    root, parent = ctypes.c_ulong(), ctypes.c_ulong()
    children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
    if not x.XQueryTree(dpy, x.XDefaultRootWindow(dpy), ctypes.byref(root), ctypes.byref(parent),
                        ctypes.byref(children), ctypes.byref(count)):
        return []
    ids = [children[i] for i in range(count.value)]
    if children:
        x.XFree(children)
    pid_atom = x.XInternAtom(dpy, b"_NET_WM_PID", 0)
    result = []
    for w in ids:
        attrs = _WindowAttributes()
        if not x.XGetWindowAttributes(dpy, w, ctypes.byref(attrs)) or attrs.map_state != 2:  # IsViewable
            continue
        kind, fmt, n, after = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_ulong(), ctypes.c_ulong()
        data = ctypes.c_void_p()
        pid = None
        if x.XGetWindowProperty(dpy, w, pid_atom, 0, 1, 0, 6, ctypes.byref(kind), ctypes.byref(fmt),  # CARDINAL
                                ctypes.byref(n), ctypes.byref(after), ctypes.byref(data)) == 0 and data.value:
            if fmt.value == 32 and n.value == 1:
                pid = ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))[0]
            x.XFree(data)
        result.append((w, pid))
    return result


def changed_share(a, b):
    size = lambda p: run(["identify", "-format", "%w %h", p]).stdout.split()
    wa, wb = size(a), size(b)
    if wa != wb or len(wa) != 2:
        return 1.0
    r = run(["compare", "-metric", "AE", "-fuzz", "20%", a, b, "null:"])
    try:
        return float(r.stderr.split()[0]) / (int(wa[0]) * int(wa[1]))
    except (ValueError, IndexError):
        return 1.0


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("client", _ClientMessage), ("pad", ctypes.c_long * 24)]


def send_close_request(display_name, window):
    """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
    x = _xlib()
    dpy = _connection(display_name)
    ev = _Event()
    ev.client.type = 33  # ClientMessage
    ev.client.send_event = 1
    ev.client.window = window
    ev.client.message_type = x.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
    ev.client.format = 32
    ev.client.data[0] = x.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
    ev.client.data[1] = 0  # CurrentTime
    x.XSendEvent(dpy, window, 0, 0, ctypes.byref(ev))
    x.XFlush(dpy)
