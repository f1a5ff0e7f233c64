#!/usr/bin/env python3
"""Acceptance tests: the real zelto binary in a real X server, used as a person would.

    acceptance_test.py [unittest arguments, e.g. a class name]

Environment: ZELTO_BINARY (the zelto program) and ZELTO_GEN_REPORT (the
gen_report tool). Each test class has an X server of its own; each test
starts the program afresh in an empty working directory, drives it with the
mouse and keyboard, looks at pictures of the window and at the files it
writes, and closes the window at the end, expecting exit status 0 and the
timing summary.
"""

import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True  # nothing written next to the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from zelto_driver import (ACTIVE, BEIGE, BLACK, BLUE, GREEN, RED, WHITE, DriverError, VirtualDisplay,  # noqa: E402
                          Zelto, parse_ppm, wait_until)
from zelto_panel import Panel, read_preset  # noqa: E402

MAGENTA = (255, 64, 255)
YELLOW = (255, 255, 64)
CYAN = (64, 255, 255)

SCREENSHOT_NAME = re.compile(r"^screenshot_(\d{4})_(\d\d)_(\d\d)_(\d\d)_(\d\d)_(\d\d)\.(bmp|svg)$")
SVG_NS = "{http://www.w3.org/2000/svg}"


def generate_report(path, exercises=3, duration=4, seed=1):
    subprocess.run([os.environ["ZELTO_GEN_REPORT"], "--frequency", "100", "--duration", str(duration),
                    "--exercises", str(exercises), "--angles", "--seed", str(seed), "-o", path], check=True)
    return path


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
        cls.report = generate_report(os.path.join(cls.reports, "three exercises.tsv"))

    @classmethod
    def tearDownClass(cls):
        cls.display.stop()
        shutil.rmtree(cls.reports, ignore_errors=True)

    def start(self, *arguments):
        self.zelto = Zelto(os.environ["ZELTO_BINARY"], self.display, arguments)
        self.addCleanup(self._clean_up)
        self.panel = Panel(750)
        self.page = "b"
        self.probe_name_typed = False
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

    # -- looking ---------------------------------------------------------------

    def picture(self):
        return self.zelto.picture()

    def is_on(self, picture, rect):
        """A toggle or tab that is on is filled with the active blue."""
        return share_of(picture, rect, ACTIVE) > 0.4

    def is_off(self, picture, rect):
        return share_of(picture, rect, BEIGE) > 0.4

    def wait_on(self, rect, what, on=True):
        return self.zelto.wait_for_picture(lambda p: (self.is_on if on else self.is_off)(p, rect),
                                           what + (" switched on" if on else " switched off"))

    def scene_count(self, picture, colour):
        x, y, w, h = self.panel.scene
        return picture.crop(x, y, w, h).count(colour)

    def wait_scene(self, condition, what):
        return self.zelto.wait_for_picture(condition, what)

    @staticmethod
    def crop(picture, rect):
        return picture.crop(*rect)

    def field_shows(self, rect, text):
        """Asserts that the text field at `rect` shows `text`.

        While a field is edited it shows what was typed, in inverted colours;
        so typing the expected text and comparing the inverted picture with
        the field's picture before the edit reads the field. Escape then
        cancels the edit and brings the shown text back.
        """
        zelto = self.zelto
        shown = self.crop(zelto.picture(), rect)
        zelto.begin_editing(rect)
        zelto.type(text)
        try:
            zelto.wait_for_picture(lambda p: self.crop(p, rect).inverted().differing_pixels(shown) == 0,
                                   "the field to show %r" % text)
        finally:
            zelto.end_editing(rect, "Escape")
        zelto.wait_for_picture(lambda p: self.crop(p, rect).differing_pixels(shown) == 0,
                               "the field to come back after Escape")

    # -- acting ----------------------------------------------------------------

    def show_page(self, letter):
        self.zelto.click_rect(self.panel.tabs[letter])
        self.wait_on(self.panel.tabs[letter], "tab " + letter)
        self.page = letter

    def click(self, rect):
        self.zelto.click_rect(rect)

    def toggle(self, rect, what, on):
        self.zelto.click_rect(rect)
        self.wait_on(rect, what, on)

    def enter(self, rect, text):
        self.zelto.enter_text(rect, text)

    def park_mouse(self):
        """Puts the pointer on an empty part of the panel, so the hovered sample stays put."""
        self.zelto.move(self.panel.side + 300, 600)

    def drag_view(self, offsets, button=1):
        """Drags in the middle of the 3D view, moving the pointer by each (dx, dy) in turn.

        The view starts a drag when it handles the press; motion that
        arrives before that is not part of the drag. The program shows
        when the drag has begun: the highlighted sample (white) goes away
        while the view is dragged and comes back once the drag is over.
        """
        zelto = self.zelto
        side = self.panel.side
        zelto.move(side // 2, side // 2)
        self.wait_scene(lambda pic: self.scene_count(pic, WHITE) > 0, "a highlighted sample")
        zelto.xdotool("mousedown", button)
        self.wait_scene(lambda pic: self.scene_count(pic, WHITE) == 0, "the drag to begin")
        for dx, dy in offsets:
            zelto.xdotool("mousemove_relative", "--", dx, dy)
        zelto.xdotool("mouseup", button)
        self.wait_scene(lambda pic: self.scene_count(pic, WHITE) > 0, "the drag to end")

    def settings(self):
        """The settings now in force, read back through a preset saved under a typed name."""
        page = self.page
        self.show_page("f")
        if not self.probe_name_typed:
            self.enter(self.panel.preset_path, "probe")
            self.probe_name_typed = True
        probe = os.path.join(self.zelto.workdir, "probe.zlp")
        if os.path.exists(probe):
            os.remove(probe)
        self.click(self.panel.preset_file_save)
        self.zelto.wait_for_file("probe.zlp")
        values = read_preset(probe)
        if page != "f":
            self.show_page(page)
        return values

    def load_report_by_typing(self, path):
        self.show_page("b")
        self.enter(self.panel.report_path, path)

    def wait_for_report(self):
        """A loaded report shows its left condyle path in red (built-in preset 1)."""
        return self.wait_scene(lambda p: self.scene_count(p, RED) > 200, "the left condyle path in red")

    def static_left_path(self):
        """Built-in preset 2 (paused, left condyle) without its grid: one plain red path."""
        self.show_page("f")
        self.click(self.panel.builtin_presets[2])
        self.show_page("e")
        self.toggle(self.panel.grid_left, "grid around the left condyle", on=False)
        self.park_mouse()


# =============================================================================
# Start, console and exit
# =============================================================================

class StartAndExit(ZeltoTestCase):

    def test_start_without_report_shows_the_empty_view_and_the_panel(self):
        zelto = self.start()
        console = zelto.wait_for_console(r"^Running SDL TTF Version \d+\.\d+\.\d+$").string
        self.assertRegex(console, r"(?m)^Running SDL Version \d+\.\d+\.\d+$")
        self.assertEqual(zelto.geometry(), (1100, 750))

        picture = zelto.steady_picture()
        self.assertEqual(picture.pixel(5, 5), BLACK)
        self.assertEqual(picture.pixel(745, 700), BLACK)
        self.assertEqual(picture.pixel(1095, 100), BEIGE)
        # The reference cube and axes are drawn in white; no path without a report.
        self.assertGreater(self.scene_count(picture, WHITE), 100)
        self.assertEqual(self.scene_count(picture, RED), 0)
        # "File / Exercise" is the page shown at start, and only its tab is on.
        self.assertTrue(self.is_on(picture, self.panel.tabs["b"]))
        for letter in "acdefgh":
            self.assertTrue(self.is_off(picture, self.panel.tabs[letter]), letter)
        # The open padlock shows at the bottom left corner.
        padlock = self.crop(picture, self.panel.padlock)
        self.assertNotEqual(padlock.count(BLACK) + padlock.count(BEIGE), 20 * 20)
        self.finish()

    def test_report_named_on_the_command_line_is_shown_with_its_exercises(self):
        zelto = self.start(self.report)
        picture = self.wait_for_report()
        self.assertTrue(self.is_on(picture, self.panel.exercise(0)))
        self.assertTrue(self.is_off(picture, self.panel.exercise(1)))
        self.assertTrue(self.is_off(picture, self.panel.exercise(2)))
        self.assertNotIn("Bad report load", zelto.console())
        self.finish()

    def test_missing_report_prints_why_and_the_program_goes_on(self):
        zelto = self.start(os.path.join(self.reports, "no such report.tsv"))
        zelto.wait_for_console(r"^Bad report load$")
        self.assertRegex(zelto.console(), r"(?m)^ERROR: ")
        picture = zelto.steady_picture()
        self.assertEqual(self.scene_count(picture, RED), 0)
        # No exercise toggles: nothing but the panel's beige where they would be.
        self.assertEqual(share_of(picture, self.panel.exercise(0), BEIGE), 1.0)
        self.finish()

    def test_without_a_display_the_program_says_so_and_ends(self):
        # Not a window nobody can see: one line and exit status 1.
        environment = {k: v for k, v in os.environ.items() if k != "SDL_VIDEODRIVER"}
        environment["DISPLAY"] = ":65000"
        result = subprocess.run([os.environ["ZELTO_BINARY"]], env=environment, capture_output=True, text=True,
                                timeout=120)
        self.assertEqual(result.returncode, 1)
        self.assertIn('Could not initialize SDL: no display could be opened (DISPLAY is ":65000")\n', result.stdout)


# =============================================================================
# Pages, report path field and exercises
# =============================================================================

class PagesAndExercises(ZeltoTestCase):

    def test_every_page_is_shown_by_its_tab(self):
        self.start(self.report)
        self.wait_for_report()
        p = self.panel
        # A control that only its own page shows, and how it looks there.
        marks = {
            "a": lambda pic: self.is_on(pic, p.window_sizes[0]) and self.is_on(pic, p.orthogonal),
            "b": lambda pic: self.is_on(pic, p.exercise(0)) and share_of(pic, p.report_path, BLACK) > 0.5,
            "c": lambda pic: self.is_on(pic, p.auto_fit) and self.is_on(pic, p.draw_left),
            "d": lambda pic: share_of(pic, p.playback_slider, BLACK) > 0.5 and self.is_off(pic, p.pause),
            "e": lambda pic: self.is_on(pic, p.grid_left) and share_of(pic, p.spacing, BLACK) > 0.5,
            "f": lambda pic: self.is_off(pic, p.builtin_presets[1]) and share_of(pic, p.preset_path, BLACK) > 0.5,
            "g": lambda pic: share_of(pic, p.logo, BEIGE) < 0.9,
            "h": lambda pic: self.is_on(pic, p.svg) and self.is_off(pic, p.bmp),
            # The button, the condyle table and the chart.
            "i": lambda pic: self.is_off(pic, p.measures_csv) and share_of(pic, p.measures_condyles, BEIGE) < 0.95
            and share_of(pic, p.chart_plot, BEIGE) < 0.5,
        }
        # How the second exercise's toggle looks where page b shows it.
        exercise_toggle = self.crop(self.zelto.steady_picture(), p.exercise(1))
        for letter in "acdefghib":
            self.show_page(letter)
            picture = self.zelto.wait_for_picture(marks[letter], "the controls of page " + letter)
            for other in "abcdefghi":
                if other != letter:
                    self.assertTrue(self.is_off(picture, p.tabs[other]), "tab %s with page %s" % (other, letter))
            # The exercise toggles belong to "File / Exercise" only.
            shown = self.crop(picture, p.exercise(1)).differing_pixels(exercise_toggle) == 0
            self.assertEqual(shown, letter == "b", "exercise toggles on page " + letter)
        self.finish()

    def test_report_typed_into_the_path_field_and_another_exercise(self):
        zelto = self.start()
        self.load_report_by_typing(self.report)
        self.wait_for_report()
        p = self.panel
        picture = self.wait_on(p.exercise(0), "exercise 1")
        self.assertTrue(self.is_off(picture, p.exercise(1)))

        # Pause so that the pictures stand still; choosing an exercise starts
        # it at its first sample.
        self.show_page("d")
        self.toggle(p.pause, "Pause?", on=True)
        self.show_page("b")
        self.toggle(p.exercise(1), "exercise 2", on=True)
        self.assertTrue(self.is_off(self.picture(), p.exercise(0)))
        self.park_mouse()
        second = self.crop(zelto.steady_picture(), p.scene)

        self.toggle(p.exercise(2), "exercise 3", on=True)
        self.assertTrue(self.is_off(self.picture(), p.exercise(1)))
        self.park_mouse()
        third = self.crop(zelto.steady_picture(), p.scene)
        self.assertGreater(third.differing_pixels(second), 500, "exercise 3 shows other paths")

        # Back to exercise 2: the same picture as before.
        self.toggle(p.exercise(1), "exercise 2", on=True)
        self.park_mouse()
        zelto.wait_for_picture(lambda pic: self.crop(pic, p.scene).differing_pixels(second) == 0,
                               "exercise 2 shown as before")

        # A path that names no report: the list of exercises goes away.
        self.enter(p.report_path, os.path.join(self.reports, "missing.tsv"))
        zelto.wait_for_console(r"^Bad report load$")
        self.assertRegex(zelto.console(), r"(?m)^ERROR: ")
        zelto.wait_for_picture(lambda pic: self.scene_count(pic, RED) == 0
                               and share_of(pic, p.exercise(0), BEIGE) == 1.0, "the exercise list to empty")
        self.finish()


# =============================================================================
# Playback
# =============================================================================

class Playback(ZeltoTestCase):

    def test_pause_loop_sliders_and_speed_reset(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        p = self.panel
        self.show_page("d")
        speed_button_at_start = self.crop(self.picture(), p.speed_reset)

        # Playing: the slider label and the scene change from picture to picture.
        first = self.crop(self.picture(), p.playback_slider)
        zelto.wait_for_picture(lambda pic: self.crop(pic, p.playback_slider).differing_pixels(first) > 0,
                               "the playback slider to move")

        # Paused, the picture stands still; dragging the knob to the end stays at the last sample.
        self.toggle(p.pause, "Pause?", on=True)
        slider = self.crop(zelto.steady_picture(), p.playback_slider)
        knob = self.knob_position(slider)
        zelto.drag_to((p.playback_slider[0] + knob, p.playback_slider[1] + 30),
                      (p.playback_slider[0] + p.playback_slider[2] + 40, p.playback_slider[1] + 30))
        self.park_mouse()
        at_end = self.crop(zelto.steady_picture(), p.playback_slider)
        self.assertEqual(self.knob_position(at_end), 10 + p.playback_track)
        self.assertTrue(self.is_on(self.picture(), p.pause))

        # Back to the start by dragging the knob left, beyond the track.
        zelto.drag_to((p.playback_slider[0] + 10 + p.playback_track, p.playback_slider[1] + 30),
                      (p.playback_slider[0] - 40, p.playback_slider[1] + 30))
        self.park_mouse()
        at_start = self.crop(zelto.steady_picture(), p.playback_slider)
        self.assertEqual(self.knob_position(at_start), 10)

        # Speed to the maximum (x10.0), looping off, play: it runs to the last
        # sample and stays there, looking exactly as after the drag to the end.
        speed = self.crop(self.picture(), p.speed_slider)
        zelto.drag_to((p.speed_slider[0] + self.knob_position(speed), p.speed_slider[1] + 30),
                      (p.speed_slider[0] + p.speed_slider[2] + 20, p.speed_slider[1] + 30))
        self.toggle(p.loop, "Loop?", on=False)
        self.toggle(p.pause, "Pause?", on=False)
        self.park_mouse()
        zelto.wait_for_picture(lambda pic: self.crop(pic, p.playback_slider).differing_pixels(at_end) == 0,
                               "playback to stop at the last sample")
        zelto.steady_picture()

        # Looping on again: it starts over.
        self.toggle(p.loop, "Loop?", on=True)
        zelto.wait_for_picture(lambda pic: self.crop(pic, p.playback_slider).differing_pixels(at_end) > 0,
                               "playback to start over")

        # "x1.0" puts the speed back to the start value.
        self.assertGreater(self.crop(self.picture(), p.speed_reset).differing_pixels(speed_button_at_start), 0)
        self.click(p.speed_reset)
        zelto.wait_for_picture(
            lambda pic: self.crop(pic, p.speed_reset).differing_pixels(speed_button_at_start) == 0,
            "the speed button to read x1.0 again")
        self.finish()

    @staticmethod
    def knob_position(slider):
        """x of the knob's centre inside a slider picture: the white 10 x 10 square above the track."""
        row = slider.height - 14
        run = 0
        for x in range(slider.width):
            run = run + 1 if slider.pixel(x, row) == WHITE else 0
            if run == 10:
                return x - 4
        raise DriverError("no knob on the slider")


# =============================================================================
# Camera: mouse, typed values, projection, standard views, fit
# =============================================================================

class Camera(ZeltoTestCase):

    def test_mouse_buttons_modifiers_projection_standard_views_and_fit(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        before = self.settings()

        # Left button: orbit; 6 pixels a degree, pitch locked.
        self.drag_view([(10, 0)] * 6 + [(0, 10)] * 3)
        after = self.settings()
        self.assertAlmostEqual(after["yaw"], before["yaw"] + 10, places=4)
        self.assertEqual(after["pitch"], before["pitch"])

        # Without the pitch lock the same drag turns the pitch too.
        self.show_page("a")
        self.toggle(self.panel.pitch_lock, "Lock mouse pitch rotation?", on=False)
        self.drag_view([(0, 12)] * 5)
        turned = self.settings()
        self.assertAlmostEqual(turned["pitch"], before["pitch"] + 10, places=4)

        # Middle button: zoom; 120 pixels up zoom in by one unit.
        self.drag_view([(0, -12)] * 10, button=2)
        zoomed = self.settings()
        self.assertAlmostEqual(zoomed["camera_z"], turned["camera_z"] + 1, places=4)

        # Right button: pan.
        self.drag_view([(12, 12)] * 5, button=3)
        panned = self.settings()
        self.assertAlmostEqual(panned["camera_x"], zoomed["camera_x"] + 0.5, places=4)
        self.assertAlmostEqual(panned["camera_y"], zoomed["camera_y"] - 0.5, places=4)

        # Ctrl with the left button zooms, Shift with the left button pans.
        zelto.key_down("ctrl")
        self.drag_view([(0, 12)] * 5)
        zelto.key_up("ctrl")
        ctrl = self.settings()
        self.assertAlmostEqual(ctrl["camera_z"], panned["camera_z"] - 0.5, places=4)
        self.assertEqual(ctrl["yaw"], panned["yaw"])

        zelto.key_down("shift")
        self.drag_view([(-12, 0)] * 5)
        zelto.key_up("shift")
        shift = self.settings()
        self.assertAlmostEqual(shift["camera_x"], ctrl["camera_x"] - 0.5, places=4)
        self.assertEqual(shift["yaw"], ctrl["yaw"])

        # The camera fields show the camera after a drag.
        p = self.panel
        self.show_page("a")
        self.field_shows(p.camera_z, "%.2f" % shift["camera_z"])
        self.field_shows(p.yaw, "%.1f" % shift["yaw"])

        # The projection pair, the standard views and "Fit view".
        self.toggle(p.perspective, "Perspective", on=True)
        self.assertTrue(self.is_off(self.picture(), p.orthogonal))
        self.assertEqual(self.settings()["perspective"], 1)
        self.toggle(p.orthogonal, "Orthogonal", on=True)
        self.assertEqual(self.settings()["perspective"], 0)

        self.show_page("c")
        for rect, yaw in [(p.frontal, 270.0), (p.sagittal_right, 0.0), (p.sagittal_left, 180.0)]:
            self.click(rect)
            settings = self.settings()
            self.assertEqual((settings["pitch"], settings["yaw"], settings["roll"]), (0.0, yaw, 0.0))

        # "Fit view" brings a zoomed view back to the fitted camera.
        fitted = self.settings()
        self.drag_view([(0, 12)] * 10, button=2)
        zoomed = self.settings()
        self.assertAlmostEqual(zoomed["camera_z"], fitted["camera_z"] - 1, places=4)
        self.click(p.fit_view)
        refitted = self.settings()
        self.assertAlmostEqual(refitted["camera_z"], fitted["camera_z"], places=9)
        self.finish()


# =============================================================================
# Drawing switches and the grid
# =============================================================================

class DrawingAndGrid(ZeltoTestCase):

    def test_every_drawing_switch(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        p = self.panel
        self.show_page("c")
        self.assertEqual(self.scene_count(self.picture(), BLUE), 0)

        # Each point and each connection shows in its own colour.
        for rect, colour, what in [(p.draw_incisal, BLUE, "Incisal"), (p.draw_right, GREEN, "Cond. Right"),
                                   (p.draw_left_incisal, MAGENTA, "Left-Incisal"),
                                   (p.draw_left_right, YELLOW, "Left-Right"),
                                   (p.draw_right_incisal, CYAN, "Right-Incisal")]:
            self.toggle(rect, what, on=True)
            self.wait_scene(lambda pic, c=colour: self.scene_count(pic, c) > 0, what + " in its colour")

        self.toggle(p.draw_left, "Cond. Left", on=False)
        self.wait_scene(lambda pic: self.scene_count(pic, RED) == 0, "no red once Cond. Left is off")

        # Whole paths off: far less blue than the whole incisal path.
        self.show_page("d")
        self.toggle(p.pause, "Pause?", on=True)
        self.show_page("c")
        self.park_mouse()
        with_paths = self.scene_count(zelto.steady_picture(), BLUE)
        self.toggle(p.whole_path, "Show the whole exercise path?", on=False)
        self.park_mouse()
        self.wait_scene(lambda pic: self.scene_count(pic, BLUE) < with_paths / 4, "the paths to go")

        self.toggle(p.show_calibration, "Show Calibration?", on=False)
        self.toggle(p.show_grid, "Show Grid?", on=False)
        self.toggle(p.auto_fit, "Automatically fit view?", on=False)

        # The reference cube and axes are white.
        self.show_page("a")
        self.park_mouse()
        without_reference = self.scene_count(zelto.steady_picture(), WHITE)
        self.toggle(p.cube, "Cube", on=True)
        self.toggle(p.axes, "Axes", on=True)
        self.wait_scene(lambda pic: self.scene_count(pic, WHITE) > without_reference + 100, "the cube and axes")
        settings = self.settings()
        self.assertEqual((settings["draw_callibration"], settings["draw_spokes"], settings["auto_display_fitting"]),
                         (0, 0, 0))
        self.finish()

    def test_grid_settings(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        p = self.panel
        self.show_page("d")
        self.toggle(p.pause, "Pause?", on=True)
        self.show_page("e")
        self.park_mouse()
        # Built-in preset 1 shows a 3 x 3 x 1 grid around the left condyle.
        grid_3x3 = self.scene_count(zelto.steady_picture(), RED)

        # What each field takes is checked by the unit tests; here a typed grid is shown.
        for rect, typed in [(p.sagittal, "0"), (p.vertical, "2"), (p.horizontal, "1"), (p.spacing, "12.5")]:
            self.enter(rect, typed)
        self.field_shows(p.spacing, "12.50")
        self.park_mouse()
        self.wait_scene(lambda pic: self.scene_count(pic, RED) != grid_3x3, "the grid to change")

        self.toggle(p.grid_incisal, "grid around the incisal point", on=True)
        self.toggle(p.grid_right, "grid around the right condyle", on=True)
        self.toggle(p.grid_left, "grid around the left condyle", on=False)
        settings = self.settings()
        expected = {"extrapolation_x_amount": 0, "extrapolation_y_amount": 2, "extrapolation_z_amount": 1,
                    "extrapolation_distance": 12.5, "draw_extrapolation_l": 0, "draw_extrapolation_i": 1,
                    "draw_extrapolation_r": 1}
        self.assertEqual({k: settings[k] for k in expected}, expected)
        self.finish()


# =============================================================================
# Point inspection and the space-bar lock
# =============================================================================

class Inspection(ZeltoTestCase):

    def red_points(self, picture):
        x0, y0, w, h = self.panel.scene
        scene = picture.crop(x0, y0, w, h)
        return [(x, y) for y in range(0, h, 3) for x in range(0, w, 3) if scene.pixel(x, y) == RED]

    def white_centre(self, picture):
        x0, y0, w, h = self.panel.scene
        scene = picture.crop(x0, y0, w, h)
        points = [(x, y) for y in range(h) for x in range(w) if scene.pixel(x, y) == WHITE]
        if not points:
            return None
        return (sum(x for x, _ in points) // len(points), sum(y for _, y in points) // len(points))

    def test_hover_highlights_a_sample_and_space_locks_it(self):
        zelto = self.start()
        p = self.panel
        initial = zelto.steady_picture()
        info_at_start = self.crop(initial, p.info_line)
        unlocked = self.crop(initial, p.padlock)

        self.load_report_by_typing(self.report)
        self.wait_for_report()
        self.static_left_path()
        path = self.red_points(zelto.steady_picture())
        # Two places on the path, far apart.
        a = min(path)
        b = max(path)
        self.assertGreater(abs(a[0] - b[0]) + abs(a[1] - b[1]), 100)

        zelto.move(*a)
        picture = self.wait_scene(lambda pic: self.white_centre(pic) is not None and
                                  abs(self.white_centre(pic)[0] - a[0]) + abs(self.white_centre(pic)[1] - a[1]) < 40,
                                  "the sample under the mouse in white")
        picture = zelto.steady_picture()
        info_a = self.crop(picture, p.info_line)
        self.assertGreater(info_a.differing_pixels(info_at_start), 0, "the info line describes the sample")
        highlight_a = self.white_centre(picture)

        zelto.key("space")
        locked = zelto.wait_for_picture(lambda pic: self.crop(pic, p.padlock).differing_pixels(unlocked) > 0,
                                        "the closed padlock")
        locked_padlock = self.crop(locked, p.padlock)

        # Locked: the mouse elsewhere still shows the same sample and text.
        zelto.move(*b)
        picture = zelto.steady_picture()
        self.assertEqual(self.white_centre(picture), highlight_a)
        self.assertEqual(self.crop(picture, p.info_line).differing_pixels(info_a), 0)
        self.assertEqual(self.crop(picture, p.padlock).differing_pixels(locked_padlock), 0)

        # Space again: unlocked, and the highlight follows the mouse.
        zelto.key("space")
        zelto.wait_for_picture(lambda pic: self.crop(pic, p.padlock).differing_pixels(unlocked) == 0,
                               "the open padlock")
        self.wait_scene(lambda pic: self.white_centre(pic) is not None and
                        abs(self.white_centre(pic)[0] - b[0]) + abs(self.white_centre(pic)[1] - b[1]) < 40,
                        "the highlight at the other place")
        self.assertGreater(self.crop(self.picture(), p.info_line).differing_pixels(info_a), 0)

        # With no path shown there is nothing to point at: the line reads
        # "[Point Info Display]" again, as at start.
        self.show_page("c")
        self.toggle(p.draw_left, "Cond. Left", on=False)
        zelto.wait_for_picture(lambda pic: self.crop(pic, p.info_line).differing_pixels(info_at_start) == 0,
                               "the info line as at start")
        self.finish()


# =============================================================================
# Window sizes
# =============================================================================

class WindowSizes(ZeltoTestCase):

    def test_every_window_size(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        self.show_page("a")
        for index, side in list(enumerate([1000, 1250, 1500, 1750, 2000])) + [(-1, 750)]:
            size_toggle = self.panel.window_sizes[index + 1 if index >= 0 else 0]
            self.click(size_toggle)
            wait_until(lambda: zelto.geometry() == (side + 350, side), "a window of %dx%d" % (side + 350, side))
            # The window grows from where it opened, in the middle of the
            # screen; moved to the top left corner, it fits on the screen.
            zelto.move_window(0, 0)
            self.panel = Panel(side)
            picture = zelto.wait_for_picture(
                lambda pic: pic.width == side + 350 and self.is_on(pic, self.panel.tabs["a"]),
                "the panel at the right of a %d view" % side)
            self.assertEqual(picture.pixel(5, 5), BLACK)
            self.assertEqual(picture.pixel(side - 5, side - 40), BLACK)
            self.assertEqual(picture.pixel(side + 5, 5), BEIGE)
            self.assertTrue(self.is_on(picture, self.panel.window_sizes[index + 1 if index >= 0 else 0]))
            self.assertGreater(self.scene_count(picture, RED), 200)
            # The padlock stays at the bottom left corner.
            padlock = self.crop(picture, self.panel.padlock)
            self.assertNotEqual(padlock.count(BLACK) + padlock.count(BEIGE), 400)
        self.finish()


# =============================================================================
# Screenshots
# =============================================================================

class Screenshots(ZeltoTestCase):

    def take_screenshot(self, extension, count):
        """Clicks "Screenshot" in a new second (names have one-second resolution)."""
        second = int(time.time())
        wait_until(lambda: int(time.time()) > second, "the next second")
        before = datetime.datetime.now().replace(microsecond=0)
        self.click(self.panel.screenshot_button)
        path = self.zelto.wait_for_file("screenshot_*." + extension, count)[-1]
        after = datetime.datetime.now()
        match = SCREENSHOT_NAME.match(os.path.basename(path))
        self.assertIsNotNone(match, path)
        stamp = datetime.datetime(*map(int, match.groups()[:6]))
        self.assertTrue(before - datetime.timedelta(seconds=1) <= stamp <= after, (before, stamp, after))
        return path

    def test_svg_of_the_view_with_its_options(self):
        zelto = self.start(self.report)
        self.wait_for_report()
        p = self.panel
        self.show_page("h")
        self.assertTrue(self.is_on(self.picture(), p.svg))

        first = self.take_screenshot("svg", 1)
        root = self.parse_svg(first)
        self.assertEqual((root.get("width"), root.get("height"), root.get("viewBox")), ("750", "750", "0 0 750 750"))
        self.assertTrue(root.findall(".//%spolyline" % SVG_NS), "the whole path is drawn")
        # By default everything is black on no background.
        self.assertEqual(self.colours(first), {"#000000"})
        self.assertFalse(root.findall("%srect" % SVG_NS))

        # Black background with black elements is not possible: the colour turns white.
        self.click(p.svg_background_black)
        picture = self.wait_on(p.svg_colour_white, "SVG colour white")
        self.assertTrue(self.is_on(picture, p.svg_background_black))

        # White background, own colours, lines twice as wide.
        self.toggle(p.svg_background_white, "SVG background white", on=True)
        self.toggle(p.svg_colour_own, "SVG colour color", on=True)
        self.enter(p.svg_line_width, "200")
        self.field_shows(p.svg_line_width, "200.00")
        second = self.take_screenshot("svg", 2)
        root = self.parse_svg(second)
        self.assertEqual(root.get("viewBox"), "0 0 375 375")
        rects = root.findall("%srect" % SVG_NS)
        self.assertEqual([r.get("fill") for r in rects], ["#FFFFFF"])
        self.assertIn("#FF4040", self.colours(second))

        # It renders: the left path in red on white.
        png = os.path.join(zelto.workdir, "rendered.png")
        subprocess.run(["rsvg-convert", "-o", png, second], check=True)
        rendered = subprocess.run(["convert", png, "-depth", "8", "-alpha", "off", "ppm:-"],
                                  capture_output=True, check=True).stdout
        picture = parse_ppm(rendered)
        self.assertEqual((picture.width, picture.height), (750, 750))
        self.assertEqual(picture.pixel(2, 2), WHITE)

        # "BMP": a picture of the view (compared with the screen by the unit tests).
        self.toggle(p.bmp, "BMP", on=True)
        with open(self.take_screenshot("bmp", 1), "rb") as f:
            header = f.read(26)
        self.assertEqual((header[:2], int.from_bytes(header[18:22], "little"),
                          abs(int.from_bytes(header[22:26], "little", signed=True))), (b"BM", 750, 750))
        self.finish()

    @staticmethod
    def parse_svg(path):
        subprocess.run(["xmllint", "--noout", path], check=True)
        root = ElementTree.parse(path).getroot()
        assert root.tag == SVG_NS + "svg", root.tag
        return root

    @staticmethod
    def colours(path):
        with open(path) as f:
            return set(re.findall(r'(?:stroke|fill)="(#[0-9A-F]{6})"', f.read()))


if __name__ == "__main__":
    unittest.main()
