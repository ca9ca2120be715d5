"""A private X desktop for end-to-end journeys through the real plivora program.

Each journey gets its own Xvfb server with openbox as window manager, its own copy of the program
in a scratch folder (so that the settings file written beside it is private) and its own picture
folder. The helpers here drive the desktop as a person would, through xdotool and wmctrl, and read
back what a person would see: window titles, window places and screen pixels.

Only the Python standard library is used; the X tools are the Debian packages that
scripts/install-deps.sh installs, and fast screen reads call their libX11 and libXtst through
ctypes.
"""

import ctypes
import os
import re
import shutil
import signal
import struct
import subprocess
import time
import zlib

# Tools without which no journey can run; a missing one skips the suite rather than failing it.
REQUIRED_TOOLS = (
    "Xvfb", "openbox", "xdotool", "wmctrl", "xclip", "xwininfo", "xprop", "xmessage", "import",
    "convert",
)

SCREEN_WIDTH = 1280
SCREEN_HEIGHT = 800

# Every wait polls at this interval and gives up with a message at its own deadline.
POLL_SECONDS = 0.05


class JourneyError(AssertionError):
    """A step of a journey did not see what a person would have seen."""


def find_tool(name):
    # ImageMagick's own convert in /usr/bin comes before any wrapper of the same name on PATH.
    for folder in ("/usr/bin", "/bin"):
        path = os.path.join(folder, name)
        if os.access(path, os.X_OK):
            return path
    return shutil.which(name)


def missing_tools():
    return [name for name in REQUIRED_TOOLS if find_tool(name) is None]


def wait_for(condition, timeout, what):
    """Polls condition() until it returns something true, and returns that; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise JourneyError(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(POLL_SECONDS)


def stop_process(process, grace=5.0):
    """Ends one process started by this harness: politely first, then for sure."""
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=grace)


class Image:
    """An RGB picture of part of the screen, as read from a PPM grab."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb

    @classmethod
    def from_ppm(cls, data):
        # Header: "P6", width, height, maximum value, each separated by white space, then one
        # white-space byte and the pixels; comments start with '#'.
        fields = []
        at = 0
        while len(fields) < 4:
            while data[at : at + 1].isspace():
                at += 1
            if data[at : at + 1] == b"#":
                at = data.index(b"\n", at) + 1
                continue
            start = at
            while not data[at : at + 1].isspace():
                at += 1
            fields.append(data[start:at])
        at += 1
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise JourneyError(f"unexpected screen grab format {fields[0]!r} {fields[3]!r}")
        width, height = int(fields[1]), int(fields[2])
        rgb = data[at : at + width * height * 3]
        if len(rgb) != width * height * 3:
            raise JourneyError("screen grab shorter than its header says")
        return cls(width, height, rgb)

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at : at + 3])

    def crop(self, x, y, width, height):
        rows = []
        for row in range(y, y + height):
            at = (row * self.width + x) * 3
            rows.append(self.rgb[at : at + width * 3])
        return Image(width, height, b"".join(rows))

    def pixels(self):
        rgb = self.rgb
        for at in range(0, len(rgb), 3):
            yield (rgb[at], rgb[at + 1], rgb[at + 2])

    def count_near(self, colour, tolerance=40):
        """How many pixels lie within tolerance (per channel) of colour."""
        r0, g0, b0 = colour
        return sum(
            1
            for r, g, b in self.pixels()
            if abs(r - r0) <= tolerance and abs(g - g0) <= tolerance and abs(b - b0) <= tolerance
        )

    def share_near(self, colour, tolerance=40):
        return self.count_near(colour, tolerance) / (self.width * self.height)

    def find(self, colour, tolerance=30):
        """The centre of the pixels near colour, or None when there are none."""
        r0, g0, b0 = colour
        xs = ys = n = 0
        for index, (r, g, b) in enumerate(self.pixels()):
            if abs(r - r0) <= tolerance and abs(g - g0) <= tolerance and abs(b - b0) <= tolerance:
                xs += index % self.width
                ys += index // self.width
                n += 1
        if n == 0:
            return None
        return (xs // n, ys // n)

    def same_as(self, other):
        return (self.width, self.height, self.rgb) == (other.width, other.height, other.rgb)

    def save_png(self, path):
        def chunk(kind, body):
            return (
                struct.pack(">I", len(body))
                + kind
                + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
            )

        stride = self.width * 3
        raw = b"".join(
            b"\x00" + self.rgb[row * stride : (row + 1) * stride] for row in range(self.height)
        )
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            out.write(chunk(b"IHDR", header))
            out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
            out.write(chunk(b"IEND", b""))


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int),
        ("height", ctypes.c_int),
        ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int),
        ("data", ctypes.POINTER(ctypes.c_char)),
        ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
    ]


class XScreen:
    """The desktop's screen read and clicked through Xlib directly (libX11 and libXtst through
    ctypes): a read of a few pixels takes well under a millisecond and one of a large region a few
    tens, where a grab through ImageMagick takes a few hundred. For watching something change
    while it happens."""

    Z_PIXMAP = 2
    ALL_PLANES = 0xFFFFFFFF

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
            ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int,
        ]
        self.x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeMotionEvent.argtypes = [
            ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong,
        ]
        self.xtst.XTestFakeButtonEvent.argtypes = [
            ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong,
        ]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise JourneyError(f"cannot open the display {display}")
        self.root = self.x11.XDefaultRootWindow(self.display)

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def grab(self, x, y, width, height, step=1):
        """A region of the screen; with a step above 1, only every step-th pixel of every
        step-th row, for a quick look at a large region."""
        image = self.x11.XGetImage(
            self.display, self.root, x, y, width, height, self.ALL_PLANES, self.Z_PIXMAP
        )
        if not image:
            raise JourneyError(f"XGetImage failed for {width}x{height}+{x}+{y}")
        try:
            info = image.contents
            if info.bits_per_pixel != 32:
                raise JourneyError(f"a screen of {info.bits_per_pixel} bits per pixel")
            stride = info.bytes_per_line
            raw = ctypes.string_at(info.data, stride * height)
        finally:
            self.x11.XDestroyImage(image)
        rows = range(0, height, step)
        columns = len(range(0, width, step))
        rgb = bytearray(columns * len(rows) * 3)
        for out, row in enumerate(rows):
            line = raw[row * stride : row * stride + width * 4 : 1]
            at = out * columns * 3
            rgb[at : at + columns * 3 : 3] = line[2 :: 4 * step]
            rgb[at + 1 : at + columns * 3 : 3] = line[1 :: 4 * step]
            rgb[at + 2 : at + columns * 3 : 3] = line[0 :: 4 * step]
        return Image(columns, len(rows), bytes(rgb))

    def click(self, x, y):
        """Moves the pointer and clicks the left button; returns the time the click was sent."""
        self.xtst.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        self.x11.XSync(self.display, 0)
        sent = time.monotonic()
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x11.XFlush(self.display)
        return sent


class WindowPlace:
    """A window's client area on the screen in pixels, and whether it is on screen."""

    def __init__(self, x, y, width, height, viewable):
        self.x = x
        self.y = y
        self.width = width
        self.height = height
        self.viewable = viewable

    def __repr__(self):
        state = "viewable" if self.viewable else "not viewable"
        return f"{self.width}x{self.height}+{self.x}+{self.y} ({state})"


class Desktop:
    """One Xvfb server with openbox, and the X tools pointed at it."""

    def __init__(self, folder):
        self.folder = folder
        self.display = None
        self.env = None
        self._xvfb = None
        self._openbox = None
        self._screen = None
        self._logs = []

    # ---- Start and stop ----

    def start(self, timeout=20.0):
        home = os.path.join(self.folder, "home")
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(home, exist_ok=True)
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        # Xvfb picks a free display number itself and writes it to the pipe once it listens.
        read_end, write_end = os.pipe()
        log = self._log("xvfb.log")
        try:
            self._xvfb = subprocess.Popen(
                [
                    find_tool("Xvfb"),
                    "-displayfd",
                    str(write_end),
                    "-screen",
                    "0",
                    f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24",
                    "-dpi",
                    "96",
                    "-nolisten",
                    "tcp",
                    "-noreset",
                ],
                pass_fds=(write_end,),
                stdout=log,
                stderr=subprocess.STDOUT,
                start_new_session=True,
            )
        finally:
            os.close(write_end)
        number = self._read_display_number(read_end, timeout)
        self.display = f":{number}"
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "DISPLAY": self.display,
            "HOME": home,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "LANG": "C.UTF-8",
        }
        self._openbox = subprocess.Popen(
            [find_tool("openbox"), "--sm-disable"],
            env=self.env,
            stdout=self._log("openbox.log"),
            stderr=subprocess.STDOUT,
            start_new_session=True,
        )
        wait_for(self._window_manager_running, timeout, "openbox to manage the screen")

    def _read_display_number(self, read_end, timeout):
        deadline = time.monotonic() + timeout
        text = b""
        try:
            os.set_blocking(read_end, False)
            while not text.endswith(b"\n"):
                if self._xvfb.poll() is not None:
                    raise JourneyError("Xvfb ended before it reported its display")
                if time.monotonic() >= deadline:
                    raise JourneyError(f"Xvfb reported no display within {timeout:.0f} s")
                try:
                    chunk = os.read(read_end, 64)
                except BlockingIOError:
                    time.sleep(POLL_SECONDS)
                    continue
                if not chunk:
                    raise JourneyError("Xvfb closed its display pipe without a number")
                text += chunk
        finally:
            os.close(read_end)
        return int(text.strip())

    def _window_manager_running(self):
        result = self.run(["wmctrl", "-m"], check=False)
        return result.returncode == 0 and "openbox" in result.stdout.lower()

    def _log(self, name):
        handle = open(os.path.join(self.folder, name), "wb")
        self._logs.append(handle)
        return handle

    def stop(self):
        if self._screen is not None:
            self._screen.close()
            self._screen = None
        stop_process(self._openbox)
        stop_process(self._xvfb)
        for handle in self._logs:
            handle.close()
        self._logs = []

    # ---- The X tools ----

    def run(self, command, check=True, timeout=15.0, binary=False):
        """Runs an X tool on this desktop; its output is text unless binary is set."""
        tool = find_tool(command[0]) or command[0]
        result = subprocess.run(
            [tool, *command[1:]],
            env=self.env,
            stdin=subprocess.DEVNULL,
            capture_output=True,
            timeout=timeout,
        )
        if not binary:
            result.stdout = result.stdout.decode("utf-8", "replace")
        if check and result.returncode != 0:
            raise JourneyError(
                f"{' '.join(command)} failed ({result.returncode}): "
                f"{result.stderr.decode('utf-8', 'replace').strip()}"
            )
        return result

    def xdotool(self, *args, check=True):
        return self.run(["xdotool", *map(str, args)], check=check).stdout

    # ---- Windows ----

    def find_windows(self, name_pattern, visible_only=True):
        """Ids of the windows whose whole title matches the regular expression."""
        args = ["search"]
        if visible_only:
            args.append("--onlyvisible")
        args += ["--name", name_pattern]
        out = self.xdotool(*args, check=False)
        return [int(line) for line in out.split()]

    def wait_window(self, name_pattern, timeout=30.0, what=None):
        """Waits for a visible window whose title matches, with xdotool's own --sync wait."""
        try:
            out = self.run(
                ["xdotool", "search", "--sync", "--onlyvisible", "--name", name_pattern],
                timeout=timeout,
            ).stdout
        except subprocess.TimeoutExpired:
            raise JourneyError(
                f"timed out after {timeout:.0f} s waiting for {what or 'window ' + name_pattern}"
            ) from None
        return int(out.split()[0])

    def window_name(self, window):
        return self.xdotool("getwindowname", window).rstrip("\n")

    def wait_window_name(self, window, expected, timeout=10.0):
        seen = []

        def matches():
            name = self.window_name(window)
            seen[:] = [name]
            return name == expected

        try:
            wait_for(matches, timeout, f"the title {expected!r}")
        except JourneyError as error:
            raise JourneyError(f"{error}; the title is {seen[0]!r}") from None

    def place(self, window):
        """The client area of a window on the screen, from xwininfo."""
        out = self.run(["xwininfo", "-id", str(window)]).stdout

        def field(label):
            match = re.search(rf"^\s*{re.escape(label)}:\s*(-?\d+)", out, re.MULTILINE)
            if not match:
                raise JourneyError(f"xwininfo gave no {label!r} for window {window}")
            return int(match.group(1))

        viewable = re.search(r"Map State:\s*IsViewable", out) is not None
        return WindowPlace(
            field("Absolute upper-left X"),
            field("Absolute upper-left Y"),
            field("Width"),
            field("Height"),
            viewable,
        )

    def frame_extents(self, window):
        """The window manager's frame around a window: left, right, top, bottom in pixels."""
        out = self.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"]).stdout
        numbers = re.findall(r"\d+", out.split("=", 1)[-1])
        if len(numbers) != 4:
            raise JourneyError(f"window {window} has no frame extents: {out.strip()}")
        return tuple(int(n) for n in numbers)

    def outer_top_left(self, window):
        """The top-left corner of a window's frame on the screen."""
        place = self.place(window)
        left, _, top, _ = self.frame_extents(window)
        return place.x - left, place.y - top

    def is_viewable(self, window):
        result = self.run(["xwininfo", "-id", str(window)], check=False)
        return result.returncode == 0 and "IsViewable" in result.stdout

    def window_state(self, window):
        return self.run(["xprop", "-id", str(window), "_NET_WM_STATE"], check=False).stdout

    def stacking(self):
        """The managed windows from bottom to top, as the window manager stacks them."""
        out = self.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"]).stdout
        return [int(n, 16) for n in re.findall(r"0x[0-9a-fA-F]+", out)]

    def open_cover(self, x, y, width, height, above=True):
        """Another program's window over a region, active and on top of its layer (kept above
        normal windows, as a topmost one is, unless above is False): what covers a window of the
        program under test. Returns the process and the window."""
        process = subprocess.Popen(
            [find_tool("xmessage"), "-name", "cover", "-title", "cover", "-geometry",
             f"{width}x{height}+{x}+{y}", "a covering window"],
            env=self.env,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            start_new_session=True,
        )
        window = self.wait_window("^cover$", 10.0, "the covering window")
        if above:
            self.run(["wmctrl", "-i", "-r", hex(window), "-b", "add,above"])
        self.run(["wmctrl", "-i", "-a", hex(window)])
        return process, window

    def is_above(self, upper, lower):
        """Whether the window manager stacks one window above another."""
        order = self.stacking()
        return upper in order and lower in order and order.index(upper) > order.index(lower)

    # ---- Input ----

    def pointer(self):
        out = self.xdotool("getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"])

    def move_pointer(self, x, y):
        # xdotool's --sync waits for the pointer to move, which it never does when already there.
        if self.pointer() != (x, y):
            self.xdotool("mousemove", "--sync", x, y)

    def click_at(self, x, y, button=1):
        self.move_pointer(x, y)
        self.xdotool("click", button)

    def click_in(self, window, x, y, button=1):
        """Clicks at a client-area pixel of a window."""
        place = self.place(window)
        self.click_at(place.x + x, place.y + y, button)

    def activate(self, window):
        self.xdotool("windowactivate", "--sync", window, check=False)
        wait_for(
            lambda: self.xdotool("getactivewindow", check=False).strip() == str(window),
            5.0,
            f"window {window} to take the keyboard focus",
        )

    def key(self, *keys):
        self.xdotool("key", "--delay", "60", *keys)

    # ---- Pixels ----

    def grab(self, x=0, y=0, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        data = self.run(
            ["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage"]
            + ["-depth", "8", "ppm:-"],
            binary=True,
        ).stdout
        return Image.from_ppm(data)

    def grab_client(self, window, x=0, y=0, width=None, height=None):
        """A region of a window's client area, in client pixels; the whole client by default."""
        place = self.place(window)
        width = place.width - x if width is None else width
        height = place.height - y if height is None else height
        return self.grab(place.x + x, place.y + y, width, height)

    def fast_screen(self):
        """The screen read through Xlib, for watching a change while it happens."""
        if self._screen is None:
            self._screen = XScreen(self.display)
        return self._screen

    def fast_grab_client(self, window, x, y, width, height, step=1):
        place = self.place(window)
        return self.fast_screen().grab(place.x + x, place.y + y, width, height, step)

    def clipboard_text(self):
        result = self.run(["xclip", "-o", "-selection", "clipboard"], check=False, timeout=10.0)
        return result.stdout if result.returncode == 0 else None


class Plivora:
    """One run of a private copy of the plivora program on a desktop."""

    MAIN_TITLE = "Plivora - Image Viewer"
    PANEL_TITLE = "Plivora Image Viewer"

    def __init__(self, desktop, program_copy, start_folder, temp_folder, log_path):
        self.desktop = desktop
        self.program = program_copy
        self.start_folder = start_folder
        self.temp_folder = temp_folder
        self.log_path = log_path
        self.process = None
        self._log = None

    @property
    def settings_file(self):
        return os.path.join(os.path.dirname(self.program), "qeliv.ini")

    def start(self, args=(), env_changes=None):
        """Starts the program with command-line arguments; env_changes sets variables of its
        environment, or removes those given as None."""
        env = dict(self.desktop.env)
        env.update(
            {
                "TMPDIR": self.temp_folder,
                "QT_QPA_PLATFORM": "xcb",
                # The program under test is checked for faults, not for the caches Qt and
                # fontconfig keep until the end.
                "ASAN_OPTIONS": "detect_leaks=0:abort_on_error=0",
                "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
            }
        )
        for name, value in (env_changes or {}).items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        self._log = open(self.log_path, "ab")
        self.process = subprocess.Popen(
            [self.program, *args],
            cwd=self.start_folder,
            env=env,
            stdin=subprocess.DEVNULL,
            stdout=self._log,
            stderr=subprocess.STDOUT,
            start_new_session=True,
        )

    def wait_main_window(self, title=MAIN_TITLE, timeout=40.0):
        # The first main window that maps; the thumbnail window starts with the same title but
        # is not shown at start.
        return self.desktop.wait_window(
            "^" + re.escape(title) + "$", timeout, "the main window to appear"
        )

    def wait_exit(self, timeout=20.0):
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise JourneyError(f"the program did not end within {timeout:.0f} s") from None
        self._close_log()
        return code

    def output(self):
        with open(self.log_path, "rb") as log:
            return log.read().decode("utf-8", "replace")

    def faults(self):
        """Sanitizer and Qt fatal reports in the program's output."""
        if not os.path.exists(self.log_path):
            return []
        with open(self.log_path, "rb") as log:
            text = log.read().decode("utf-8", "replace")
        patterns = ("ERROR: AddressSanitizer", "runtime error:", "QFATAL", "Segmentation fault")
        return [line for line in text.splitlines() if any(p in line for p in patterns)]

    def stop(self):
        stop_process(self.process)
        self._close_log()

    def _close_log(self):
        if self._log is not None:
            self._log.close()
            self._log = None


def make_pictures(folder, specs):
    """Writes pictures with ImageMagick's convert: each spec is (file name, convert arguments)."""
    os.makedirs(folder, exist_ok=True)
    convert = find_tool("convert")
    for name, args in specs:
        os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
        subprocess.run(
            [convert, *args, os.path.join(folder, name)], check=True, capture_output=True
        )


def make_picture_series(folder, pattern, sources, size="24x24"):
    """Writes one picture per ImageMagick source ("xc:red", "gradient:a-b", ...) in a single
    convert call; pattern holds a %03d for the number."""
    os.makedirs(folder, exist_ok=True)
    subprocess.run(
        [find_tool("convert"), "-size", size, *sources, "+adjoin", os.path.join(folder, pattern)],
        check=True,
        capture_output=True,
    )
