#!/usr/bin/env python3
"""Makes the pictures of the README's user guide with the acceptance driver (tests/acceptance/).

    docs_pictures.py ZELTO_BINARY REPORT OUTPUT_DIR [GEN_REPORT_BINARY]

Opens REPORT in zelto under Xvfb, shows the pages of the panel (the
"Measures" page with its time chart included), a grid view, an SVG export,
the chart's and the tracing sheet's SVG files (rendered with rsvg-convert)
and the tracing sheet in the window, and writes small PNG files to
OUTPUT_DIR. With GEN_REPORT_BINARY it also shows the "Measures"
page of a generated report of one-minute exercises without EMG channels.
scripts/make_docs_pictures.sh runs it on the demo report.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written next to the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "acceptance"))

from zelto_driver import ACTIVE, VirtualDisplay, Zelto, wait_until  # noqa: E402
from zelto_panel import Panel  # noqa: E402


def save_png(picture, path):
    header = b"P6 %d %d 255\n" % (picture.width, picture.height)
    subprocess.run(["convert", "ppm:-", "png:" + path], input=header + picture.rgb, check=True)


def main():
    binary, report, out = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    gen_report = sys.argv[4] if len(sys.argv) > 4 else None
    os.makedirs(out, exist_ok=True)
    # The path field shows the report as a user would type it, relative to
    # the working directory: examples/<name> in a fresh directory of its own.
    workdir = tempfile.mkdtemp(prefix="zelto-pictures-")
    relative = os.path.join("examples", os.path.basename(report))
    os.makedirs(os.path.join(workdir, "examples"))
    shutil.copyfile(report, os.path.join(workdir, relative))
    display = VirtualDisplay()
    zelto = Zelto(binary, display, [relative], workdir=workdir)
    panel = Panel(750)
    V = panel.side
    # Controls only the pictures use: on "Screen" the pitch and yaw fields and "Orthogonal", on "View"
    # "Fit view" and "Right", on "Options" the SVG on white in its own colours, on "Measures" "Chart SVG" and the
    # tracing sheet's switch and button.
    pitch, yaw, orthogonal = (V + 60, 310, 50, 20), (V + 170, 310, 50, 20), (V + 10, 430, 160, 20)
    fit_view, draw_right = (V + 10, 240, 105, 20), (V + 235, 520, 105, 20)
    svg_background_white, svg_colour_own = (V + 236, 190, 48, 20), (V + 292, 220, 48, 20)
    chart_svg = (V + 125, 130, 100, 20)
    tracings_switch, tracings_svg = (V + 255, 160, 85, 15), (V + 125, 634, 100, 20)

    def show(rect):
        zelto.click_rect(rect)
        x, y, w, h = rect
        zelto.wait_for_picture(lambda p: p.crop(x, y, w, h).count(ACTIVE) > w * h // 3, "a control to switch on")

    def window(name):
        zelto.move(panel.side + 300, 600)  # out of the way of the panel's controls
        save_png(zelto.picture(), os.path.join(out, name))

    def panel_only(name):
        zelto.move(panel.side + 300, 600)
        save_png(zelto.picture().crop(panel.side, 0, 350, panel.side), os.path.join(out, name))

    try:
        wait_until(lambda: zelto.picture().count((255, 64, 64)) > 200, "the report")
        # Let the animation run a little, so the current points sit inside the path.
        time.sleep(1.5)
        window("zelto.png")
        for letter, name in [("a", "page_screen.png"), ("c", "page_view.png"), ("d", "page_motion.png"),
                             ("e", "page_grid.png"), ("f", "page_presets.png"), ("h", "page_options.png"),
                             ("i", "page_measures.png")]:
            show(panel.tabs[letter])
            panel_only(name)

        # A grid view: built-in preset 1 (the grid around the left condyle)
        # with all three paths, turned for a view from the front left and above.
        show(panel.tabs["c"])
        show(panel.draw_incisal)
        show(draw_right)
        show(panel.tabs["a"])
        show(orthogonal)
        for rect, value in [(pitch, "20"), (yaw, "215")]:
            zelto.enter_text(rect, value)
        show(panel.tabs["c"])
        zelto.click_rect(fit_view)
        show(panel.tabs["d"])
        show(panel.pause)
        time.sleep(0.5)
        window("grid_view.png")

        # An SVG export of the same view, in its own colours on white.
        show(panel.tabs["h"])
        show(svg_background_white)
        show(svg_colour_own)
        zelto.click_rect(panel.screenshot_button)
        svg = zelto.wait_for_file("screenshot_*.svg")[0]
        subprocess.run(["rsvg-convert", "-w", "375", "-h", "375", "-b", "white", "-o",
                        os.path.join(out, "svg_export.png"), svg], check=True)

        # The chart of the exercise shown, as the "Chart SVG" button writes it.
        show(panel.tabs["i"])
        zelto.click_rect(chart_svg)
        chart = zelto.wait_for_file("chart_*.svg")[0]
        subprocess.run(["rsvg-convert", "-w", "700", "-o", os.path.join(out, "chart_export.png"), chart], check=True)

        # The first two pages of the summary, as the command line writes it.
        summary_dir = os.path.join(workdir, "summary")
        subprocess.run([binary, "--export", summary_dir, "--format", "pdf", report], check=True,
                       stdout=subprocess.DEVNULL)
        pdf = os.path.join(summary_dir, os.path.splitext(os.path.basename(report))[0] + "_summary.pdf")
        for page in (1, 2):
            subprocess.run(["pdftoppm", "-r", "60", "-png", "-singlefile", "-f", str(page), "-l", str(page), pdf,
                            os.path.join(out, "summary_page%d" % page)], check=True)

        # The clinical figures of the laterotrusion to the right (the fourth exercise).
        show(panel.tabs["b"])
        show((V + 180, 250, 160, 20))
        show(panel.tabs["j"])
        panel_only("page_clinical.png")

        # The tracing sheet of the same exercise: as "Tracings SVG" writes it, and in the window.
        show(panel.tabs["i"])
        zelto.click_rect(tracings_svg)
        tracings = zelto.wait_for_file("tracings_*.svg")[0]
        subprocess.run(["rsvg-convert", "-w", "700", "-o", os.path.join(out, "tracings_export.png"), tracings],
                       check=True)
        show(tracings_switch)
        time.sleep(0.5)
        window("tracings_view.png")
        zelto.close_window()
        zelto.kill()

        # The follow-up recording compared with the demo as its baseline: the
        # 3D view from the right with the incisal path, the comparison on the
        # "Measures" page, and the tracing sheet of the laterotrusion to the right.
        follow_up = os.path.join("examples", "follow_up_report.tsv")
        shutil.copyfile(os.path.join(os.path.dirname(report), "follow_up_report.tsv"),
                        os.path.join(workdir, follow_up))
        zelto = Zelto(binary, display, [follow_up, "--baseline", relative], workdir=workdir)
        wait_until(lambda: zelto.picture().count((255, 64, 64)) > 200, "the follow-up")
        sagittal_right, compare_switch = (V + 10, 180, 215, 20), (V + 190, 160, 60, 15)
        show(panel.tabs["c"])
        show(panel.draw_incisal)
        zelto.click_rect(sagittal_right)
        zelto.click_rect(fit_view)
        time.sleep(1.5)
        window("compare_view.png")
        show(panel.tabs["i"])
        show(compare_switch)
        time.sleep(0.5)
        window("compare_sheet.png")
        show(panel.tabs["b"])
        show((V + 180, 250, 160, 20))
        show(panel.tabs["i"])
        show(tracings_switch)
        time.sleep(0.5)
        window("compare_tracings.png")
        zelto.close_window()
        zelto.kill()

        if gen_report is not None:
            # Exercises of a minute at 200 Hz, neither angles nor EMG in the
            # file: the motion alone, the opening angle computed. The pointer
            # rests on the chart, which shows the values under it.
            long_report = os.path.join("examples", "minute_report.tsv")
            subprocess.run([gen_report, "--frequency", "200", "--duration", "60", "--exercises", "2",
                            "--seed", "7", "-o", os.path.join(workdir, long_report)], check=True)
            zelto = Zelto(binary, display, [long_report], workdir=workdir)
            wait_until(lambda: zelto.picture().count((255, 64, 64)) > 200, "the second report")
            time.sleep(1.5)
            show(panel.tabs["i"])
            x, y, w, h = panel.chart_plot
            zelto.move(x + w * 2 // 3, y + 60)
            time.sleep(0.5)
            save_png(zelto.picture().crop(panel.side, 0, 350, panel.side),
                     os.path.join(out, "page_measures_minute.png"))
            zelto.close_window()
    finally:
        zelto.kill()
        display.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
