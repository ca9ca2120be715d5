#!/usr/bin/env python3
"""End-to-end journeys: the real plivora program on a private X desktop, driven as a person would.

    journeys.py --program PATH --output FOLDER [unittest arguments, e.g. Journeys.test_tiny_mode]

Each journey starts a fresh Xvfb with openbox, copies the program into a scratch folder (its
settings file is written beside it), makes the pictures it needs, clicks and types with xdotool,
and checks window titles, window places, screen pixels, the clipboard and the files left behind.
Screenshots of each step go to FOLDER/<journey>/, with the program's output beside them.

Exit code 77 means the X tools are missing (CTest counts the run as skipped).
"""

import argparse
import os
import shutil
import signal
import struct
import sys
import tempfile
import time
import unittest

# The harness module is imported from this folder without leaving compiled files in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import (  # noqa: E402
    Desktop,
    JourneyError,
    Plivora,
    make_picture_series,
    make_pictures,
    missing_tools,
    stop_process,
    wait_for,
)

SKIP_EXIT_CODE = 77

# Set from the command line before the journeys run.
PROGRAM = None
OUTPUT = None

# The main window's client area at 96 DPI (5928 x 3300 twips), and its vertical arrangement.
MAIN_CLIENT = (395, 220)
VERTICAL_CLIENT = (220, 395)

# Control places in client pixels (twips / 15), from the main window's designed layout.
FILE_LIST = (176, 40, 97, 141)
PICTURE_AREA = (8, 40, 161, 145)
LABELS_FRAME = (0, 192, 393, 25)
ANIMATION = (16, 88, 145, 89)
BUTTON_SHAPE = (16, 0, 41, 17)
BUTTON_SHAPE_VERTICAL = (8, 0, 41, 17)
BUTTON_TINY = (56, 0, 33, 17)
BUTTON_VIEW_ALL = (80, 16, 57, 17)
BUTTON_REAL_SIZE = (16, 16, 65, 17)
BUTTON_PLAY = (136, 16, 20, 17)
BUTTON_SHOW_ANIMATION = (136, 0, 20, 17)
BUTTON_BACK_COLOUR = (88, 0, 49, 17)
LOGO = (328, 8, 57, 22)
BACKGROUND = (300, 25)

# Without a stored position the main window's frame stands this far in from the work area's
# right edge (openbox leaves the whole screen as work area), and this far below the floating
# panel's first place at the top of the screen, whose picture is PANEL_HEIGHT pixels high.
START_MARGIN = 8
PANEL_HEIGHT = 24

# The thumbnail window's controls, in its client pixels.
THUMB_BACK = (8, 80, 41, 17)
THUMB_NEXT = (48, 80, 41, 17)
THUMB_SWAP = (6, 8, 20, 17)
THUMB_PAGE_LABEL = (6, 120, 25, 25)
THUMB_LIST_LEFT = 32

SETTINGS_RECORD_LENGTH = 55

# Solid marker colours that the thumbnail journey looks for on screen.
MAGENTA = (255, 0, 255)
YELLOW = (255, 255, 0)
ORANGE = (255, 140, 0)
GREEN = (0, 160, 0)


def centre(rect):
    x, y, width, height = rect
    return x + width // 2, y + height // 2


def settings_records(path):
    with open(path, "rb") as settings:
        data = settings.read()
    records = []
    for at in range(0, len(data) - SETTINGS_RECORD_LENGTH + 1, SETTINGS_RECORD_LENGTH):
        record = data[at : at + SETTINGS_RECORD_LENGTH]
        top, left = struct.unpack("<ii", record[17:25])
        records.append(
            {
                "section": record[:17].decode("latin-1").strip(" \0"),
                "top": top,
                "left": left,
                "value": record[25:].decode("latin-1").strip(" \0"),
            }
        )
    return data, records


class Journeys(unittest.TestCase):
    """One test per journey; each has a desktop, a program copy and pictures of its own."""

    def setUp(self):
        self.journey = self.id().rsplit(".", 1)[-1].removeprefix("test_")
        self.shots = os.path.join(OUTPUT, self.journey)
        shutil.rmtree(self.shots, ignore_errors=True)
        os.makedirs(self.shots)
        self.scratch = tempfile.mkdtemp(prefix=f"plivora-e2e-{self.journey}-")
        self.addCleanup(shutil.rmtree, self.scratch, ignore_errors=True)

        self.program = os.path.join(self.scratch, "program", "plivora")
        os.makedirs(os.path.dirname(self.program))
        shutil.copy2(PROGRAM, self.program)
        self.pictures = os.path.join(self.scratch, "pictures")
        os.makedirs(self.pictures)
        self.temp = os.path.join(self.scratch, "tmp")
        os.makedirs(self.temp, mode=0o700)

        self.desktop = Desktop(os.path.join(self.scratch, "desktop"))
        self.addCleanup(self.desktop.stop)
        self.desktop.start()
        self.runs = []
        self.step = 0

    def tearDown(self):
        for run in self.runs:
            run.stop()
        for number, run in enumerate(self.runs, start=1):
            faults = run.faults()
            self.assertEqual(
                faults, [], f"run {number} of the program reported faults; see {run.log_path}"
            )

    # ---- Helpers ----

    def launch(self, args=(), env_changes=None, title=Plivora.MAIN_TITLE):
        run = Plivora(
            self.desktop,
            self.program,
            self.pictures,
            self.temp,
            os.path.join(self.shots, f"program-run{len(self.runs) + 1}.log"),
        )
        self.runs.append(run)
        run.start(args, env_changes)
        window = run.wait_main_window(title)
        # The first paint follows the map; the title is set before the window is shown.
        self.desktop.wait_window_name(window, title)
        return run, window

    def shot(self, name, image=None):
        """Saves the screen (or an image) as the journey's next numbered screenshot."""
        self.step += 1
        path = os.path.join(self.shots, f"{self.step:02d}-{name}.png")
        (image or self.desktop.grab()).save_png(path)
        return path

    def window_with_frame(self, window):
        place = self.desktop.place(window)
        left, right, top, bottom = self.desktop.frame_extents(window)
        return self.desktop.grab(
            place.x - left, place.y - top, place.width + left + right, place.height + top + bottom
        )

    def assert_position_record(self, record, outer):
        """The settings file's position record holds a window's outer top-left in twips."""
        self.assertEqual(record["section"], "[Form1Pos]")
        self.assertEqual((record["left"], record["top"]), (outer[0] * 15, outer[1] * 15))

    def click(self, window, rect, button=1):
        self.desktop.click_in(window, *centre(rect), button=button)

    def close_politely(self, run, window):
        self.desktop.run(["wmctrl", "-i", "-c", hex(window)])
        self.assertEqual(run.wait_exit(), 0, "the program's exit code after a polite close")

    def assert_client_size(self, window, expected, tolerance=0, what="client size"):
        def fits():
            place = self.desktop.place(window)
            return (
                abs(place.width - expected[0]) <= tolerance
                and abs(place.height - expected[1]) <= tolerance
            )

        try:
            wait_for(fits, 10.0, f"the {what} {expected[0]} x {expected[1]}")
        except JourneyError as error:
            raise JourneyError(f"{error}; the window is {self.desktop.place(window)}") from None

    def region_changes(self, window, rect, before, what, timeout=10.0):
        """Waits until a client region differs from the image before, and returns it."""
        state = {}

        def changed():
            state["now"] = self.desktop.grab_client(window, *rect)
            return not state["now"].same_as(before)

        wait_for(changed, timeout, f"{what} to change")
        return state["now"]

    # ---- Journey 1: browse, title, labels, position kept ----

    def test_browse_and_keep_place(self):
        desktop = self.desktop
        make_pictures(
            self.pictures,
            [
                ("autumn.jpg", ["-size", "320x240", "radial-gradient:orange-darkred"]),
                ("harbour.bmp", ["-size", "120x90", "gradient:skyblue-navy"]),
                ("meadow.gif", ["-size", "100x80", "gradient:yellowgreen-darkgreen"]),
            ],
        )
        with open(os.path.join(self.pictures, "notes.txt"), "w") as notes:
            notes.write("not a picture\n")
        self.assertFalse(os.path.exists(os.path.join(os.path.dirname(self.program), "qeliv.ini")))

        run, window = self.launch()
        self.assert_client_size(window, MAIN_CLIENT)
        labels_empty = desktop.grab_client(window, *LABELS_FRAME)
        self.shot("started")

        # The first file of the list, then the arrow keys through the others.
        x, y, _, _ = FILE_LIST
        desktop.click_in(window, x + 30, y + 8)
        desktop.wait_window_name(window, os.path.join(self.pictures, "autumn.jpg"))
        labels_autumn = self.region_changes(window, LABELS_FRAME, labels_empty, "the labels")
        # The 320 x 240 picture is scaled to the area's width, 160 x 120: it is all orange and red,
        # also where the animation surface stands over the lower part of the area, which shows
        # nothing while it holds no GIF.
        def reddish_share(image):
            reddish = sum(1 for r, g, b in image.pixels() if r > 120 and b < 90 and r > g + 30)
            return reddish / (image.width * image.height)

        px, py, pw, _ = PICTURE_AREA
        picture = desktop.grab_client(window, px, py, pw, ANIMATION[1] - py)
        self.assertGreater(reddish_share(picture), 0.9, "the picture area")
        ax, ay, aw, _ = ANIMATION
        under_animation = desktop.grab_client(window, ax, ay, aw, py + 118 - ay)
        self.assertGreater(
            reddish_share(under_animation), 0.9, "the picture where the empty animation surface is"
        )
        self.shot("autumn")
        self.shot("main-window", self.window_with_frame(window))

        desktop.key("Down")
        desktop.wait_window_name(window, os.path.join(self.pictures, "harbour.bmp"))
        labels_harbour = self.region_changes(window, LABELS_FRAME, labels_autumn, "the labels")
        self.shot("harbour")
        desktop.key("Down")
        desktop.wait_window_name(window, os.path.join(self.pictures, "meadow.gif"))
        self.region_changes(window, LABELS_FRAME, labels_harbour, "the labels")
        # The text file is not in the list: a further Down stays on the last picture.
        desktop.key("Down")
        time.sleep(0.3)
        self.assertEqual(desktop.window_name(window), os.path.join(self.pictures, "meadow.gif"))
        desktop.key("Up")
        desktop.wait_window_name(window, os.path.join(self.pictures, "harbour.bmp"))

        # Move the window and close it: its place is written to the settings file.
        start = desktop.place(window)
        desktop.xdotool("windowmove", window, 300, 200)
        moved = wait_for(
            lambda: (p := desktop.place(window)) and (p.x, p.y) != (start.x, start.y) and p,
            10.0,
            "the window to move",
        )
        outer = desktop.outer_top_left(window)
        self.assertEqual(outer, (300, 200), "the frame's place after the move")
        time.sleep(0.2)  # the program takes the move from the window system's notice
        self.shot("moved")
        self.close_politely(run, window)

        data, records = settings_records(run.settings_file)
        self.assertEqual(len(data), 2 * SETTINGS_RECORD_LENGTH, "the settings file's size")
        self.assertEqual(data[55:65], b"[Form1Pos]")
        self.assert_position_record(records[1], outer)

        run, window = self.launch()
        again = desktop.place(window)
        self.shot("restarted")
        self.assertEqual(
            (again.x, again.y), (moved.x, moved.y), "the window comes back at its place"
        )
        self.close_politely(run, window)

    # ---- Ended by a signal: the place is stored as by the close button ----

    def test_ended_by_signal(self):
        desktop = self.desktop
        make_pictures(self.pictures, [("square.bmp", ["-size", "50x50", "xc:teal"])])
        # Each run goes to a place of its own, so a record left by the run before cannot pass.
        for number, name in enumerate(("SIGTERM", "SIGHUP", "SIGINT")):
            with self.subTest(signal=name):
                run, window = self.launch()
                place = (200 + 40 * number, 150 + 30 * number)
                desktop.xdotool("windowmove", window, *place)
                wait_for(
                    lambda: desktop.outer_top_left(window) == place, 10.0, "the window to move"
                )
                time.sleep(0.2)  # the program takes the move from the window system's notice
                run.process.send_signal(getattr(signal, name))
                self.assertEqual(run.wait_exit(), 0, f"the exit code after {name}")
                _, records = settings_records(run.settings_file)
                self.assert_position_record(records[1], place)

    # ---- Holding an arrow key over large photos ----

    def test_held_arrow_key(self):
        desktop = self.desktop
        # Camera-sized JPEGs: each takes longer to show than the key repeats.
        first = os.path.join(self.pictures, "photo00.jpg")
        make_pictures(self.pictures, [("photo00.jpg", ["-size", "4000x3000", "plasma:"])])
        names = [f"photo{i:02d}.jpg" for i in range(40)]
        for name in names[1:]:
            shutil.copyfile(first, os.path.join(self.pictures, name))

        run, window = self.launch()
        x, y, _, _ = FILE_LIST
        desktop.click_in(window, x + 30, y + 8)
        desktop.wait_window_name(window, os.path.join(self.pictures, names[0]), timeout=20.0)
        # Auto-repeat: a key every 30 ms, far faster than a picture is shown.
        presses = 30
        desktop.xdotool("key", "--delay", "30", *(["Down"] * presses))
        desktop.wait_window_name(window, os.path.join(self.pictures, names[presses]), timeout=30.0)
        time.sleep(1.0)  # nothing older comes back afterwards
        self.assertEqual(desktop.window_name(window), os.path.join(self.pictures, names[presses]))
        self.shot("after-held-key")
        self.close_politely(run, window)

    # ---- Journey 2: an animated GIF plays, stops, hides and shows ----

    def test_animated_gif(self):
        desktop = self.desktop
        make_pictures(
            self.pictures,
            [
                (
                    "dance.gif",
                    ["-delay", "20", "-size", "60x40", "xc:red", "xc:lime", "xc:blue"]
                    + ["-loop", "0"],
                ),
                ("still.bmp", ["-size", "30x30", "xc:gray50"]),
            ],
        )
        run, window = self.launch()
        x, y, _, _ = FILE_LIST
        desktop.click_in(window, x + 30, y + 8)
        desktop.wait_window_name(window, os.path.join(self.pictures, "dance.gif"))

        # A point inside the animation surface where the 60 x 40 frames are drawn.
        ax, ay, _, _ = ANIMATION
        probe = (ax + 20, ay + 15, 20, 10)

        def colour():
            image = desktop.grab_client(window, *probe)
            for name, rgb in (("red", (255, 0, 0)), ("green", (0, 255, 0)), ("blue", (0, 0, 255))):
                if image.share_near(rgb, 30) > 0.9:
                    return name
            return "other"

        wait_for(lambda: colour() == "red", 10.0, "the first frame (red) on the animation surface")
        self.shot("loaded")
        # Frame files are made without a name in TMPDIR, so the folder never lists one (and its
        # modification time does not move); that they are made there is the unit tests' to show.
        self.assertEqual(os.listdir(self.temp), [], "frame files left after the load")

        play_face = desktop.grab_client(window, *BUTTON_PLAY)
        self.click(window, BUTTON_PLAY)
        stop_face = self.region_changes(window, BUTTON_PLAY, play_face, "the play button's face")
        # A grab takes about as long as a frame, longer on a busy machine: the pauses between
        # samples step through the 0.6 s cycle so that the samples do not keep meeting one frame.
        seen = []
        deadline = time.monotonic() + 20.0
        while time.monotonic() < deadline and len(set(seen) - {"other"}) < 3:
            seen.append(colour())
            time.sleep((len(seen) * 0.618) % 1.0 * 0.3)
        self.shot("playing")
        self.assertGreaterEqual(
            len(set(seen) - {"other"}), 3, f"colours seen while playing: {seen}"
        )

        self.click(window, BUTTON_PLAY)  # the same button stops
        self.region_changes(window, BUTTON_PLAY, stop_face, "the stop button's face")
        stopped = [colour()]
        deadline = time.monotonic() + 1.0
        while time.monotonic() < deadline:
            stopped.append(colour())
        self.assertEqual(len(set(stopped)), 1, f"colours seen after stop: {stopped}")
        self.assertNotEqual(stopped[0], "other")
        self.shot("stopped")

        surface = desktop.grab_client(window, *ANIMATION)
        self.click(window, BUTTON_SHOW_ANIMATION)
        hidden = self.region_changes(window, ANIMATION, surface, "the animation surface")
        # Hidden: the window's background shows where the surface was (the picture is elsewhere).
        background = desktop.grab_client(window, 300, 25, 4, 4).pixel(1, 1)
        self.assertGreater(hidden.share_near(background, 8), 0.95, "the hidden surface's place")
        self.shot("hidden")

        self.click(window, BUTTON_SHOW_ANIMATION)
        wait_for(lambda: colour() != "other", 10.0, "the animation surface to show again")
        self.shot("shown-again")

        # "B Color": the animation surface turns black at once around the GIF's first frame.
        ax, ay, aw, ah = ANIMATION
        beside_frame = (ax + 80, ay + 50, aw - 90, ah - 60)
        self.click(window, BUTTON_BACK_COLOUR)
        wait_for(
            lambda: desktop.grab_client(window, *beside_frame).share_near((0, 0, 0), 8) > 0.95,
            10.0,
            "the animation surface to turn black",
        )
        wait_for(lambda: colour() == "red", 10.0, "the first frame drawn over the black surface")
        self.shot("black-background")

        self.close_politely(run, window)
        self.assertEqual(os.listdir(self.temp), [], "the temporary folder after the program ended")

    # ---- Journey 3: the thumbnail window, its pages, picking and the copied path ----

    def test_thumbnails(self):
        desktop = self.desktop
        # 130 pictures: two full pages and ten on the third. Marked ones are solid colours that
        # can be found on screen; the others are gradients of blue and cyan.
        colours = {0: MAGENTA, 59: GREEN, 60: YELLOW, 120: ORANGE}
        specs = []
        for index in range(130):
            if index in colours:
                specs.append("xc:rgb({},{},{})".format(*colours[index]))
            else:
                shade = 60 + index
                specs.append(f"gradient:rgb(0,{shade},230)-rgb(20,230,{shade + 60})")
        make_picture_series(self.pictures, "pic%03d.bmp", specs, size="48x48")

        run, window = self.launch()
        # Move the main window (which stays on top) off the thumbnail window's buttons.
        desktop.xdotool("windowmove", window, 860, 540)
        wait_for(lambda: desktop.place(window).x >= 860, 10.0, "the main window to move")

        self.click(window, BUTTON_VIEW_ALL)
        thumbs = desktop.wait_window("^View All$", 30.0, "the thumbnail window")
        wait_for(
            lambda: "_NET_WM_STATE_MAXIMIZED_VERT" in desktop.window_state(thumbs)
            and "_NET_WM_STATE_MAXIMIZED_HORZ" in desktop.window_state(thumbs),
            10.0,
            "the thumbnail window to be maximised",
        )

        def list_image():
            place = desktop.place(thumbs)
            width = place.width - THUMB_LIST_LEFT
            return desktop.grab_client(thumbs, THUMB_LIST_LEFT, 0, width, 500)

        def shows(*wanted, absent=()):
            image = list_image()
            return all(image.count_near(c, 20) > 1000 for c in wanted) and all(
                image.count_near(c, 20) < 50 for c in absent
            )

        # The page appears thumbnail by thumbnail: the first (magenta) is on screen before the
        # 60th (green) is placed. Every fourth pixel of every fourth row, read through Xlib, is
        # quick enough to see the fill (a thumbnail gives 225 such pixels).
        place = desktop.place(thumbs)
        seen = []

        def sparse_shows(*wanted, absent=()):
            image = desktop.fast_grab_client(
                thumbs, THUMB_LIST_LEFT, 0, place.width - THUMB_LIST_LEFT, 500, step=4
            )
            seen.append(image)
            return all(image.count_near(c, 20) > 60 for c in wanted) and all(
                image.count_near(c, 20) < 4 for c in absent
            )

        wait_for(lambda: sparse_shows(MAGENTA, GREEN), 60.0, "page 1 of the thumbnails")
        partial = [
            image
            for image in seen
            if image.count_near(MAGENTA, 20) > 60 and image.count_near(GREEN, 20) < 4
        ]
        self.assertTrue(partial, f"none of {len(seen)} looks during the fill saw a partial page")
        self.shot("page1-filling", partial[-1])
        wait_for(lambda: shows(MAGENTA, GREEN, absent=(YELLOW,)), 60.0, "page 1 of the thumbnails")
        label_page1 = desktop.grab_client(thumbs, *THUMB_PAGE_LABEL)
        self.shot("page1")

        self.click(thumbs, THUMB_NEXT)
        wait_for(lambda: shows(YELLOW, absent=(MAGENTA, ORANGE)), 60.0, "page 2 of the thumbnails")
        label_page2 = self.region_changes(thumbs, THUMB_PAGE_LABEL, label_page1, "the page label")
        self.shot("page2")

        # Next is disabled while page 2 still fills, and nothing on the screen tells a filled
        # page from one still filling: as a person would, press Next again until page 3 comes.
        # (On the last page Next is hidden, so a press after page 3 came changes nothing.)
        def next_shows_page3():
            self.click(thumbs, THUMB_NEXT)
            deadline = time.monotonic() + 3.0
            while time.monotonic() < deadline:
                if shows(ORANGE, absent=(YELLOW, MAGENTA)):
                    return True
                time.sleep(0.1)
            return False

        wait_for(next_shows_page3, 60.0, "page 3 of the thumbnails")
        label_page3 = self.region_changes(thumbs, THUMB_PAGE_LABEL, label_page2, "the page label")
        self.shot("page3")

        self.click(thumbs, THUMB_BACK)
        wait_for(lambda: shows(YELLOW, absent=(ORANGE, MAGENTA)), 10.0, "page 2 again")
        wait_for(
            lambda: desktop.grab_client(thumbs, *THUMB_PAGE_LABEL).same_as(label_page2),
            10.0,
            "the page label of page 2 again",
        )
        self.click(thumbs, THUMB_BACK)
        wait_for(lambda: shows(MAGENTA, absent=(YELLOW, ORANGE)), 10.0, "page 1 again")
        self.assertFalse(desktop.grab_client(thumbs, *THUMB_PAGE_LABEL).same_as(label_page3))
        self.shot("thumbnails")

        # A left click on a thumbnail picks it: the caption names the file.
        place = desktop.place(thumbs)
        at = list_image().find(MAGENTA, 20)
        self.assertIsNotNone(at, "the magenta thumbnail on page 1")
        first = os.path.join(self.pictures, "pic000.bmp")
        desktop.click_at(place.x + THUMB_LIST_LEFT + at[0], place.y + at[1])
        desktop.wait_window_name(thumbs, first)

        # The swap button shows the picked picture at its real size: 48 x 48 magenta pixels.
        self.click(thumbs, THUMB_SWAP)
        desktop.wait_window_name(thumbs, "Real Dimension")
        wait_for(
            lambda: 1800 <= list_image().count_near(MAGENTA, 20) <= 2700,
            10.0,
            "the picture at its real size (48 x 48)",
        )
        self.shot("real-dimension")
        self.click(thumbs, THUMB_SWAP)
        desktop.wait_window_name(thumbs, "View All")

        # A right click opens the menu; its only command copies the full path.
        second = os.path.join(self.pictures, "pic059.bmp")
        at = list_image().find(GREEN, 20)
        self.assertIsNotNone(at, "the green thumbnail on page 1")
        desktop.click_at(place.x + THUMB_LIST_LEFT + at[0], place.y + at[1], button=3)
        desktop.wait_window_name(thumbs, second)
        menu_open = desktop.grab()
        self.shot("menu", menu_open)
        desktop.key("Down", "Return")
        wait_for(
            lambda: desktop.clipboard_text() == second, 10.0, f"the clipboard to hold {second}"
        )

        self.close_politely(run, window)

    # ---- Journey 4: the vertical arrangement and the window's place are kept ----

    def test_shape_kept(self):
        desktop = self.desktop
        make_pictures(self.pictures, [("square.bmp", ["-size", "50x50", "xc:teal"])])
        run, window = self.launch()
        self.assert_client_size(window, MAIN_CLIENT)
        self.assert_at_top_right(window)
        self.click(window, BUTTON_SHAPE)
        self.assert_client_size(window, VERTICAL_CLIENT, tolerance=6, what="vertical client size")
        desktop.xdotool("windowmove", window, 300, 200)
        wait_for(lambda: desktop.place(window).x == 300, 10.0, "the window to move")
        outer = desktop.outer_top_left(window)
        time.sleep(0.2)  # the program takes the move from the window system's notice
        self.shot("vertical")
        self.close_politely(run, window)
        _, records = settings_records(run.settings_file)
        self.assertEqual((records[0]["section"], records[0]["value"]), ("[Shape]", "Vertical"))
        self.assert_position_record(records[1], outer)

        run, window = self.launch()
        self.assert_client_size(window, VERTICAL_CLIENT, tolerance=6, what="vertical client size")
        self.assertEqual(desktop.outer_top_left(window), outer, "the stored place")
        self.shot("vertical-after-restart")
        self.click(window, BUTTON_SHAPE_VERTICAL)
        # The designed client area to the pixel, at the stored place.
        self.assert_client_size(window, MAIN_CLIENT, what="horizontal client size")
        self.assertEqual(desktop.outer_top_left(window), outer, "the place after Shape")
        self.shot("horizontal-again")
        self.close_politely(run, window)
        _, records = settings_records(run.settings_file)
        self.assertEqual((records[0]["section"], records[0]["value"]), ("[Shape]", "Horizontal"))
        self.assert_position_record(records[1], outer)

    def assert_at_top_right(self, window):
        left, right, top, _ = self.desktop.frame_extents(window)
        place = self.desktop.place(window)
        outer_right = place.x + place.width + right
        outer_top = place.y - top
        # The frame's width is known only once the window is framed: within a pixel or two.
        self.assertLessEqual(abs(outer_right - (1280 - START_MARGIN)), 2, "the frame's right edge")
        self.assertEqual(outer_top, PANEL_HEIGHT + START_MARGIN, "the frame's top edge")

    # ---- Journey 6: the window manager's requests and the window's stacking ----

    def test_window_manners(self):
        desktop = self.desktop
        make_pictures(self.pictures, [("square.bmp", ["-size", "50x50", "xc:teal"])])
        run, window = self.launch()
        self.assert_client_size(window, MAIN_CLIENT)

        # A window without a maximise button is not maximised, whoever asks.
        place = desktop.place(window)
        desktop.run(["wmctrl", "-i", "-r", hex(window), "-b", "add,maximized_vert,maximized_horz"])
        time.sleep(0.5)
        self.assert_client_size(window, MAIN_CLIENT, what="client size after a maximise request")
        self.assertNotIn("MAXIMIZED", desktop.window_state(window))
        again = desktop.place(window)
        self.assertEqual((again.x, again.y), (place.x, place.y), "the place after the request")
        self.shot("maximise-refused")

        # Showing the About box again brings it forward over the main window that covered it.
        self.click(window, LOGO)
        about = desktop.wait_window("^ $", 10.0, "the About box")
        wait_for(lambda: desktop.is_above(about, window), 5.0, "the About box above the window")
        about_place = desktop.place(about)
        cover, covering = desktop.open_cover(about_place.x - 10, about_place.y - 10, 300, 200)
        self.addCleanup(stop_process, cover)
        wait_for(lambda: desktop.is_above(covering, about), 5.0, "another window over the box")
        self.shot("about-covered")
        self.click(window, LOGO)
        wait_for(lambda: desktop.is_above(about, covering), 5.0, "the About box brought forward")
        self.shot("about-forward")
        stop_process(cover)
        desktop.run(["wmctrl", "-i", "-c", hex(about)])
        wait_for(lambda: not desktop.is_viewable(about), 10.0, "the About box to close")

        # Real D brings the thumbnail window forward over another program's window.
        self.click(window, BUTTON_VIEW_ALL)
        thumbs = desktop.wait_window("^View All$", 30.0, "the thumbnail window")
        cover, covering = desktop.open_cover(200, 200, 300, 200, above=False)
        self.addCleanup(stop_process, cover)
        wait_for(lambda: desktop.is_above(covering, thumbs), 5.0, "another window over it")
        self.click(window, BUTTON_REAL_SIZE)
        wait_for(lambda: desktop.is_above(thumbs, covering), 5.0, "the thumbnail window forward")
        self.shot("thumbnails-forward")
        stop_process(cover)

        # After a Shape round trip, resizing the frame moves and scales no control.
        desktop.move_pointer(5, 790)
        self.click(window, BUTTON_SHAPE)
        self.assert_client_size(window, VERTICAL_CLIENT, tolerance=6, what="vertical client size")
        self.click(window, BUTTON_SHAPE_VERTICAL)
        self.assert_client_size(window, MAIN_CLIENT, what="horizontal client size")
        desktop.move_pointer(5, 790)
        time.sleep(0.3)
        before = desktop.grab_client(window, 0, 0, *MAIN_CLIENT)
        desktop.xdotool("windowsize", window, MAIN_CLIENT[0] + 120, MAIN_CLIENT[1] + 80)
        self.assert_client_size(window, (MAIN_CLIENT[0] + 120, MAIN_CLIENT[1] + 80))
        time.sleep(0.3)
        self.shot("resized")
        after = desktop.grab_client(window, 0, 0, *MAIN_CLIENT)
        self.assertTrue(after.same_as(before), "the controls after the resize")
        self.close_politely(run, window)

    # ---- Journey 5: tiny mode and the floating panel ----

    def test_tiny_mode(self):
        desktop = self.desktop
        make_pictures(self.pictures, [("square.bmp", ["-size", "50x50", "xc:teal"])])
        run, window = self.launch()
        self.click(window, BUTTON_TINY)
        wait_for(lambda: not desktop.is_viewable(window), 10.0, "the main window to hide")
        panel = desktop.wait_window(
            "^" + Plivora.PANEL_TITLE + "$", 10.0, "the floating panel to appear"
        )
        panel_place = desktop.place(panel)
        self.shot("panel")
        # Top right of the screen, no frame.
        self.assertEqual(panel_place.y, 0)
        self.assertGreater(panel_place.x, 1280 // 2)

        # Hovering over the panel brings the main window back.
        middle = (panel_place.x + panel_place.width // 2, panel_place.y + panel_place.height // 2)
        desktop.move_pointer(*middle)
        desktop.move_pointer(middle[0] + 2, middle[1])
        wait_for(lambda: desktop.is_viewable(window), 10.0, "the main window to come back on hover")
        self.shot("main-back")
        # The main window starts below the panel's strip: back at its first place, it leaves the
        # panel in sight.
        _, _, top, _ = desktop.frame_extents(window)
        main = desktop.place(window)
        self.assertGreaterEqual(
            main.y - top, panel_place.y + panel_place.height, "the main window's frame top"
        )

        # Into the main window (over its background and the file list), then far away: it hides
        # again at the next tick of the one-second watch.
        main = desktop.place(window)
        for x, y in ((300, 30), (302, 31), centre(FILE_LIST), (230, 112)):
            desktop.move_pointer(main.x + x, main.y + y)
            time.sleep(0.05)
        desktop.move_pointer(640, 700)
        left_at = time.monotonic()
        wait_for(lambda: not desktop.is_viewable(window), 6.0, "the main window to hide again")
        hidden_after = time.monotonic() - left_at
        self.assertLess(hidden_after, 3.0, "seconds until the main window hid again")
        self.shot("hidden-again")

        # While the user works in another program, neither the hover restore nor the watch's
        # timed show of the panel takes the keyboard focus from it.
        other, other_window = desktop.open_cover(40, 420, 300, 120, above=False)
        self.addCleanup(stop_process, other)
        desktop.activate(other_window)
        panel_place = desktop.place(panel)
        middle = (panel_place.x + panel_place.width // 2, panel_place.y + panel_place.height // 2)
        desktop.move_pointer(*middle)
        desktop.move_pointer(middle[0] + 2, middle[1])
        wait_for(lambda: desktop.is_viewable(window), 10.0, "the main window back on hover")
        main = desktop.place(window)
        for x, y in ((300, 30), (302, 31)):
            desktop.move_pointer(main.x + x, main.y + y)
            time.sleep(0.05)
        desktop.move_pointer(640, 700)
        wait_for(lambda: not desktop.is_viewable(window), 6.0, "the watch to show the panel")
        time.sleep(1.5)  # past the next tick of the watch and the window manager's answer
        self.shot("focus-kept")
        self.assertEqual(
            desktop.xdotool("getactivewindow", check=False).strip(),
            str(other_window),
            "the active window after the panel was shown by the watch",
        )
        stop_process(other)

        # Drag the panel by its face to near the right edge: it snaps flush.
        panel_place = desktop.place(panel)
        grab_x = panel_place.x + 10
        grab_y = panel_place.y + panel_place.height // 2
        target_gap = 6
        distance = 1280 - (panel_place.x + panel_place.width) - target_gap
        desktop.move_pointer(grab_x, grab_y)
        desktop.xdotool("mousedown", 1)
        steps = 8
        for step in range(1, steps + 1):
            desktop.move_pointer(grab_x + distance * step // steps, grab_y + 40 * step // steps)
            time.sleep(0.05)
        desktop.xdotool("mouseup", 1)
        snapped = wait_for(
            lambda: (p := desktop.place(panel)) and p.x + p.width == 1280 and p,
            10.0,
            "the panel to snap to the right edge",
        )
        self.shot("snapped")
        self.assertGreater(snapped.y, 0, "the drag also moved the panel down")
        # The panel stays above other windows after the drag, and after Tiny off and on again.
        self.assertIn("_NET_WM_STATE_ABOVE", desktop.window_state(panel), "after the drag")
        desktop.move_pointer(snapped.x + snapped.width // 2, snapped.y + snapped.height // 2)
        desktop.move_pointer(snapped.x + snapped.width // 2 + 2, snapped.y + snapped.height // 2)
        wait_for(lambda: desktop.is_viewable(window), 10.0, "the main window to come back")
        self.click(window, BUTTON_TINY)
        wait_for(lambda: not desktop.is_viewable(panel), 10.0, "the panel to hide (Tiny off)")
        self.click(window, BUTTON_TINY)
        wait_for(lambda: desktop.is_viewable(panel), 10.0, "the panel to show (Tiny on)")
        wait_for(
            lambda: "_NET_WM_STATE_ABOVE" in desktop.window_state(panel),
            5.0,
            "the panel above other windows after Tiny off and on",
        )
        self.shot("panel-again")

        # Closing the panel through the window manager while the main window is hidden brings
        # the main window back, as Tiny off does; Tiny on shows the panel again.
        desktop.run(["wmctrl", "-i", "-c", hex(panel)])
        wait_for(lambda: desktop.is_viewable(window), 10.0, "the main window after the close")
        wait_for(lambda: not desktop.is_viewable(panel), 10.0, "the panel to hide on its close")
        self.shot("panel-closed")
        self.assertIsNone(run.process.poll(), "the program after the panel's close")
        self.click(window, BUTTON_TINY)
        wait_for(lambda: desktop.is_viewable(panel), 10.0, "the panel to show (Tiny on)")
        wait_for(lambda: not desktop.is_viewable(window), 10.0, "the main window to hide")
        snapped = desktop.place(panel)  # Tiny on puts the panel back at the top

        # A right click on the panel ends the program; the main window's position is written.
        main_outer = desktop.outer_top_left(window)
        desktop.click_at(snapped.x + snapped.width // 2, snapped.y + snapped.height // 2, button=3)
        self.assertEqual(run.wait_exit(), 0, "the exit code after the panel's right click")
        data, records = settings_records(run.settings_file)
        self.assertEqual(len(data), 2 * SETTINGS_RECORD_LENGTH)
        self.assert_position_record(records[1], main_outer)

    # ---- Journey 6: a picture or a path named on the command line ----

    def test_open_from_command_line(self):
        desktop = self.desktop
        make_pictures(
            self.pictures,
            [
                ("first.bmp", ["-size", "40x40", "xc:navy"]),
                ("trip/sunset.jpg", ["-size", "320x240", "radial-gradient:orange-darkred"]),
                ("trip/tide.bmp", ["-size", "60x40", "gradient:skyblue-navy"]),
            ],
        )
        # A picture in another folder, named relative to the current one, on a Wayland session
        # whose user chose no platform: the program takes XWayland itself and says so once.
        sunset = os.path.join(self.pictures, "trip", "sunset.jpg")
        run, window = self.launch(
            ["trip/sunset.jpg"],
            {"WAYLAND_DISPLAY": "wayland-plivora-e2e", "XDG_SESSION_TYPE": "wayland",
             "QT_QPA_PLATFORM": None},
            title=sunset,
        )
        px, py, pw, _ = PICTURE_AREA
        picture = desktop.grab_client(window, px, py, pw, ANIMATION[1] - py)
        reddish = sum(1 for r, g, b in picture.pixels() if r > 120 and b < 90 and r > g + 30)
        self.assertGreater(reddish / (picture.width * picture.height), 0.9, "the picture area")
        self.shot("picture-from-command-line")
        # The file list has the keyboard from the start: Down shows the next picture at once.
        desktop.xdotool("key", "Down")
        desktop.wait_window_name(window, os.path.join(self.pictures, "trip", "tide.bmp"))
        self.shot("down-after-start")
        self.close_politely(run, window)
        self.assertEqual(run.output().count("XWayland"), 1, "the note on the platform")

        # A path that does not exist: a warning box over the main window on its start folder.
        run, window = self.launch(["no-such-photo.jpg"])
        warning = desktop.wait_window("^Warning Message$", 10.0, "the warning box")
        self.shot("missing-path")
        self.assertTrue(desktop.is_viewable(window))
        self.assertTrue(desktop.is_viewable(warning))
        # The start folder's picture is in the file list: a click on its first row shows it.
        x, y, _, _ = FILE_LIST
        desktop.click_in(window, x + 30, y + 8)
        desktop.wait_window_name(window, os.path.join(self.pictures, "first.bmp"))
        self.close_politely(run, window)

    # ---- A file name that is not UTF-8 ----

    def test_latin1_name(self):
        desktop = self.desktop
        # A Latin-1 "café.bmp" from an old archive: its name holds the byte E9, which is no UTF-8.
        make_pictures(self.pictures, [("plain.bmp", ["-size", "60x60", "xc:teal"])])
        name = b"caf\xe9.bmp"
        path = os.path.join(os.fsencode(self.pictures), name)
        os.rename(os.path.join(self.pictures, "plain.bmp"), path)
        # What the title shows: the name decoded for display, the byte as the replacement mark.
        shown = os.path.join(self.pictures, "caf\ufffd.bmp")

        run, window = self.launch()
        x, y, _, _ = FILE_LIST
        desktop.click_in(window, x + 30, y + 8)
        desktop.wait_window_name(window, shown)
        px, py, _, _ = PICTURE_AREA
        picture = desktop.grab_client(window, px, py, 60, 40)
        self.assertGreater(picture.share_near((0, 128, 128)), 0.9, "the teal picture on show")
        self.shot("chosen-from-list")

        # " Copy shortcut" from the picture's menu puts the real path on the clipboard: a paste
        # (here xclip's, as a terminal asks for it) gives the file's own bytes.
        before = desktop.grab_client(window, *PICTURE_AREA)
        self.click(window, (px, py, 60, 40), button=3)
        self.region_changes(window, PICTURE_AREA, before, "the menu over the picture")
        self.shot("menu")
        desktop.key("Down", "Return")

        def clipboard(target):
            result = desktop.run(
                ["xclip", "-o", "-selection", "clipboard", "-t", target],
                check=False,
                timeout=10.0,
                binary=True,
            )
            return result.stdout if result.returncode == 0 else None

        wait_for(lambda: clipboard("UTF8_STRING") == path, 10.0, f"the clipboard to hold {path!r}")
        self.assertEqual(clipboard("text/plain"), path)
        self.close_politely(run, window)

        # The same path named on the command line opens the picture.
        run, window = self.launch([path], title=shown)
        picture = desktop.grab_client(window, px, py, 60, 40)
        self.assertGreater(picture.share_near((0, 128, 128)), 0.9, "the teal picture on show")
        self.shot("from-command-line")
        self.close_politely(run, window)


def main():
    global PROGRAM, OUTPUT
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    parser.add_argument("--program", required=True, help="the plivora binary")
    parser.add_argument("--output", required=True, help="folder for screenshots and logs")
    args, rest = parser.parse_known_args()
    PROGRAM = os.path.abspath(args.program)
    OUTPUT = os.path.abspath(args.output)
    missing = missing_tools()
    if missing:
        print(f"e2e: skipped, missing X tools: {' '.join(missing)}", file=sys.stderr)
        return SKIP_EXIT_CODE
    os.makedirs(OUTPUT, exist_ok=True)
    program = unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
