// A picture description (picture/picture) drawn in software into the pixels
// of an SDL surface, one page unit a pixel: antialiased polylines (solid or
// dashed), rectangles and circles, filled and stroked, and text in the
// program's embedded font at the picture's sizes; groups carry style and
// clip as the description says. The window's widgets draw pictures with it.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <map>

#include "picture/picture.hpp"
#include "platform/sdl_help.hpp"

// The embedded font at the sizes a picture asks for, opened on first use
// and kept.
class PictureRasterFonts {
public:
    // The font of `size` page units (rounded to whole points, at least 4),
    // bold or not; null when it cannot be opened.
    TTF_Font* at(double size, bool bold);

private:
    std::map<int, FontPtr> fonts_;  // by 2 x point size + bold
};

// Draws the items of `picture` over the surface (32-bit RGBA as
// create_surface makes it), in order, clipped to the surface.
void picture_raster_draw(SDL_Surface* surface, const Picture& picture, PictureRasterFonts* fonts);
