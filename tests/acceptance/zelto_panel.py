"""Where the controls of Zelto's window are, for a 3D view of side V.

Rectangles are (x, y, width, height) in window pixels. The panel is 350
pixels wide to the right of the square 3D view; it moves with the view's
side when the window size changes, so every rectangle is computed from V.
"""

import struct


class Panel:
    def __init__(self, side):
        self.side = side
        V = side
        self.view = (0, 0, V, V)
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

        # "Screen"
        self.window_sizes = [(V + 10, 160, 105, 20), (V + 125, 160, 100, 20), (V + 235, 160, 105, 20),
                             (V + 10, 190, 105, 20), (V + 125, 190, 100, 20), (V + 235, 190, 105, 20)]
        self.camera_x = (V + 35, 280, 75, 20)
        self.camera_y = (V + 145, 280, 75, 20)
        self.camera_z = (V + 255, 280, 75, 20)
        self.pitch = (V + 60, 310, 50, 20)
        self.yaw = (V + 170, 310, 50, 20)
        self.roll = (V + 280, 310, 50, 20)
        self.pitch_lock = (V + 10, 340, 330, 20)
        self.orthogonal = (V + 10, 430, 160, 20)
        self.perspective = (V + 180, 430, 160, 20)
        self.cube = (V + 10, 520, 160, 20)
        self.axes = (V + 180, 520, 160, 20)

        # "File / Exercise"
        self.report_path = (V + 10, 130, 330, 20)

        # "View"
        self.frontal = (V + 235, 150, 105, 20)
        self.sagittal_left = (V + 10, 150, 215, 20)
        self.sagittal_right = (V + 10, 180, 215, 20)
        self.fit_view = (V + 10, 240, 105, 20)
        self.auto_fit = (V + 125, 240, 215, 20)
        self.show_grid = (V + 180, 270, 160, 20)
        self.show_calibration = (V + 10, 270, 160, 20)
        self.draw_left = (V + 10, 520, 105, 20)
        self.draw_incisal = (V + 125, 520, 100, 20)
        self.draw_right = (V + 235, 520, 105, 20)
        self.draw_left_incisal = (V + 10, 550, 105, 20)
        self.draw_left_right = (V + 125, 550, 100, 20)
        self.draw_right_incisal = (V + 235, 550, 105, 20)
        self.whole_path = (V + 10, 610, 330, 20)

        # "Motion"
        self.pause = (V + 10, 160, 75, 20)
        self.loop = (V + 95, 160, 75, 20)
        self.playback_slider = (V + 10, 190, 330, 40)
        self.playback_track = 310
        self.speed_slider = (V + 180, 140, 160, 40)
        self.speed_track = 90
        self.speed_reset = (V + 290, 160, 50, 20)

        # "Grid"
        self.grid_left = (V + 10, 130, 105, 20)
        self.grid_incisal = (V + 125, 130, 100, 20)
        self.grid_right = (V + 235, 130, 105, 20)
        self.spacing = (V + 235, 190, 105, 20)
        self.sagittal = (V + 235, 220, 70, 20)
        self.vertical = (V + 235, 250, 70, 20)
        self.horizontal = (V + 235, 280, 70, 20)

        # "Presets"
        self.builtin_presets = [None] + [(V + 10, 160 + 30 * i, 330, 20) for i in range(6)]
        self.preset_path = (V + 10, 550, 330, 20)
        self.preset_file_save = (V + 10, 580, 160, 20)

        # "About"
        self.logo = (V + 10, 370, 330, 80)

        # "Options"
        self.bmp = (V + 180, 130, 48, 20)
        self.svg = (V + 236, 130, 48, 20)
        self.svg_background_black = (V + 180, 190, 48, 20)
        self.svg_background_white = (V + 236, 190, 48, 20)
        self.svg_background_none = (V + 292, 190, 48, 20)
        self.svg_colour_black = (V + 180, 220, 48, 20)
        self.svg_colour_white = (V + 236, 220, 48, 20)
        self.svg_colour_own = (V + 292, 220, 48, 20)
        self.svg_line_width = (V + 180, 250, 106, 20)

        # "Measures"
        self.measures_csv = (V + 10, 130, 105, 20)
        self.measures_condyles = (V + 10, 340, 190, 60)  # the names of the condyle table
        self.chart_svg = (V + 125, 130, 100, 20)
        self.chart = (V + 10, 400, 330, 230)
        # The chart's first plot: 246 columns from x V + 52, from y 415 down.
        self.chart_plot = (V + 52, 415, 246, 89)

    def exercise(self, i):
        """The toggle of exercise i (0-based) on the "File / Exercise" page."""
        return ((i % 2) * 170 + self.side + 10, (i // 2) * 30 + 220, 160, 20)


# The 104-byte preset record, little-endian: camera, angles, switches,
# speed slider, more switches, grid spacing and amounts, spokes; padding
# bytes are skipped ("x").
PRESET_FORMAT = "<6d2B10B4xd6B2xd3iB3x"
PRESET_FIELDS = (
    "camera_x", "camera_y", "camera_z", "pitch", "yaw", "roll",
    "pitch_locked", "perspective",
    "draw_l_vertex", "draw_i_vertex", "draw_r_vertex", "draw_li_edge", "draw_lr_edge", "draw_ri_edge",
    "draw_reference", "draw_axis", "paused", "looping",
    "speed_slider_position",
    "draw_all_exercise_verts", "auto_display_fitting", "draw_callibration",
    "draw_extrapolation_l", "draw_extrapolation_i", "draw_extrapolation_r",
    "extrapolation_distance", "extrapolation_x_amount", "extrapolation_y_amount", "extrapolation_z_amount",
    "draw_spokes",
)
PRESET_SIZE = struct.calcsize(PRESET_FORMAT)
assert PRESET_SIZE == 104


def read_preset(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) != PRESET_SIZE:
        raise AssertionError("%s holds %d bytes, not %d" % (path, len(data), PRESET_SIZE))
    return dict(zip(PRESET_FIELDS, struct.unpack(PRESET_FORMAT, data)))
