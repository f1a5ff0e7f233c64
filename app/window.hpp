// Window services of the main loop: a new window size, and the BMP picture
// of the 3D view.
#pragma once

#include <string>

#include "platform/sdl_help.hpp"

// Resizes the window to width x height: the 3D view stays square with the
// window's height as side, and the panel moves with it.
void resize_window(int width, int height);

// Writes the lower-left square of side `size` of the current draw buffer
// (the 3D view for size = window height) as
// "screenshot_YYYY_MM_DD_HH_MM_SS.bmp" in the working directory, top row
// first. Called on a fully drawn frame, before the buffer swap, so the
// file equals what the screen shows.
void screenshot_bmp(int size);

// The lower-left square of side `size` of the current read buffer, top row
// first, in a new surface of R, G, B, A bytes (the pixels of the BMP
// screenshot); null for a size below 1.
SurfacePtr screenshot_read_square(int size);
