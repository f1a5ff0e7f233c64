#!/usr/bin/env python3
"""Acceptance tests: the real zelto binary in a real X server, used as a person would.

    acceptance_test.py [unittest arguments, e.g. a class name]

Environment: ZELTO_BINARY (the zelto program) and ZELTO_GEN_REPORT (the
gen_report tool). Each test class has an X server of its own; each test
starts the program once in an empty working directory, drives it through
several behaviours with the mouse and keyboard, looks at pictures of the
window and at the files it writes, and closes the window at the end,
expecting exit status 0 and the timing summary. What the program computes
and where its controls lie is checked by the unit tests; these prove that
real input reaches the program and its answers reach the screen and disk.
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True  # nothing written next to the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from zelto_driver import ACTIVE, BEIGE, BLACK, BLUE, RED, WHITE, VirtualDisplay, Zelto, wait_until  # noqa: E402
from zelto_panel import Panel  # noqa: E402

SCREENSHOT_NAME = re.compile(r"^screenshot_\d{4}(_\d\d){5}\.(bmp|svg)$")
SVG_NS = "{http://www.w3.org/2000/svg}"


def share_of(picture, rect, colour):
    """Which share of the rectangle's pixels have exactly this colour."""
    x, y, w, h = rect
    return picture.crop(x, y, w, h).count(colour) / float(w * h)


class ZeltoTestCase(unittest.TestCase):
    """Starts an X server per class and the program per test; knows the panel."""

    @classmethod
    def setUpClass(cls):
        cls.display = VirtualDisplay()
        cls.reports = tempfile.mkdtemp(prefix="zelto-reports-")
        cls.report = os.path.join(cls.reports, "three exercises.tsv")
        subprocess.run([os.environ["ZELTO_GEN_REPORT"], "--frequency", "100", "--duration", "4", "--exercises", "3",
                        "--angles", "--seed", "1", "-o", cls.report], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.display.stop()
        shutil.rmtree(cls.reports, ignore_errors=True)

    def start(self, *arguments):
        self.zelto = Zelto(os.environ["ZELTO_BINARY"], self.display, arguments)
        self.addCleanup(self._clean_up)
        self.panel = Panel(750)
        self.page = "b"
        return self.zelto

    def _clean_up(self):
        result = self._outcome.result
        failed = any(test is self for test, _ in result.failures + result.errors)
        self.zelto.kill()
        if failed:
            sys.stderr.write("\n--- console of the failed run (kept in %s) ---\n%s\n"
                             % (self.zelto.workdir, self.zelto.console()))
        else:
            self.zelto.remove_workdir()

    def finish(self):
        """Closes the window as a person does and checks the orderly end."""
        status = self.zelto.close_window()
        console = self.zelto.console()
        self.assertEqual(status, 0, console)
        self.assertRegex(console, r"(?m)^total time \d+ms$")
        self.assertRegex(console, r"(?m)^avg frame time \d+\.\d{6}ms$")
        self.assertNotIn("AddressSanitizer", console)
        self.assertNotIn("runtime error", console)

    # -- looking and acting ----------------------------------------------------

    def is_on(self, picture, rect):
        """A toggle or tab that is on is filled with the active blue."""
        return share_of(picture, rect, ACTIVE) > 0.4

    def is_off(self, picture, rect):
        return share_of(picture, rect, BEIGE) > 0.4

    def toggle(self, rect, what, on=True):
        """Clicks a toggle or tab and waits until it shows the state wanted; returns that picture."""
        self.zelto.click_rect(rect)
        return self.zelto.wait_for_picture(lambda p: (self.is_on if on else self.is_off)(p, rect),
                                           what + (" switched on" if on else " switched off"))

    def show_page(self, letter):
        self.page = letter
        return self.toggle(self.panel.tabs[letter], "tab " + letter)

    def scene_count(self, picture, colour):
        return picture.crop(*self.panel.scene).count(colour)

    def wait_for_report(self):
        """A loaded report shows its left condyle path in red (built-in preset 1)."""
        return self.zelto.wait_for_picture(lambda p: self.scene_count(p, RED) > 200, "the left condyle path in red")

    def park_mouse(self):
        """Puts the pointer on an empty part of the panel, so the hovered sample stays put."""
        self.zelto.move(self.panel.side + 300, 600)

    def crop(self, rect):
        """The rectangle in a steady picture of the window."""
        return self.zelto.steady_picture().crop(*rect)

    def wait_for_crop(self, rect, condition, what):
        return self.zelto.wait_for_picture(lambda p: condition(p.crop(*rect)), what)


# =============================================================================
# Start, console, the path field, exercises, screenshots, window size, exit
# =============================================================================

class StartAndExit(ZeltoTestCase):

    def test_without_a_display_the_program_says_so_and_ends(self):
        # Not a window nobody can see: one line and exit status 1.
        environment = {k: v for k, v in os.environ.items() if k != "SDL_VIDEODRIVER"}
        environment["DISPLAY"] = ":65000"
        result = subprocess.run([os.environ["ZELTO_BINARY"]], env=environment, capture_output=True, text=True,
                                timeout=120)
        self.assertEqual(result.returncode, 1)
        self.assertIn('Could not initialize SDL: no display could be opened (DISPLAY is ":65000")\n', result.stdout)

    def test_missing_report_then_one_typed_its_exercises_screenshots_and_a_bigger_window(self):
        zelto = self.start(os.path.join(self.reports, "no such report.tsv"))
        p = self.panel
        # A report that is not there: the program says why and goes on.
        zelto.wait_for_console(r"^Bad report load$")
        console = zelto.console()
        self.assertRegex(console, r"(?m)^ERROR: ")
        self.assertRegex(console, r"(?m)^Running SDL Version \d+\.\d+\.\d+$")
        self.assertRegex(console, r"(?m)^Running SDL TTF Version \d+\.\d+\.\d+$")
        self.assertEqual(zelto.geometry(), (1100, 750))
        picture = zelto.steady_picture()
        self.assertEqual(picture.pixel(5, 5), BLACK)
        # The reference cube and axes in white, no path and no exercise toggles.
        self.assertGreater(self.scene_count(picture, WHITE), 100)
        self.assertEqual(self.scene_count(picture, RED), 0)
        self.assertEqual(share_of(picture, p.exercise(0), BEIGE), 1.0)
        # "File / Exercise" is the page shown at start, and only its tab is on.
        self.assertTrue(self.is_on(picture, p.tabs["b"]))
        for letter in "acdefghi":
            self.assertTrue(self.is_off(picture, p.tabs[letter]), letter)

        # A report typed into the path field is loaded with its exercises; another one is chosen.
        zelto.enter_text(p.report_path, self.report)
        self.wait_for_report()
        picture = self.toggle(p.exercise(0), "exercise 1")
        self.assertTrue(self.is_off(picture, p.exercise(1)))
        self.toggle(p.exercise(2), "exercise 3")
        self.assertTrue(self.is_off(zelto.picture(), p.exercise(0)))

        # "Screenshot" writes an SVG of the view under a time name; with "BMP", a bitmap.
        self.show_page("h")
        zelto.click_rect(p.screenshot_button)
        svg = zelto.wait_for_file("screenshot_*.svg")[0]
        self.toggle(p.bmp, "BMP")
        zelto.click_rect(p.screenshot_button)
        bmp = zelto.wait_for_file("screenshot_*.bmp")[0]
        for path in (svg, bmp):
            self.assertRegex(os.path.basename(path), SCREENSHOT_NAME)
        root = ElementTree.parse(svg).getroot()
        self.assertEqual((root.tag, root.get("width"), root.get("height")), (SVG_NS + "svg", "750", "750"))
        self.assertTrue(root.findall(".//%spolyline" % SVG_NS), "the path is drawn")
        with open(bmp, "rb") as f:
            header = f.read(26)
        self.assertEqual((header[:2], struct.unpack_from("<i", header, 18)[0]), (b"BM", 750))

        # A bigger window: the X window grows and the panel moves to the right of a bigger view.
        self.show_page("a")
        zelto.click_rect(p.window_1000)
        wait_until(lambda: zelto.geometry() == (1350, 1000), "a window of 1350x1000")
        self.panel = Panel(1000)
        picture = zelto.wait_for_picture(lambda pic: pic.width == 1350 and self.is_on(pic, self.panel.window_1000),
                                         "the panel at the right of a 1000 view")
        self.assertEqual((picture.pixel(5, 5), picture.pixel(995, 960), picture.pixel(1005, 5)), (BLACK, BLACK, BEIGE))
        self.assertTrue(self.is_on(picture, self.panel.tabs["a"]))
        self.assertGreater(self.scene_count(picture, RED), 200)
        self.finish()


# =============================================================================
# Pages, a drawing switch, playback and the chart of the Measures page
# =============================================================================

class PagesAndPlayback(ZeltoTestCase):

    def test_pages_a_drawing_switch_the_position_slider_and_the_chart(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        p = self.panel
        # Each tab shows its page alone: the others' tabs off, and the exercise
        # toggles belong to "File / Exercise" only.
        exercise_toggle = self.crop(p.exercise(1))
        for letter in "acdefghib":
            picture = self.show_page(letter)
            for other in "abcdefghi":
                if other != letter:
                    self.assertTrue(self.is_off(picture, p.tabs[other]), "tab %s with page %s" % (other, letter))
            shown = picture.crop(*p.exercise(1)).differing_pixels(exercise_toggle) == 0
            self.assertEqual(shown, letter == "b", "exercise toggles on page " + letter)

        # A drawing switch: "Incisal" adds the incisal point in blue.
        self.show_page("c")
        self.assertEqual(self.scene_count(zelto.picture(), BLUE), 0)
        self.toggle(p.draw_incisal, "Incisal")
        zelto.wait_for_picture(lambda pic: self.scene_count(pic, BLUE) > 0, "the incisal point in blue")

        # Playing, the position slider moves.
        self.show_page("d")
        slider = p.playback_slider
        playing = zelto.picture().crop(*slider)
        self.wait_for_crop(slider, lambda c: c.differing_pixels(playing) > 0, "the position slider to move")

        # A click on the first column of the chart pauses.
        x, y, w, h = p.chart_plot
        self.show_page("i")
        self.wait_for_crop(p.chart_plot, lambda c: c.count(BEIGE) < w * h // 2, "the chart")
        zelto.click(x, y + h // 2)
        self.show_page("d")
        self.assertTrue(self.is_on(zelto.picture(), p.pause), "paused by the chart")
        self.park_mouse()
        first = self.crop(slider)

        # The knob dragged beyond the end goes to the last sample, dragged back
        # beyond the start to the first: where the chart went.
        row = slider[1] + 30
        zelto.drag_to((slider[0] + 10, row), (slider[0] + slider[2] + 40, row))
        self.park_mouse()
        self.wait_for_crop(slider, lambda c: c.differing_pixels(first) > 0, "the slider at the last sample")
        zelto.drag_to((slider[0] + slider[2] - 10, row), (slider[0] - 40, row))
        self.park_mouse()
        self.wait_for_crop(slider, lambda c: c.differing_pixels(first) == 0, "the slider at the first sample")
        self.finish()


# =============================================================================
# The mouse on the 3D view and the keyboard
# =============================================================================

class MouseAndKeyboard(ZeltoTestCase):

    def drag_view(self, offsets, button=1):
        """Drags in the middle of the 3D view, moving the pointer by each (dx, dy) in turn.

        The view starts a drag when it handles the press; motion that
        arrives before that is not part of the drag. The program shows
        when the drag has begun: the highlighted sample (white) goes away
        while the view is dragged and comes back once the drag is over.
        """
        zelto = self.zelto
        zelto.move(self.panel.side // 2, self.panel.side // 2)
        zelto.wait_for_picture(lambda pic: self.scene_count(pic, WHITE) > 0, "a highlighted sample")
        zelto.xdotool("mousedown", button)
        zelto.wait_for_picture(lambda pic: self.scene_count(pic, WHITE) == 0, "the drag to begin")
        for dx, dy in offsets:
            zelto.xdotool("mousemove_relative", "--", dx, dy)
        zelto.xdotool("mouseup", button)
        zelto.wait_for_picture(lambda pic: self.scene_count(pic, WHITE) > 0, "the drag to end")

    def camera(self):
        """The camera now in force (x, y, z, pitch, yaw, roll), read back through a preset saved as "probe"."""
        page = self.page
        self.show_page("f")
        probe = os.path.join(self.zelto.workdir, "probe.zlp")
        if os.path.exists(probe):
            os.remove(probe)  # the name is in the field since the first time
        else:
            self.zelto.enter_text(self.panel.preset_path, "probe")
        self.zelto.click_rect(self.panel.preset_file_save)
        self.zelto.wait_for_file("probe.zlp")
        with open(probe, "rb") as f:
            data = f.read()
        self.assertEqual(len(data), 104)
        self.show_page(page)
        return dict(zip(("x", "y", "z", "pitch", "yaw", "roll"), struct.unpack_from("<6d", data)))

    def white_centre(self, picture):
        """The middle of the white pixels of the scene (the highlighted sample), or None."""
        scene = picture.crop(*self.panel.scene)
        points = [(x, y) for y in range(scene.height) for x in range(scene.width) if scene.pixel(x, y) == WHITE]
        if not points:
            return None
        return (sum(x for x, _ in points) // len(points), sum(y for _, y in points) // len(points))

    def test_drags_turn_zoom_and_pan_and_space_locks_the_hovered_sample(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        before = self.camera()

        # Left button: orbit; 6 pixels a degree, the pitch locked.
        self.drag_view([(10, 0)] * 6 + [(0, 10)] * 3)
        turned = self.camera()
        self.assertAlmostEqual(turned["yaw"], before["yaw"] + 10, places=4)
        self.assertEqual(turned["pitch"], before["pitch"])

        # Middle button: zoom; 120 pixels up come one unit nearer.
        self.drag_view([(0, -12)] * 10, button=2)
        zoomed = self.camera()
        self.assertAlmostEqual(zoomed["z"], turned["z"] + 1, places=4)

        # Right button: pan.
        self.drag_view([(12, 12)] * 5, button=3)
        panned = self.camera()
        self.assertAlmostEqual(panned["x"], zoomed["x"] + 0.5, places=4)
        self.assertAlmostEqual(panned["y"], zoomed["y"] - 0.5, places=4)

        # Ctrl held with the left button zooms instead of turning.
        zelto.xdotool("keydown", "ctrl")
        self.drag_view([(0, 12)] * 5)
        zelto.xdotool("keyup", "ctrl")
        ctrl = self.camera()
        self.assertAlmostEqual(ctrl["z"], panned["z"] - 0.5, places=4)
        self.assertEqual(ctrl["yaw"], panned["yaw"])

        # Built-in preset 2 (paused, the left condyle) without its grid: one still red path.
        p = self.panel
        self.show_page("f")
        zelto.click_rect(p.builtin_preset_2)
        self.show_page("e")
        self.toggle(p.grid_left, "grid around the left condyle", on=False)
        self.park_mouse()
        picture = zelto.steady_picture()
        unlocked, info_unhovered = picture.crop(*p.padlock), picture.crop(*p.info_line)
        scene = picture.crop(*p.scene)
        path = [(x, y) for y in range(0, scene.height, 3) for x in range(0, scene.width, 3)
                if scene.pixel(x, y) == RED]
        a, b = min(path), max(path)  # two places on the path, far apart
        self.assertGreater(abs(a[0] - b[0]) + abs(a[1] - b[1]), 100)

        def highlight_near(place):
            def near(pic):
                centre = self.white_centre(pic)
                return centre is not None and abs(centre[0] - place[0]) + abs(centre[1] - place[1]) < 40
            return near

        # The mouse over the path highlights the sample under it and describes it on the info line.
        zelto.move(*a)
        zelto.wait_for_picture(highlight_near(a), "the sample under the mouse in white")
        picture = zelto.steady_picture()
        info_a, highlight_a = picture.crop(*p.info_line), self.white_centre(picture)
        self.assertGreater(info_a.differing_pixels(info_unhovered), 0, "the info line describes the sample")

        # Space locks it: the padlock closes, and the mouse elsewhere shows the same sample and text.
        zelto.key("space")
        self.wait_for_crop(p.padlock, lambda c: c.differing_pixels(unlocked) > 0, "the closed padlock")
        zelto.move(*b)
        picture = zelto.steady_picture()
        self.assertEqual(self.white_centre(picture), highlight_a)
        self.assertEqual(picture.crop(*p.info_line).differing_pixels(info_a), 0)

        # Space again: unlocked, and the highlight follows the mouse.
        zelto.key("space")
        self.wait_for_crop(p.padlock, lambda c: c.differing_pixels(unlocked) == 0, "the open padlock")
        zelto.wait_for_picture(highlight_near(b), "the highlight at the other place")
        self.finish()


if __name__ == "__main__":
    unittest.main()
