"""Drives the real zelto binary from outside, as a person at the screen would.

A virtual X server (Xvfb) of its own, the program in a working directory of
its own, the mouse and the keyboard through xdotool, pictures of the window
read through libX11, and the window closed the way a window manager's close
button does it (a WM_DELETE_WINDOW message).

Nothing here waits a fixed time for the program to react: every check polls
for its condition until a generous deadline, since the machine is shared and
the program may run under the sanitizers.
"""

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

# How long any one condition may take to come true. Generous on purpose.
TIMEOUT = 60.0
POLL = 0.05

# Colours of the palette, as they appear on the screen.
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
BEIGE = (176, 160, 144)
ACTIVE = (64, 192, 255)
RED = (255, 64, 64)
BLUE = (64, 64, 255)


class DriverError(AssertionError):
    """A condition did not come true in time, or a tool failed."""


def wait_until(condition, what, timeout=TIMEOUT):
    """Polls `condition` until it returns something true and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise DriverError("timed out waiting for " + what)
        time.sleep(POLL)


# ----------------------------------------------------------------------------
# Pictures
# ----------------------------------------------------------------------------

class Picture:
    """An RGB picture of the window or of a part of it."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb  # bytes, 3 per pixel, top row first

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, x, y, w, h):
        rows = [self.rgb[((y + r) * self.width + x) * 3:((y + r) * self.width + x + w) * 3] for r in range(h)]
        return Picture(w, h, b"".join(rows))

    def count(self, colour):
        """How many pixels have exactly this colour."""
        data, needle = self.rgb, bytes(colour)
        # Pixel-aligned search over the bytes of the colour.
        total = 0
        start = data.find(needle)
        while start >= 0:
            if start % 3 == 0:
                total += 1
                start = data.find(needle, start + 3)
            else:
                start = data.find(needle, start + 1)
        return total

    def differing_pixels(self, other):
        """How many pixels differ from `other` (same size)."""
        assert (self.width, self.height) == (other.width, other.height)
        a, b = self.rgb, other.rgb
        return 0 if a == b else sum(a[i:i + 3] != b[i:i + 3] for i in range(0, len(a), 3))

    def save_png(self, path):
        """Writes the picture as PNG (through ImageMagick)."""
        header = b"P6 %d %d 255\n" % (self.width, self.height)
        subprocess.run(["convert", "ppm:-", "png:" + path], input=header + self.rgb, check=True)


# ----------------------------------------------------------------------------
# The X server
# ----------------------------------------------------------------------------

class VirtualDisplay:
    """An Xvfb server on a display number it chooses itself (-displayfd)."""

    def __init__(self, width=2400, height=2100):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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


class XConnection:
    """A connection of our own to the X server, through libX11, for what xdotool does not do:
    reading the window's pixels quickly, its size, and the window manager's close request."""

    class _Image(ctypes.Structure):
        _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                    ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                    ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                    ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                    ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                    ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]

    class _ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    _ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)

    def __init__(self, display_name):
        x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XGetImage.restype = ctypes.POINTER(XConnection._Image)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.POINTER(XConnection._Image)]
        x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x11.XSetErrorHandler.argtypes = [XConnection._ERROR_HANDLER]
        self.x11 = x11
        # A window that is resized or closed while we read it gives an X
        # error; that read is simply tried again, so errors are ignored
        # instead of ending this process (Xlib's default).
        self._ignore_errors = XConnection._ERROR_HANDLER(lambda display, error: 0)
        x11.XSetErrorHandler(self._ignore_errors)
        self.display = x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise DriverError("cannot open display " + display_name)

    def size(self, window):
        """(width, height) of the window."""
        attributes = (ctypes.c_int * 64)()
        if not self.x11.XGetWindowAttributes(self.display, window, attributes):
            raise DriverError("no window %d" % window)
        return attributes[2], attributes[3]

    def picture(self, window):
        """The window's pixels as a Picture, or None if they could not be read."""
        width, height = self.size(window)
        image = self.x11.XGetImage(self.display, window, 0, 0, width, height, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return None
        try:
            im = image.contents
            if im.bits_per_pixel != 32 or im.bytes_per_line != width * 4 or im.byte_order != 0:
                raise DriverError("unexpected window image layout")
            data = ctypes.string_at(im.data, im.bytes_per_line * height)
            shifts = [(mask & -mask).bit_length() - 1 for mask in (im.red_mask, im.green_mask, im.blue_mask)]
        finally:
            self.x11.XDestroyImage(image)
        rgb = bytearray(width * height * 3)
        for channel, shift in enumerate(shifts):
            rgb[channel::3] = data[shift // 8::4]
        return Picture(width, height, bytes(rgb))

    def close_window(self, window):
        """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
        message = XConnection._ClientMessage()
        message.type = 33  # ClientMessage
        message.display = self.display
        message.window = window
        message.message_type = self.x11.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        message.format = 32
        message.data[0] = self.x11.XInternAtom(self.display, b"WM_DELETE_WINDOW", 0)
        message.data[1] = 0  # CurrentTime
        event = (ctypes.c_long * 24)()
        ctypes.memmove(event, ctypes.byref(message), ctypes.sizeof(message))
        self.x11.XSendEvent(self.display, window, 0, 0, event)
        self.x11.XSync(self.display, 0)

    def close(self):
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None


# ----------------------------------------------------------------------------
# The program
# ----------------------------------------------------------------------------

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
        command = [os.path.abspath(binary), *arguments]
        try:
            for attempt in (1, 2):
                self._launch(command, environment)
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
            self.x = XConnection(display.name)
            # The first frames are drawn once the panel's beige shows.
            self.wait_for_picture(lambda p: p.pixel(self.geometry()[1] + 5, 5) == BEIGE, "the first frame")
        except DriverError as error:
            self.kill()
            raise DriverError("%s\n--- console ---\n%s" % (error, self.console())) from None

    def _launch(self, command, environment):
        self._log = open(self.log_path, "wb")
        self.process = subprocess.Popen(command, cwd=self.workdir, env=environment,
                                        stdout=self._log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)

    def windows(self):
        """What the X server knows of windows named Zelto, mapped or not."""
        search = self.xdotool("search", "--name", "Zelto", check=False)
        lines = ["X server %s; xdotool search: status %d %s" % (self.display.name, search.returncode,
                                                              search.stderr.strip())]
        found = search.stdout.split()
        for window in found:
            info = subprocess.run(["xwininfo", "-id", window], env=self.display.environment,
                                  capture_output=True, text=True, timeout=TIMEOUT).stdout
            lines += [window + ": " + line.strip() for line in info.splitlines()
                      if line.strip().startswith(("Width", "Height", "Map State"))]
        return "\n".join(lines if found else lines + ["no window named Zelto"])

    def _find_window(self):
        result = self.xdotool("search", "--onlyvisible", "--name", "^Zelto$", check=False)
        if self.process.poll() is not None:
            raise DriverError("zelto ended at start:\n" + self.console())
        ids = result.stdout.split()
        return ids[0] if ids else None

    # -- tools ----------------------------------------------------------------

    def xdotool(self, *arguments, check=True):
        result = subprocess.run(["xdotool", *map(str, arguments)], env=self.display.environment,
                                capture_output=True, text=True, timeout=TIMEOUT)
        if check and result.returncode != 0:
            raise DriverError("xdotool %s failed: %s" % (" ".join(map(str, arguments)), result.stderr))
        return result

    def console(self):
        with open(self.log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def wait_for_console(self, pattern, what=None):
        """Waits until a console line matches the regular expression; returns the match."""
        regex = re.compile(pattern, re.MULTILINE)
        return wait_until(lambda: regex.search(self.console()), what or "console line /%s/" % pattern)

    def wait_for_file(self, pattern):
        """Waits until files match and are no longer growing; returns their paths."""
        def complete():
            found = sorted(glob.glob(os.path.join(self.workdir, pattern)))
            sizes = [os.path.getsize(p) for p in found]
            time.sleep(0.2)
            return found if found and sizes == [os.path.getsize(p) for p in found] and all(sizes) else None
        return wait_until(complete, "file(s) " + pattern)

    # -- window ---------------------------------------------------------------

    def geometry(self):
        """(width, height) of the window as the X server has it."""
        return self.x.size(self.window)

    def picture(self):
        return wait_until(lambda: self.x.picture(self.window), "a picture of the window")

    def wait_for_picture(self, condition, what):
        """Takes pictures until one satisfies `condition`; returns that picture."""
        def check():
            picture = self.picture()
            return picture if condition(picture) else None
        return wait_until(check, what)

    def steady_picture(self):
        """A picture that the next one repeats exactly: nothing moves."""
        previous = [self.picture()]

        def settled():
            current = self.picture()
            same = current.rgb == previous[0].rgb
            previous[0] = current
            return current if same else None
        return wait_until(settled, "a steady picture")

    # -- mouse and keyboard ---------------------------------------------------

    def move(self, x, y):
        self.xdotool("mousemove", "--window", self.window, x, y)

    def click(self, x, y, button=1):
        self.move(x, y)
        self.xdotool("click", button)

    def click_rect(self, rect, button=1):
        """Clicks the middle of a widget rectangle (x, y, w, h)."""
        x, y, w, h = rect
        self.click(x + w // 2, y + h // 2, button)

    def drag_to(self, start, end, button=1, steps=8):
        """Presses at `start`, moves in steps to `end` (window coordinates), releases."""
        self.move(*start)
        self.xdotool("mousedown", button)
        for i in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
        self.xdotool("mouseup", button)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def enter_text(self, rect, text):
        """Clicks into a text field, types `text` and confirms it with Enter.

        A field being edited is inverted: white behind the text instead of
        black. The program turns text input on only while a field is
        edited, so typing waits until the click has been handled.
        """
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
            self._log.close()
            self.x.close()

    def kill(self):
        """Ends a run that a failed test left behind."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if hasattr(self, "x"):
            self.x.close()
        if not self._log.closed:
            self._log.close()

    def remove_workdir(self):
        shutil.rmtree(self.workdir, ignore_errors=True)
