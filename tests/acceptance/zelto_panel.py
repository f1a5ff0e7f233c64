"""Where the controls that the acceptance tests use are, as (x, y, width, height) in window pixels,
for a 3D view of side V: the panel, 350 pixels wide, lies to the right of the square view."""


class Panel:
    def __init__(self, side):
        self.side = V = side
        # The part of the view no widget covers; the padlock and the info line sit on its last 20 rows.
        self.scene, self.padlock, self.info_line = (0, 0, V, V - 20), (0, V - 20, 20, 20), (20, V - 20, 730, 20)
        # "Screen", "File / Exercise", "View", "Motion", "Grid", "Presets", "About", "Options", "Measures", "Clinical"
        self.tabs = dict(zip("abcdefghij", [(V + 180, 10, 160, 20), (V + 10, 10, 160, 20), (V + 10, 40, 105, 20),
                                           (V + 125, 40, 100, 20), (V + 235, 40, 105, 20), (V + 10, 70, 160, 20),
                                           (V + 180, 70, 160, 20), (V + 235, 660, 105, 20),
                                           (V + 10, 100, 160, 20), (V + 180, 100, 160, 20)]))
        self.screenshot_button = (V + 125, 660, 100, 20)
        self.window_1000 = (V + 125, 160, 100, 20)  # "Screen": the window size 1000
        self.report_path = (V + 10, 130, 330, 20)  # "File / Exercise"
        self.draw_incisal = (V + 125, 520, 100, 20)  # "View"
        self.pause, self.playback_slider = (V + 10, 160, 75, 20), (V + 10, 190, 330, 40)  # "Motion"
        self.grid_left = (V + 10, 130, 105, 20)  # "Grid"
        # "Presets": built-in preset 2, the file name field and its "Save"
        self.builtin_preset_2, self.preset_path = (V + 10, 190, 330, 20), (V + 10, 550, 330, 20)
        self.preset_file_save = (V + 10, 580, 160, 20)
        self.bmp = (V + 180, 130, 48, 20)  # "Options"
        self.chart_plot = (V + 52, 415, 246, 89)  # "Measures": the chart's first plot
        # "Measures": the tracing sheet's switch (on the title line) and SVG button (under the chart)
        self.tracings, self.tracings_svg = (V + 255, 160, 85, 15), (V + 125, 634, 100, 20)

    def exercise(self, i):
        """The toggle of exercise i (0-based) on the "File / Exercise" page."""
        return ((i % 2) * 170 + self.side + 10, (i // 2) * 30 + 220, 160, 20)
