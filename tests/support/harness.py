"""Runs the real brackwater executable under X for end-to-end tests, each Game in a temporary
working directory with the test `system` package (tests/support/package) and the test's files.
A test talks to the game only as a player would: real X key events (xdotool), the window's close
request, screenshots. Every frame the package writes its frame count and the console's text to
files, so that a test waits for the game to advance instead of sleeping blindly: the engine
samples the keyboard once per frame, so a key must stay down across frames to be seen."""
import atexit
import functools
import os
import shutil
import subprocess
import tempfile
import threading
import time

SOURCE_DIR = os.environ.get("BW_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
EXECUTABLE = os.environ.get("BW_EXECUTABLE", os.path.join(SOURCE_DIR, "build", "brackwater"))
PACKAGE = os.path.join(SOURCE_DIR, "tests", "support", "package")
HOOK = "system/hook.py"   # a module with step(frame), run by the test package on every frame


@functools.lru_cache(maxsize=None)
def x_display():
    """A virtual X server of the test's own, so that tests running side by side never send keys
    to each other's windows. Xvfb picks a free display number itself (-displayfd)."""
    read_end, write_end = os.pipe()
    process = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    if not number:
        raise AssertionError("Xvfb did not start")
    atexit.register(process.terminate)
    return ":" + number


class Game:
    def __init__(self, files=None, env=None, package=PACKAGE):
        self.dir = tempfile.mkdtemp(prefix="brackwater-e2e-")
        shutil.copytree(package, self.dir, dirs_exist_ok=True)
        for path, text in (files or {}).items():
            os.makedirs(os.path.dirname(self.path(path)), exist_ok=True)
            with open(self.path(path), "w") as f:
                f.write(text)
        self.frame_file = self.path("frames.txt")
        self.close_marker = self.path("config-closed.txt")
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": x_display(),
            "BW_FRAME_FILE": self.frame_file,
            "BW_CONSOLE_FILE": self.path("console.txt"),
            "BW_CLOSE_MARKER": self.close_marker,
            "SDL12COMPAT_OPENGL_SCALING": "0",
            "LIBGL_ALWAYS_SOFTWARE": "1",
            "SDL_AUDIODRIVER": self.env.get("SDL_AUDIODRIVER", "dummy"),
            "PYTHONDONTWRITEBYTECODE": "1",
        })
        self.env.update(env or {})
        self.process = None
        self.window = None
        self._output = {"stdout": [], "stderr": []}
        self._readers = []

    def path(self, relative):
        return os.path.join(self.dir, relative)

    def start(self):
        self.process = subprocess.Popen([EXECUTABLE], cwd=self.dir, env=self.env,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        # Read while the game runs: a game that prints much would otherwise stall on a full pipe,
        # and a test can wait for what the game says.
        self._readers = [threading.Thread(target=self._read, args=(stream, self._output[name]), daemon=True)
                         for name, stream in (("stdout", self.process.stdout), ("stderr", self.process.stderr))]
        for reader in self._readers:
            reader.start()
        self.advance(3)
        self.window = self._find_window()
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window], check=False,
                       capture_output=True, timeout=10, env=self.env)
        return self

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.kill()
        shutil.rmtree(self.dir, ignore_errors=True)

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)
        self._collect()

    def wait_exit(self, timeout=20):
        """The exit status, once the game has ended by itself."""
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            frame = self.frame()   # still counting: the game missed the request; else it hangs
            self.kill()
            raise AssertionError("the game did not exit within %s s; its last frame %d; stderr: %s"
                                 % (timeout, frame, self.output("stderr")[-2000:]))
        self._collect()
        return self.process.returncode

    def _collect(self):
        """Once the game has exited: the rest of what it wrote."""
        for reader in self._readers:
            reader.join(timeout=10)

    @staticmethod
    def _read(stream, chunks):
        for line in iter(stream.readline, b""):
            chunks.append(line.decode(errors="replace"))
        stream.close()

    def output(self, stream="stdout"):
        """Everything the game has written to standard output (or "stderr") so far, in all its runs."""
        return "".join(self._output[stream])

    def _wait(self, what, done, timeout):
        """Polls done() until it returns something true, and returns that; fails when the game
        exits or the time runs out first."""
        deadline = time.monotonic() + timeout
        while True:
            result = done()
            if result:
                return result
            if self.process.poll() is not None:
                self._collect()
                raise AssertionError("the game exited with %s while waiting for %s\nstdout: %s\nstderr: %s"
                                     % (self.process.returncode, what, self.output()[-3000:],
                                        self.output("stderr")[-3000:]))
            if time.monotonic() > deadline:
                raise AssertionError("waited %s s for %s in vain; the last output:\n%s"
                                     % (timeout, what, self.output()[-3000:]))
            time.sleep(0.02)

    def wait_for_output(self, text, timeout=30):
        """Waits until the game's standard output holds `text`."""
        self._wait("the output %r" % text, lambda: text in self.output(), timeout)

    def frame(self):
        try:
            with open(self.frame_file) as f:
                return int(f.read() or 0)
        except (OSError, ValueError):
            return 0

    def advance(self, frames=3, timeout=30):
        """Waits until the game has run `frames` more frames."""
        count = self.frame() + frames
        self._wait("frame %d" % count, lambda: self.frame() >= count, timeout)

    def console(self):
        """What the scripts have printed into the console, as of the last frame."""
        try:
            with open(self.env["BW_CONSOLE_FILE"]) as f:
                return f.read()
        except OSError:
            return ""

    def config_closed(self):
        return os.path.exists(self.close_marker)

    def _xdotool(self, *args):
        subprocess.run(["xdotool", *args], check=True, capture_output=True, timeout=10,
                       env=self.env)

    def key_down(self, *keys):
        for key in keys:
            self._xdotool("keydown", key)

    def key_up(self, *keys):
        for key in keys:
            self._xdotool("keyup", key)

    def press(self, *keys, frames=3):
        """Holds each key in turn across a few frames, so that the game's once-a-frame sampling
        sees it."""
        for key in keys:
            self.key_down(key)
            self.advance(frames)
            self.key_up(key)
            self.advance(frames)

    def tap_text(self, text, delay_ms=15):
        """Types text as a fast typist does: each key goes down and up again within a few
        milliseconds, faster than a slow frame samples the keyboard."""
        self._xdotool("type", "--delay", str(delay_ms), text)

    def close_window(self, attempts=10):
        """Sends a title-bar button's close request (WM_DELETE_WINDOW) until the game exits: under
        Xvfb, SDL now and then never turns one request into a quit event; a player would click again."""
        for _ in range(attempts):
            self._send_close_request()
            try:
                self.process.wait(timeout=1)
                return
            except subprocess.TimeoutExpired:
                continue

    def _send_close_request(self):
        from Xlib import X, display, protocol
        d = display.Display(self.env["DISPLAY"])
        window = d.create_resource_object("window", int(self.window))
        wm_protocols = d.intern_atom("WM_PROTOCOLS")
        delete = d.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=wm_protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        d.flush()
        d.close()

    def screenshot(self, path=None):
        """A PNG of the game's window; returns its path."""
        path = path or self.path("screenshot-%d.png" % self.frame())
        subprocess.run(["import", "-window", str(self.window), path], check=True,
                       capture_output=True, timeout=30, env=self.env)
        return path

    def _find_window(self):
        def search():
            return subprocess.run(["xdotool", "search", "--name", "^Brackwater$"], capture_output=True,
                                  text=True, env=self.env).stdout.split()
        # Generous: a sanitizer build of the whole game takes many seconds to open its window.
        return self._wait("a window named Brackwater", search, 90)[-1]


def image_size(png):
    return tuple(int(v) for v in subprocess.run(["identify", "-format", "%w %h", png], check=True,
                                                capture_output=True, text=True).stdout.split())


def colour_box(png, rgb, fuzz=15):
    """(x, y, width, height) of the pixels near a colour (within fuzz percent), through ImageMagick."""
    text = subprocess.run(["convert", png, "-fuzz", "%d%%" % fuzz, "-fill", "black", "+opaque",
                           "rgb%s" % (tuple(rgb),), "-format", "%@", "info:"],
                          check=True, capture_output=True, text=True).stdout
    w, h, x, y = (int(v) for v in text.replace("x", "+").split("+"))
    return x, y, w, h


def match_golden(png, golden, fuzz=12, most=0.03, region=None):
    """Compares a screenshot (or its `region`: x, y, width, height), scaled to a quarter to be small
    and blind to a shift of a pixel or two, with a golden: fails when over `most` of the pixels differ
    by over `fuzz` percent, and keeps the actual picture beside the golden as NAME.actual.png.
    BW_UPDATE_GOLDEN=1 writes the golden instead, BW_UPDATE_GOLDEN=missing only where there is none."""
    small = png[:-len(".png")] + ".small.png"
    crop = ["-crop", "%dx%d+%d+%d" % (region[2], region[3], region[0], region[1]), "+repage"] if region else []
    subprocess.run(["convert", png, *crop, "-resize", "25%", "PNG24:" + small], check=True)
    update = os.environ.get("BW_UPDATE_GOLDEN")
    if update == "1" or (update == "missing" and not os.path.exists(golden)):
        os.makedirs(os.path.dirname(golden), exist_ok=True)
        shutil.copyfile(small, golden)
        return
    if not os.path.exists(golden):
        raise AssertionError("no golden %s; BW_UPDATE_GOLDEN=missing writes it" % golden)
    out = subprocess.run(["compare", "-metric", "AE", "-fuzz", "%d%%" % fuzz, small, golden, "null:"],
                         capture_output=True, text=True)
    width, height = image_size(small)
    differing = float(out.stderr.split()[0]) / (width * height)
    if differing > most:
        shutil.copyfile(small, golden[:-len(".png")] + ".actual.png")
        raise AssertionError("%s: %.1f%% of the pixels differ (at most %.1f%%); the actual picture is "
                             "beside it as .actual.png" % (golden, differing * 100, most * 100))
