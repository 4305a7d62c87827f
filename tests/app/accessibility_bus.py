#!/usr/bin/python3
"""The demo played by a blind student's means: the player under Xvfb on a
private D-Bus session with its own accessibility bus, looked at and played
from outside through Debian's Python AT-SPI bindings, as a screen reader
does. Keys are typed through the bus's device event controller.

Asserted over the bus: no decoration among the window's accessible nodes,
every node named, reading order, the start focus, announcements (a
notification coming into view, as Orca speaks it) after a right answer and
at the end screen, the focus never on a hidden control, and the game won by
keyboard alone.

usage: accessibility_bus.py PLAYER DEMO_FOLDER
Exits 77 (skipped, saying why) where the bus, Xvfb or the bindings are missing.
"""
import ctypes
import ctypes.util
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77


def skip(reason):
    print("SKIPPED: " + reason, flush=True)
    sys.exit(SKIPPED)


LAUNCHERS = ["/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher"]

# What the demo shows as decoration: the background, frames, corners and
# panels by their pictures' names, the shapes by what they are.
DECORATION = {"tile_stars", "sky", "sky_square", "sky_wide", "panel", "frame_h", "frame_v",
              "corner_tl", "corner_tr", "corner_bl", "corner_br", "Rectangle", "Square",
              "Circle", "Ellipse", "Rounded rectangle", "Rounded square", "Picture",
              "Empty line"}
CONTENT_ROLES = {"label", "push button", "image", "text", "list", "animation", "notification"}

FIRST_BOX = "Answer to the first riddle: who hunts across the winter sky?"


class Failed(Exception):
    pass


def requirements():
    for tool in ("dbus-daemon", "Xvfb"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed (scripts/bootstrap installs it)")
    launcher = next((p for p in LAUNCHERS if os.access(p, os.X_OK)), None)
    if not launcher:
        skip("at-spi-bus-launcher is not installed (Debian package at-spi2-core)")
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi  # noqa: F401
    except (ImportError, ValueError) as e:
        skip(f"Debian's Python AT-SPI bindings are missing (gir1.2-atspi-2.0, python3-gi): {e}")
    if not ctypes.util.find_library("X11"):
        skip("libX11 is missing: nothing can activate the window as a window manager would")
    return launcher


class Session:
    """A private session bus, a display and an accessibility bus of our own;
    everything started here is stopped by its process group at the end."""

    def __init__(self, launcher):
        self.launcher = launcher
        self.groups = []
        self.work = tempfile.mkdtemp(prefix="taleplay-atspi-")

    def start(self, args, **kw):
        p = subprocess.Popen(args, start_new_session=True, **kw)
        self.groups.append(p)
        return p

    def __enter__(self):
        runtime = os.path.join(self.work, "runtime")
        os.mkdir(runtime, 0o700)
        os.environ["XDG_RUNTIME_DIR"] = runtime
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        for attempt in range(5):
            display = self.start_display()
            if display:
                break
        else:
            raise Failed("Xvfb did not start")
        os.environ["DISPLAY"] = display
        self.start([self.launcher, "--launch-immediately"], stderr=subprocess.DEVNULL)
        return self

    def start_display(self):
        """A display of our own, at a number of its own (others start theirs
        from display 0). None when the server does not answer (its number
        was taken)."""
        display = f":{random.randint(1000, 30000)}"
        # -noreset: a server resets when its last client leaves, and a
        # client that comes meanwhile (the player, after the bus launcher
        # and this check) finds no display.
        server = self.start(["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                             "-noreset"], stderr=subprocess.DEVNULL)
        x11 = xlib()
        end = time.monotonic() + 10
        while server.poll() is None and time.monotonic() < end:
            dpy = x11.XOpenDisplay(display.encode())
            if dpy:
                x11.XCloseDisplay(dpy)
                # Not another's server of that number, ours giving way to it.
                time.sleep(0.3)
                if server.poll() is None:
                    return display
            time.sleep(0.1)
        if server.poll() is None:
            os.killpg(server.pid, signal.SIGTERM)
        server.wait()
        self.groups.remove(server)
        return None

    def __exit__(self, *exc):
        for p in reversed(self.groups):
            try:
                os.killpg(p.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for p in reversed(self.groups):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()
        shutil.rmtree(self.work, ignore_errors=True)


def xlib():
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    windows = ctypes.POINTER(ctypes.c_ulong)
    x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                               ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(windows),
                               ctypes.POINTER(ctypes.c_uint)]
    x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XGetInputFocus.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_ulong),
                                   ctypes.POINTER(ctypes.c_int)]
    # A window not mapped yet refuses the focus (BadMatch); Xlib's own
    # handler would end this script for it, so errors are only counted.
    global _x_errors, _x_handler
    if _x_handler is None:
        handler_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)

        def ignore(display, event):
            global _x_errors
            _x_errors += 1
            return 0
        _x_handler = handler_type(ignore)
        x11.XSetErrorHandler.argtypes = [handler_type]
        x11.XSetErrorHandler(_x_handler)
    return x11


_x_errors = 0
_x_handler = None


def activate_window(title, seconds=10):
    """What a window manager does when a window appears: gives it the input
    focus (Xvfb has none)."""
    end = time.monotonic() + seconds
    while not focus_window(title):
        if time.monotonic() > end:
            raise Failed("the game's window is not on the display")
        time.sleep(0.2)


def focus_window(title):
    x11 = xlib()
    windows = ctypes.POINTER(ctypes.c_ulong)
    dpy = x11.XOpenDisplay(None)
    if not dpy:
        raise Failed("cannot open the display")
    root, parent, children, count = ctypes.c_ulong(), ctypes.c_ulong(), windows(), ctypes.c_uint()
    x11.XQueryTree(dpy, x11.XDefaultRootWindow(dpy), ctypes.byref(root), ctypes.byref(parent),
                   ctypes.byref(children), ctypes.byref(count))
    found = False
    for i in range(count.value):
        name = ctypes.c_char_p()
        if x11.XFetchName(dpy, children[i], ctypes.byref(name)) and name.value == title:
            x11.XSetInputFocus(dpy, children[i], 2, 0)  # RevertToParent, CurrentTime
            x11.XSync(dpy, 0)
            # Found only once the focus is really there: on a busy machine
            # the window can be named before it is mapped, and keys typed
            # then would go to the root window.
            focused, revert = ctypes.c_ulong(), ctypes.c_int()
            x11.XGetInputFocus(dpy, ctypes.byref(focused), ctypes.byref(revert))
            found = found or focused.value == children[i]
    if children:
        x11.XFree(children)
    x11.XCloseDisplay(dpy)
    return found


class Student:
    """A screen reader's view of the game: the events it hears, the tree it
    reads, the keys it types."""

    def __init__(self, player_pid):
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi, GLib
        self.Atspi, self.GLib = Atspi, GLib
        Atspi.init()
        self.pid = player_pid
        self.announced = []   # names of notifications that came into view
        self.focused = []     # (role, name) of each control the focus reached
        self.focus = None     # the accessible that has the focus now
        self.hidden_focus = []  # names of hidden controls the focus reached
        self.listener = Atspi.EventListener.new(self.on_event)
        for kind in ("object:state-changed:showing", "object:state-changed:focused"):
            self.listener.register(kind)
        self.passed = 0
        self.failures = []

    def on_event(self, e):
        try:
            if e.source.get_process_id() != self.pid or not e.detail1:
                return
            role = e.source.get_role_name()
            if e.type.startswith("object:state-changed:showing") and role == "notification":
                # Read at once, as a screen reader does when it speaks it.
                self.announced.append(e.source.get_name())
            elif e.type.startswith("object:state-changed:focused"):
                self.focus = e.source
                self.focused.append((role, e.source.get_name()))
                if not e.source.get_state_set().contains(self.Atspi.StateType.SHOWING):
                    self.hidden_focus.append(e.source.get_name())
        except Exception:
            pass  # an object gone meanwhile says nothing

    def pump(self, seconds, until=None):
        context = self.GLib.MainContext.default()
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            while context.pending():
                context.iteration(False)
            if until and until():
                return True
            time.sleep(0.02)
        return bool(until and until())

    def check(self, ok, what):
        if ok:
            self.passed += 1
            print("ok: " + what, flush=True)
        else:
            self.failures.append(what)
            print("FAILED: " + what, flush=True)

    def window(self):
        desktop = self.Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app and app.get_process_id() == self.pid:
                for j in range(app.get_child_count()):
                    w = app.get_child_at_index(j)
                    if w and w.get_name() == "TALEPLAY":
                        return w
        return None

    def seen(self):
        """What the desktop holds, for a failure's message."""
        desktop = self.Atspi.get_desktop(0)
        apps = []
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app:
                apps.append(f"{app.get_name()} ({app.get_process_id()}, "
                            f"{app.get_child_count()} windows)")
        return ", ".join(apps) or "no application"

    def nodes(self, window):
        out = []
        for i in range(window.get_child_count()):
            c = window.get_child_at_index(i)
            if c:
                out.append(c)
        return out

    def key(self, keysym):
        self.Atspi.generate_keyboard_event(keysym, None, self.Atspi.KeySynthType.SYM)
        self.pump(0.4)

    def type(self, text):
        # A letter at a time, by its Unicode keysym: the controller maps a
        # spare key to a letter the keyboard lacks (Cyrillic on Xvfb's), and
        # a next letter typed before the player saw that mapping would
        # come out as the next one's.
        for letter in text:
            self.key(ord(letter) if ord(letter) < 0x80 else 0x1000000 + ord(letter))

    def typed(self, text):
        """Types `text` into the focused box and checks it arrived. A letter
        the controller mistyped (its spare key remapped too late on a busy
        machine) is erased and typed again, once, with Backspace."""
        box = self.focus
        for attempt in (1, 2):
            self.type(text)
            shown = self.Atspi.Text.get_text(box, 0, -1) if box else None
            if shown == text or attempt == 2:
                break
            print(f"retyping: “{text}” came out as {shown!r}", flush=True)
            if not shown:
                # Nothing arrived: the window lost the keyboard (or never had
                # it); give it back as a window manager would.
                activate_window(b"TALEPLAY")
            for _ in range(len(shown or "")):
                self.key(BACKSPACE)
        self.check(shown == text, f"typed “{text}”" + ("" if shown == text else f", got {shown!r}"))

    # The waits are long for a sanitizer's build on a busy machine, which
    # starts the comet's video slowly; each ends as soon as what it waits for
    # has happened.
    def focus_is(self, name, seconds=15):
        ok = self.pump(seconds, lambda: self.focus is not None and self.focus.get_name() == name)
        self.check(ok, f"the focus is on “{name}”" +
                   ("" if ok else f" (it is on {self.focused[-1:] or 'nothing'})"))

    def focus_shown(self, when):
        try:
            state = self.focus.get_state_set()
            ok = state.contains(self.Atspi.StateType.SHOWING)
            name = self.focus.get_name()
        except Exception:
            ok, name = False, "a control that is gone"
        self.check(ok, f"{when}: the focused control ({name}) is shown")

    def announcement(self, *parts, seconds=30):
        """One notification says all of `parts`: what one event changed is
        one announcement, not one for each part."""
        def says(a):
            return all(part in a for part in parts)
        ok = self.pump(seconds, lambda: any(says(a) for a in self.announced))
        heard = next((a for a in self.announced if says(a)), self.announced)
        self.check(ok, f"announced {' + '.join(parts)}: {heard}")
        self.announced.clear()


TAB, RETURN, SPACE, BACKTAB, BACKSPACE = 0xff09, 0xff0d, 0x20, 0xfe20, 0xff08


def play(player, demo):
    launcher = requirements()
    with Session(launcher) as session:
        game = os.path.join(session.work, "data_demo")
        shutil.copytree(demo, game)
        # Xvfb's OpenGL is Mesa's software one, whose compiler deadlocks in
        # a sanitizer's build when the video starts; the video's frames are
        # converted without it, as on a machine without OpenGL.
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QT_XCB_GL_INTEGRATION="none", LANG="C.UTF-8", LC_ALL="C.UTF-8")
        env.pop("QT_ACCESSIBILITY", None)
        log = os.path.join(session.work, "player.log")
        with open(log, "w") as out:
            app = session.start([player, "--verbose", game], cwd=session.work, env=env,
                                stdout=out, stderr=subprocess.STDOUT)
        student = Student(app.pid)
        ready = student.pump(30, lambda: (student.window() is not None and
                                          student.window().get_child_count() > 10))
        if not ready:
            with open(log) as said:
                raise Failed("the game's window did not come up on the accessibility bus "
                             f"({student.seen()}); the player "
                             + (f"ended ({app.returncode})" if app.poll() is not None
                                else "runs") + " and said:\n" + said.read())
        window = student.window()
        student.check(window.get_role_name() == "frame", "the window is a frame")

        # What a screen reader finds on the play screen.
        nodes = student.nodes(window)
        names = [n.get_name() for n in nodes]
        roles = {n.get_role_name() for n in nodes}
        student.check(not DECORATION & set(names) and roles <= CONTENT_ROLES,
                      f"no decoration among the {len(nodes)} nodes (roles {sorted(roles)})")
        student.check(len(nodes) < 40, f"{len(nodes)} nodes, not the 232 of every control")
        student.check(all(name.strip() for name in names), "every node is named")
        order = ["The Star Keeper · Звездочёт",
                 "Three locks hold the dome of the observatory shut. Read the stars, find the "
                 "moon and choose the right crystal, and the comet is yours.",
                 "I · The Hunter", "Who hunts across the winter sky?", FIRST_BOX,
                 "Check the answer to the first riddle", "Open the dome"]
        at = [names.index(n) if n in names else -1 for n in order]
        student.check(-1 not in at and at == sorted(at),
                      "reading order: title, introduction, question, answer box, button")

        # The window gets the keyboard; the focus starts in the first answer box.
        activate_window(b"TALEPLAY")
        student.focus_is(FIRST_BOX)
        student.focus_shown("at the start")
        student.announcement("The Star Keeper")

        # Riddle I: typed, Enter goes to its check button, Space checks.
        student.typed("Orion")
        student.key(RETURN)
        student.focus_is("Check the answer to the first riddle")
        student.key(SPACE)
        student.announcement("The Hunter drawn in the stars", f"“{FIRST_BOX}” turned green")

        # Riddle II, in Cyrillic: back to its box, Enter, Space.
        student.key(BACKTAB)
        student.focus_is("Ответ на вторую загадку")
        student.typed("Луна")
        student.key(RETURN)
        student.focus_is("Проверить ответ на вторую загадку")
        student.key(SPACE)
        student.announcement("The moon", "“Ответ на вторую загадку” turned green")

        # The blue crystal shows the telescope, the telescope the dome.
        for _ in range(3):
            student.key(TAB)
        student.focus_is("The blue crystal")
        student.key(SPACE)
        student.announcement("Look through the telescope")
        student.focus_shown("after the crystals went")
        student.key(TAB)
        student.focus_is("Look through the telescope")
        student.key(SPACE)
        student.announcement("The comet is in sight! Open the dome.")
        student.key(TAB)
        student.focus_is("Open the dome")
        student.key(SPACE)

        # The end screen: announced, and the focus on its first button.
        student.announcement("The dome is open!", "Mark: 5", "Watch the comet again, button")
        student.focus_is("Watch the comet again")
        student.focus_shown("at the end screen")
        result = os.path.join(session.work, "mark for demo.txt")
        student.pump(10, lambda: os.path.exists(result))
        won = os.path.exists(result) and open(result).read().strip() == "5"
        student.check(won, "the game was won by keyboard alone: the result file says 5")
        student.check(not student.hidden_focus,
                      f"the focus never reached a hidden control {student.hidden_focus}")
        student.check(app.poll() is None, "the player is still running")
        if student.failures:
            with open(log) as said:
                print("the player said:\n" + said.read()[-4000:], flush=True)

    print(f"{student.passed} passed, {len(student.failures)} failed", flush=True)
    return 1 if student.failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    try:
        sys.exit(play(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
    except Failed as e:
        print("FAILED: " + str(e), flush=True)
        sys.exit(1)
