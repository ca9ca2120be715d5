#!/usr/bin/env python3
"""Makes the screenshots of docs/screenshots/ with the real program on a private X desktop.

    doc_screenshots.py --program PATH --output FOLDER

Writes FOLDER/main-window.png (the main window showing a picture) and FOLDER/thumbnails.png (the
thumbnail window with a page of pictures). Run by hand when the windows' looks change; the
journeys in journeys.py check the behaviour.
"""

import argparse
import os
import shutil
import sys
import tempfile

# The harness module is imported from this folder without leaving compiled files in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import Desktop, Plivora, make_pictures, missing_tools, wait_for  # noqa: E402

# Pairs of colours for the gradients of the sample pictures.
SAMPLE_COLOURS = [
    ("gold", "firebrick"),
    ("skyblue", "navy"),
    ("palegreen", "darkgreen"),
    ("orchid", "indigo"),
    ("orange", "saddlebrown"),
    ("lightcyan", "teal"),
    ("khaki", "olive"),
    ("pink", "crimson"),
]
SAMPLE_NAMES = [
    "beach", "canyon", "dunes", "forest", "garden", "glacier", "harbour", "island",
    "lagoon", "lake", "meadow", "mountain", "orchard", "river", "sunset", "valley",
]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()
    if missing_tools():
        print(f"missing X tools: {' '.join(missing_tools())}", file=sys.stderr)
        return 1
    os.makedirs(args.output, exist_ok=True)

    scratch = tempfile.mkdtemp(prefix="plivora-docs-")
    desktop = Desktop(os.path.join(scratch, "desktop"))
    run = None
    try:
        desktop.start()
        program = os.path.join(scratch, "program", "plivora")
        os.makedirs(os.path.dirname(program))
        shutil.copy2(args.program, program)
        pictures = os.path.join(scratch, "Pictures")
        specs = []
        for index, name in enumerate(SAMPLE_NAMES):
            light, dark = SAMPLE_COLOURS[index % len(SAMPLE_COLOURS)]
            kind = "radial-gradient" if index % 2 else "gradient"
            extension = ("jpg", "bmp", "gif")[index % 3]
            specs.append((f"{name}.{extension}", ["-size", "320x240", f"{kind}:{light}-{dark}"]))
        make_pictures(pictures, specs)
        temp = os.path.join(scratch, "tmp")
        os.makedirs(temp)

        run = Plivora(desktop, program, pictures, temp, os.path.join(scratch, "program.log"))
        run.start()
        window = run.wait_main_window()
        # The fourth file of the list, a radial gradient scaled into the picture area.
        place = desktop.place(window)
        desktop.click_at(place.x + 206, place.y + 48 + 3 * 14)
        chosen = os.path.join(pictures, specs[3][0])
        wait_for(lambda: desktop.window_name(window) == chosen, 10.0, f"{chosen} on show")
        left, right, top, bottom = desktop.frame_extents(window)
        desktop.grab(
            place.x - left, place.y - top, place.width + left + right, place.height + top + bottom
        ).save_png(os.path.join(args.output, "main-window.png"))

        desktop.xdotool("windowmove", window, 860, 540)
        wait_for(lambda: desktop.place(window).x >= 860, 10.0, "the main window to move")
        place = desktop.place(window)
        desktop.click_at(place.x + 108, place.y + 24)
        desktop.wait_window("^View All$", 30.0, "the thumbnail window")
        # The page is complete once the screen stops changing.
        previous = [None]

        def settled():
            image = desktop.grab()
            same = previous[0] is not None and image.same_as(previous[0])
            previous[0] = image
            return same

        wait_for(settled, 30.0, "the thumbnail page to be complete")
        previous[0].save_png(os.path.join(args.output, "thumbnails.png"))
    finally:
        if run is not None:
            run.stop()
        desktop.stop()
        shutil.rmtree(scratch, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
