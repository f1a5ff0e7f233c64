"""Where the controls of Zelto's window are, for a 3D view of side V.

Rectangles are (x, y, width, height) in window pixels. The panel is 350
pixels wide to the right of the square 3D view; it moves with the view's
side when the window size changes, so every rectangle is computed from V.
Only the controls that the acceptance tests and the pictures of the user
guide use are here; the whole layout is the unit tests' business.
"""


class Panel:
    def __init__(self, side):
        self.side = side
        V = side
        # The part of the view that no widget covers (the info line and the
        # padlock sit on its last 20 rows).
        self.scene = (0, 0, V, V - 20)
        self.padlock = (0, V - 20, 20, 20)
        self.info_line = (20, V - 20, 730, 20)

        self.tabs = {
            "a": (V + 180, 10, 160, 20),   # "Screen"
            "b": (V + 10, 10, 160, 20),    # "File / Exercise"
            "c": (V + 10, 40, 105, 20),    # "View"
            "d": (V + 125, 40, 100, 20),   # "Motion"
            "e": (V + 235, 40, 105, 20),   # "Grid"
            "f": (V + 10, 70, 160, 20),    # "Presets"
            "g": (V + 180, 70, 160, 20),   # "About"
            "h": (V + 235, 660, 105, 20),  # "Options"
            "i": (V + 10, 100, 160, 20),   # "Measures"
        }
        self.screenshot_button = (V + 125, 660, 100, 20)

        # "Screen": the window sizes 750 (the first) and 1000, the angles, the projection
        self.window_750 = (V + 10, 160, 105, 20)
        self.window_1000 = (V + 125, 160, 100, 20)
        self.pitch = (V + 60, 310, 50, 20)
        self.yaw = (V + 170, 310, 50, 20)
        self.orthogonal = (V + 10, 430, 160, 20)

        # "File / Exercise"
        self.report_path = (V + 10, 130, 330, 20)

        # "View"
        self.fit_view = (V + 10, 240, 105, 20)
        self.draw_incisal = (V + 125, 520, 100, 20)
        self.draw_right = (V + 235, 520, 105, 20)

        # "Motion"
        self.pause = (V + 10, 160, 75, 20)
        self.playback_slider = (V + 10, 190, 330, 40)

        # "Grid"
        self.grid_left = (V + 10, 130, 105, 20)

        # "Presets": built-in preset 2, the file name field and its "Save"
        self.builtin_preset_2 = (V + 10, 190, 330, 20)
        self.preset_path = (V + 10, 550, 330, 20)
        self.preset_file_save = (V + 10, 580, 160, 20)

        # "Options"
        self.bmp = (V + 180, 130, 48, 20)
        self.svg_background_white = (V + 236, 190, 48, 20)
        self.svg_colour_own = (V + 292, 220, 48, 20)

        # "Measures"
        self.chart_svg = (V + 125, 130, 100, 20)
        # The chart's first plot: 246 columns from x V + 52, from y 415 down.
        self.chart_plot = (V + 52, 415, 246, 89)

    def exercise(self, i):
        """The toggle of exercise i (0-based) on the "File / Exercise" page."""
        return ((i % 2) * 170 + self.side + 10, (i // 2) * 30 + 220, 160, 20)
