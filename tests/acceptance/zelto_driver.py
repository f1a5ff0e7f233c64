"""Drives the real zelto binary from outside, as a person at the screen would: an Xvfb of its own,
the program in a working directory of its own, mouse and keyboard through xdotool, pictures of the
window and the window manager's close request through libX11. Nothing waits a fixed time: every
check polls until a generous deadline (the machine is shared, the program may run sanitized)."""

import collections
import ctypes
import ctypes.util
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

TIMEOUT = 60.0
# Colours of the palette, as they appear on the screen.
BLACK, WHITE, BEIGE = (0, 0, 0), (255, 255, 255), (176, 160, 144)
ACTIVE, RED, BLUE = (64, 192, 255), (255, 64, 64), (64, 64, 255)


class DriverError(AssertionError):
    pass


def wait_until(condition, what, timeout=TIMEOUT):
    """Polls `condition` until it returns something true and returns that."""
    deadline = time.monotonic() + timeout
    while not (result := condition()):
        if time.monotonic() > deadline:
            raise DriverError("timed out waiting for " + what)
        time.sleep(0.05)
    return result


class Picture(collections.namedtuple("Picture", "width height rgb")):
    """The window or a part of it: 3 bytes a pixel, top row first. Equal pictures are equal tuples."""

    def __repr__(self):
        return "<picture %dx%d>" % (self.width, self.height)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, x, y, w, h):
        rows = (((y + r) * self.width + x) * 3 for r in range(h))
        return Picture(w, h, b"".join(self.rgb[i:i + w * 3] for i in rows))

    def count(self, colour):
        """How many pixels have exactly this colour."""
        needle, total = bytes(colour), 0
        start = self.rgb.find(needle)
        while start >= 0:  # only matches that begin a pixel count
            total += start % 3 == 0
            start = self.rgb.find(needle, start + (3 if start % 3 == 0 else 1))
        return total


class VirtualDisplay:
    """An Xvfb server on a display number it chooses itself (-displayfd)."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "2400x2100x24",
                                         "-nolisten", "tcp"], pass_fds=(write_end,),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            raise DriverError("Xvfb did not start")
        self.name = ":" + number.decode()
        self.environment = dict(os.environ, DISPLAY=self.name)
        wait_until(lambda: subprocess.run(["xdpyinfo"], env=self.environment, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL).returncode == 0, "the X server")

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class X11:
    """A connection of our own to the X server, for what xdotool does not do: reading the window's
    pixels quickly (ImageMagick's import takes ten times as long) and the window manager's close."""

    class Image(ctypes.Structure):  # XImage, as far as it is read
        _fields_ = ([(n, ctypes.c_int) for n in ("width", "height", "xoffset", "format")] + [("data", ctypes.c_void_p)]
                    + [(n, ctypes.c_int) for n in ("order", "unit", "bit_order", "pad", "depth", "line", "bits")]
                    + [(n, ctypes.c_ulong) for n in ("red", "green", "blue")])

    def __init__(self, name):
        self.lib = x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        x11.XOpenDisplay.restype, x11.XGetImage.restype = ctypes.c_void_p, ctypes.POINTER(X11.Image)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        # A window resized or closed while it is read gives an X error: the read is simply tried
        # again, instead of ending this process as Xlib does by default.
        self.ignore_errors = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda *_: 0)
        x11.XSetErrorHandler(self.ignore_errors)
        self.display = ctypes.c_void_p(x11.XOpenDisplay(name.encode()))
        if not self.display.value:
            raise DriverError("cannot open display " + name)

    def picture(self, window):
        """The window's pixels, or None if they could not be read."""
        geometry = [ctypes.c_ulong()] + [ctypes.c_int() for _ in range(6)]  # root, x, y, width, height, ...
        if not self.lib.XGetGeometry(self.display, ctypes.c_ulong(window), *map(ctypes.byref, geometry)):
            return None
        width, height = geometry[3].value, geometry[4].value
        image = self.lib.XGetImage(self.display, window, 0, 0, width, height, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return None
        try:
            im = image.contents
            if (im.bits, im.line, im.order, im.red, im.blue) != (32, width * 4, 0, 0xFF0000, 0xFF):
                raise DriverError("unexpected window image layout")
            data = ctypes.string_at(im.data, width * height * 4)
        finally:
            self.lib.XDestroyImage(image)
        rgb = bytearray(width * height * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
        return Picture(width, height, bytes(rgb))

    def close_window(self, window):
        """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
        atoms = [self.lib.XInternAtom(self.display, name, 0) for name in (b"WM_PROTOCOLS", b"WM_DELETE_WINDOW")]
        # A ClientMessage (33) as XEvent's 24 longs: type, serial, send_event, display, window,
        # message_type, format 32, then the data: WM_DELETE_WINDOW at CurrentTime (0).
        event = (ctypes.c_long * 24)(33, 0, 0, self.display.value, window, atoms[0], 32, atoms[1], 0)
        self.lib.XSendEvent(self.display, ctypes.c_ulong(window), 0, ctypes.c_long(0), event)
        self.lib.XSync(self.display, 0)

    def close(self):
        if self.display.value:
            self.lib.XCloseDisplay(self.display)
            self.display.value = None


class Zelto:
    """One run of the zelto binary in its own working directory."""

    def __init__(self, binary, display, arguments=(), workdir=None):
        self.display = display
        self.workdir = workdir or tempfile.mkdtemp(prefix="zelto-acceptance-")
        self.log_path = os.path.join(self.workdir, "console.log")
        environment = dict(display.environment)
        # Mesa's own allocations at exit are not the program's; leaks are
        # checked by the unit tests. Every other sanitizer finding stays fatal.
        environment.setdefault("LSAN_OPTIONS", "detect_leaks=0")
        environment["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=0:" + environment.get("ASAN_OPTIONS", "")
        environment.setdefault("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1")
        # The reports opened last are remembered in the run's own folder: every
        # run starts with none, and the user's list is left alone.
        environment["XDG_CONFIG_HOME"] = os.path.join(self.workdir, "config")
        try:
            for attempt in (1, 2):
                self._log = open(self.log_path, "wb")
                self.process = subprocess.Popen([os.path.abspath(binary), *arguments], cwd=self.workdir,
                                                env=environment, stdout=self._log, stderr=subprocess.STDOUT,
                                                stdin=subprocess.DEVNULL)
                try:
                    self.window = int(wait_until(self._find_window, "the Zelto window to be mapped"))
                    break
                except DriverError as error:
                    # An X server that refuses a connection under load is not
                    # the program's fault: the program says so at once and
                    # ends, and is started once more. A program that runs
                    # without showing its window fails the test, with where
                    # it stood.
                    if attempt == 2 or "no display could be opened" not in self.console():
                        raise DriverError("%s\n--- the program's windows: ---\n%s" % (error, self.windows())) from None
                    sys.stderr.write("\n--- %s; starting the program once more ---\n%s\n" % (error, self.console()))
                    self.kill()
            self.x = X11(display.name)
            # The first frames are drawn once the panel's beige shows.
            self.wait_for_picture(lambda p: p.pixel(p.height + 5, 5) == BEIGE, "the first frame")
        except DriverError as error:
            self.kill()
            raise DriverError("%s\n--- console ---\n%s" % (error, self.console())) from None

    def windows(self):
        """What the X server knows of windows named Zelto, mapped or not."""
        search = self.xdotool("search", "--name", "Zelto", check=False)
        lines = ["X server %s; xdotool search: status %d %s" % (self.display.name, search.returncode,
                                                              search.stderr.strip())]
        for window in search.stdout.split():
            info = subprocess.run(["xwininfo", "-id", window], env=self.display.environment,
                                  capture_output=True, text=True, timeout=TIMEOUT).stdout
            lines += [window + ": " + line.strip() for line in info.splitlines()
                      if line.strip().startswith(("Width", "Height", "Map State"))]
        return "\n".join(lines if search.stdout.split() else lines + ["no window named Zelto"])

    def _find_window(self):
        ids = self.xdotool("search", "--onlyvisible", "--name", "^Zelto$", check=False).stdout.split()
        if self.process.poll() is not None:
            raise DriverError("zelto ended at start:\n" + self.console())
        return ids[0] if ids else None

    def xdotool(self, *arguments, check=True):
        result = subprocess.run(["xdotool", *map(str, arguments)], env=self.display.environment,
                                capture_output=True, text=True, timeout=TIMEOUT)
        if check and result.returncode != 0:
            raise DriverError("xdotool %s failed: %s" % (" ".join(map(str, arguments)), result.stderr))
        return result

    def console(self):
        with open(self.log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def wait_for_console(self, pattern):
        """Waits until a console line matches the regular expression; returns the match."""
        return wait_until(lambda: re.search(pattern, self.console(), re.MULTILINE), "console line /%s/" % pattern)

    def wait_for_file(self, pattern):
        """Waits until files match and are no longer growing; returns their paths."""
        def complete():
            found = sorted(glob.glob(os.path.join(self.workdir, pattern)))
            sizes = [os.path.getsize(p) for p in found]
            time.sleep(0.2)
            return found if found and sizes == [os.path.getsize(p) for p in found] and all(sizes) else None
        return wait_until(complete, "file(s) " + pattern)

    # -- window ---------------------------------------------------------------

    def picture(self):
        return wait_until(lambda: self.x.picture(self.window), "a picture of the window")

    def wait_for_picture(self, condition, what):
        """Takes pictures until one satisfies `condition`; returns that picture."""
        return wait_until(lambda: condition(picture := self.picture()) and picture, what)

    def steady_picture(self):
        """A picture that the next one repeats exactly: nothing moves."""
        previous = [self.picture()]

        def settled():
            current = self.picture()
            same, previous[0] = current == previous[0], current
            return current if same else None
        return wait_until(settled, "a steady picture")

    # -- mouse and keyboard ---------------------------------------------------

    def move(self, x, y):
        self.xdotool("mousemove", "--window", self.window, x, y)

    def click(self, x, y):
        self.move(x, y)
        self.xdotool("click", 1)

    def click_rect(self, rect):
        """Clicks the middle of a widget rectangle (x, y, w, h)."""
        self.click(rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def enter_text(self, rect, text):
        """Clicks into a text field, types `text` and confirms it with Enter. A field being edited is
        white behind its text; text input is on only while a field is edited, so typing waits for it."""
        def editing(picture):
            return picture.crop(*rect).count(WHITE) > rect[2] * rect[3] // 2
        self.click_rect(rect)
        self.wait_for_picture(editing, "the text field to be edited")
        self.xdotool("type", "--delay", 20, "--", text)
        self.key("Return")
        self.wait_for_picture(lambda p: not editing(p), "the edit to end")

    # -- end ------------------------------------------------------------------

    def close_window(self):
        """Closes the window as the window manager's close button does; returns the exit status."""
        self.x.close_window(self.window)
        try:
            return self.process.wait(timeout=TIMEOUT * 2)
        finally:
            self.kill()

    def kill(self):
        """Ends the run if it still goes (a failed test) and lets go of its log and X connection."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self._log.close()
        if hasattr(self, "x"):
            self.x.close()

    def remove_workdir(self):
        shutil.rmtree(self.workdir, ignore_errors=True)
