#!/usr/bin/env python3
"""Acceptance tests: the real zelto binary (ZELTO_BINARY) in an X server of its own per group, used
with mouse and keyboard from an empty working directory; pictures of the window, the console and the
files it writes are checked, and the window is closed at the end as a person does. Reports come
from ZELTO_GEN_REPORT. Arguments are unittest's, e.g. a group name."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True  # nothing written next to the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from zelto_driver import ACTIVE, BEIGE, BLACK, BLUE, RED, WHITE, VirtualDisplay, Zelto  # noqa: E402
from zelto_panel import Panel  # noqa: E402

SVG_NS = "{http://www.w3.org/2000/svg}"


def share_of(picture, rect, colour):
    """Which share of the rectangle's pixels have exactly this colour."""
    return picture.crop(*rect).count(colour) / float(rect[2] * rect[3])


class ZeltoTestCase(unittest.TestCase):
    """Starts an X server per group and the program per test; knows the panel."""

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
        return self.zelto

    def _clean_up(self):
        result = self._outcome.result
        self.zelto.kill()
        if any(test is self for test, _ in result.failures + result.errors):
            sys.stderr.write("\n--- console of the failed run (kept in %s) ---\n%s\n"
                             % (self.zelto.workdir, self.zelto.console()))
        else:
            self.zelto.remove_workdir()

    def finish(self):
        """Closes the window as a person does and checks the orderly end."""
        status = self.zelto.close_window()
        console = self.zelto.console()
        self.assertEqual(status, 0, console)
        for line in (r"^total time \d+ms$", r"^avg frame time \d+\.\d{6}ms$"):
            self.assertRegex(console, "(?m)" + line)
        for finding in ("AddressSanitizer", "runtime error"):
            self.assertNotIn(finding, console)

    def is_on(self, picture, rect):
        """A toggle or tab that is on is filled with the active blue; one that is off, beige."""
        return share_of(picture, rect, ACTIVE) > 0.4

    def is_off(self, picture, rect):
        return share_of(picture, rect, BEIGE) > 0.4

    def toggle(self, rect, what, on=True):
        """Clicks a toggle or tab and waits until it shows the state wanted; returns that picture."""
        self.zelto.click_rect(rect)
        return self.zelto.wait_for_picture(lambda p: (self.is_on if on else self.is_off)(p, rect),
                                           what + (" switched on" if on else " switched off"))

    def show_page(self, letter):
        return self.toggle(self.panel.tabs[letter], "tab " + letter)

    def scene_count(self, picture, colour):
        return picture.crop(*self.panel.scene).count(colour)

    def wait_for_report(self):
        """A loaded report shows its left condyle path in red (built-in preset 1)."""
        return self.zelto.wait_for_picture(lambda p: self.scene_count(p, RED) > 200, "the left condyle path in red")

    def parked_picture(self):
        """A steady picture of the window, the pointer parked on an empty part of the panel."""
        self.zelto.move(self.panel.side + 300, 600)
        return self.zelto.steady_picture()

    def wait_for_crop(self, rect, condition, what):
        return self.zelto.wait_for_picture(lambda p: condition(p.crop(*rect)), what)


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
        for line in (r"^ERROR: ", r"^Running SDL Version \d+\.\d+\.\d+$", r"^Running SDL TTF Version \d+\.\d+\.\d+$"):
            self.assertRegex(zelto.console(), "(?m)" + line)
        picture = zelto.steady_picture()
        self.assertEqual((picture.width, picture.height, picture.pixel(5, 5)), (1100, 750, BLACK))
        # The reference cube and axes in white, no path and no exercise toggles.
        self.assertGreater(self.scene_count(picture, WHITE), 100)
        self.assertEqual(self.scene_count(picture, RED), 0)
        self.assertEqual(share_of(picture, p.exercise(0), BEIGE), 1.0)
        # "File / Exercise" is the page shown at start, and only its tab is on.
        for letter in "abcdefghi":
            self.assertTrue((self.is_on if letter == "b" else self.is_off)(picture, p.tabs[letter]), letter)

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
            self.assertRegex(os.path.basename(path), r"^screenshot_\d{4}(_\d\d){5}\.(bmp|svg)$")
        root = ElementTree.parse(svg).getroot()
        self.assertEqual((root.tag, root.get("width"), root.get("height")), (SVG_NS + "svg", "750", "750"))
        self.assertTrue(root.findall(".//%spolyline" % SVG_NS), "the path is drawn")
        with open(bmp, "rb") as f:
            header = f.read(26)
        self.assertEqual((header[:2], struct.unpack_from("<i", header, 18)[0]), (b"BM", 750))

        # A bigger window: the X window grows and the panel moves to the right of a bigger view.
        self.show_page("a")
        zelto.click_rect(p.window_1000)
        self.panel = Panel(1000)
        picture = zelto.wait_for_picture(lambda pic: (pic.width, pic.height) == (1350, 1000)
                                         and self.is_on(pic, self.panel.window_1000), "a window of 1350x1000")
        self.assertEqual((picture.pixel(5, 5), picture.pixel(995, 960), picture.pixel(1005, 5)), (BLACK, BLACK, BEIGE))
        self.assertTrue(self.is_on(picture, self.panel.tabs["a"]))
        self.assertGreater(self.scene_count(picture, RED), 200)
        self.finish()


class TracingSheet(ZeltoTestCase):

    def test_the_sheet_takes_the_view_at_every_size_seeks_writes_and_gives_the_view_back(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        p = self.panel
        self.show_page("d")
        self.toggle(p.pause, "Pause")
        slider = self.parked_picture().crop(*p.playback_slider)
        self.show_page("i")
        view = self.parked_picture().crop(*p.scene)

        def sheet_shown(crop):
            return crop.count(WHITE) > crop.width * crop.height // 2

        # The sheet on white fills the square; switched off, the 3D view is back exactly as it was.
        self.toggle(p.tracings, "Tracings")
        self.wait_for_crop(p.scene, sheet_shown, "the tracing sheet")
        self.toggle(p.tracings, "Tracings", on=False)
        zelto.move(p.side + 300, 600)  # no tooltip of the switch over the view
        self.wait_for_crop(p.scene, lambda c: c == view, "the 3D view as it was")

        # A click on the sheet goes to the sample drawn nearest: the position slider moved.
        self.toggle(p.tracings, "Tracings")
        self.wait_for_crop(p.scene, sheet_shown, "the tracing sheet again")
        zelto.click(p.side // 4, p.side // 4)
        self.show_page("d")
        self.wait_for_crop(p.playback_slider, lambda c: c != slider, "the slider at the sample clicked")
        self.assertTrue(self.is_on(zelto.picture(), p.pause), "still paused")

        # Another page shows the 3D view; the Measures page the sheet, whose button writes it.
        self.wait_for_crop(p.scene, lambda c: not sheet_shown(c), "the 3D view on another page")
        self.show_page("i")
        self.wait_for_crop(p.scene, sheet_shown, "the sheet on the Measures page")
        zelto.click_rect(p.tracings_svg)
        svg = zelto.wait_for_file("tracings_*.svg")[0]
        self.assertRegex(os.path.basename(svg), r"^tracings_\d{4}(_\d\d){5}\.svg$")
        root = ElementTree.parse(svg).getroot()
        self.assertEqual((root.tag, root.get("width"), root.get("height")), (SVG_NS + "svg", "1000", "1000"))

        # A bigger window: the sheet fills the bigger square, and gives it back to the 3D view.
        self.show_page("a")
        zelto.click_rect(p.window_1000)
        self.panel = p = Panel(1000)
        zelto.wait_for_picture(lambda pic: (pic.width, pic.height) == (1350, 1000), "a window of 1350x1000")
        self.show_page("i")
        self.wait_for_crop((0, 0, 1000, 1000), sheet_shown, "the sheet at 1000")
        self.toggle(p.tracings, "Tracings", on=False)
        self.wait_for_crop(p.scene, lambda c: not sheet_shown(c), "the 3D view at 1000")
        self.finish()


class PagesAndPlayback(ZeltoTestCase):

    def test_pages_a_drawing_switch_the_position_slider_and_the_chart(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        p = self.panel
        # Each tab shows its page alone: the others' tabs off, and the exercise
        # toggles belong to "File / Exercise" only.
        exercise_toggle = zelto.picture().crop(*p.exercise(1))
        for letter in "acdefghib":
            picture = self.show_page(letter)
            for other in set("abcdefghi") - {letter}:
                self.assertTrue(self.is_off(picture, p.tabs[other]), "tab %s with page %s" % (other, letter))
            shown = picture.crop(*p.exercise(1)) == exercise_toggle
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
        self.wait_for_crop(slider, lambda c: c != playing, "the position slider to move")

        # A click on the first column of the chart pauses.
        x, y, w, h = p.chart_plot
        self.show_page("i")
        self.wait_for_crop(p.chart_plot, lambda c: c.count(BEIGE) < w * h // 2, "the chart")
        zelto.click(x, y + h // 2)
        self.show_page("d")
        self.assertTrue(self.is_on(zelto.picture(), p.pause), "paused by the chart")
        first = self.parked_picture().crop(*slider)

        # The knob dragged beyond the end goes to the last sample, dragged back
        # beyond the start to the first: where the chart went.
        row, left, right = slider[1] + 30, slider[0], slider[0] + slider[2]
        for start, end, at_first, what in [(left + 10, right + 40, False, "last"),
                                           (right - 10, left - 40, True, "first")]:
            zelto.move(start, row)
            zelto.xdotool("mousedown", 1)
            for i in range(1, 9):
                zelto.move(start + (end - start) * i // 8, row)
            zelto.xdotool("mouseup", 1)
            zelto.move(p.side + 300, 600)
            self.wait_for_crop(slider, lambda c: (c == first) == at_first, "the slider at the %s sample" % what)
        self.finish()


class MouseAndKeyboard(ZeltoTestCase):

    def drag_view(self, offsets, button):
        """Drags in the middle of the 3D view, moving the pointer by each (dx, dy) in turn. The drag
        begins when the view handles the press, which shows: the highlighted sample (white) goes away
        while the view is dragged and comes back once the drag is over."""
        zelto = self.zelto

        def highlight(shown, what):
            zelto.wait_for_picture(lambda pic: (self.scene_count(pic, WHITE) > 0) == shown, what)
        zelto.move(self.panel.side // 2, self.panel.side // 2)
        highlight(True, "a highlighted sample")
        zelto.xdotool("mousedown", button)
        highlight(False, "the drag to begin")
        for dx, dy in offsets:
            zelto.xdotool("mousemove_relative", "--", dx, dy)
        zelto.xdotool("mouseup", button)
        highlight(True, "the drag to end")

    def camera(self):
        """The camera now in force, read back through a preset saved as "probe" on "Presets"."""
        self.show_page("f")
        probe = os.path.join(self.zelto.workdir, "probe.zlp")
        if os.path.exists(probe):
            os.remove(probe)  # the name is in the field since the first time
        else:
            self.zelto.enter_text(self.panel.preset_path, "probe")
        self.zelto.click_rect(self.panel.preset_file_save)
        with open(self.zelto.wait_for_file("probe.zlp")[0], "rb") as f:
            data = f.read()
        self.assertEqual(len(data), 104)
        return dict(zip(("x", "y", "z", "pitch", "yaw", "roll"), struct.unpack_from("<6d", data)))

    def white_centre(self, picture):
        """The middle of the white pixels of the scene (the highlighted sample), if any."""
        scene = picture.crop(*self.panel.scene)
        points = [(x, y) for y in range(scene.height) for x in range(scene.width) if scene.pixel(x, y) == WHITE]
        return points and (sum(x for x, _ in points) // len(points), sum(y for _, y in points) // len(points))

    def test_drags_turn_zoom_and_pan_and_space_locks_the_hovered_sample(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        before = self.camera()
        # Left button: orbit, 6 pixels a degree, the pitch locked; middle: zoom, 120 pixels up come one
        # unit nearer; right: pan; Ctrl held with the left button zooms instead of turning. Nothing else moves.
        for offsets, button, key, change in [([(10, 0)] * 6 + [(0, 10)] * 3, 1, None, {"yaw": 10}),
                                             ([(0, -12)] * 10, 2, None, {"z": 1}),
                                             ([(12, 12)] * 5, 3, None, {"x": 0.5, "y": -0.5}),
                                             ([(0, 12)] * 5, 1, "ctrl", {"z": -0.5})]:
            if key:
                zelto.xdotool("keydown", key)
            self.drag_view(offsets, button)
            if key:
                zelto.xdotool("keyup", key)
            after = self.camera()
            moved = {k: round(after[k] - before[k], 4) for k in after}
            self.assertEqual(moved, dict(dict.fromkeys(after, 0), **change), "button %d %s" % (button, key))
            before = after

        # Built-in preset 2 (paused, the left condyle) without its grid: one still red path.
        p = self.panel
        self.show_page("f")
        zelto.click_rect(p.builtin_preset_2)
        self.show_page("e")
        self.toggle(p.grid_left, "grid around the left condyle", on=False)
        picture = self.parked_picture()
        unlocked, info_unhovered = picture.crop(*p.padlock), picture.crop(*p.info_line)
        scene = picture.crop(*p.scene)
        path = [(x, y) for y in range(0, scene.height, 3) for x in range(0, scene.width, 3)
                if scene.pixel(x, y) == RED]
        a, b = min(path), max(path)  # two places on the path, far apart
        self.assertGreater(abs(a[0] - b[0]) + abs(a[1] - b[1]), 100)

        def highlight_near(place):
            return lambda pic: (c := self.white_centre(pic)) and abs(c[0] - place[0]) + abs(c[1] - place[1]) < 40

        # The mouse over the path highlights the sample under it and describes it on the info line.
        zelto.move(*a)
        zelto.wait_for_picture(highlight_near(a), "the sample under the mouse in white")
        picture = zelto.steady_picture()
        info_a, highlight_a = picture.crop(*p.info_line), self.white_centre(picture)
        self.assertNotEqual(info_a, info_unhovered, "the info line describes the sample")

        # Space locks it: the padlock closes, and the mouse elsewhere shows the same sample and text.
        zelto.key("space")
        self.wait_for_crop(p.padlock, lambda c: c != unlocked, "the closed padlock")
        zelto.move(*b)
        picture = zelto.steady_picture()
        self.assertEqual(self.white_centre(picture), highlight_a)
        self.assertEqual(picture.crop(*p.info_line), info_a)

        # Space again: unlocked, and the highlight follows the mouse.
        zelto.key("space")
        self.wait_for_crop(p.padlock, lambda c: c == unlocked, "the open padlock")
        zelto.wait_for_picture(highlight_near(b), "the highlight at the other place")
        self.finish()


if __name__ == "__main__":
    unittest.main()
