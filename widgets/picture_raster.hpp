// The window's back end of the picture description (picture/picture.hpp):
// a picture drawn in software into an SDL surface, which a widget then
// uploads as its texture.
//
// Whole pixels, no smoothing: rectangles and circles fill the pixels whose
// centres they cover, polylines are walked pixel by pixel with a square pen
// of the stroke's width (dashes measured along the line), clipping groups
// clip. Text is drawn with the one font given, whatever the font size the
// picture asks for, its top the font's ascent above the baseline.
#pragma once

#include <SDL_ttf.h>

#include "picture/picture.hpp"
#include "platform/sdl_help.hpp"

// Draws the picture over the surface, page unit for pixel from its top left.
void picture_raster_draw(SDL_Surface* surface, const Picture& picture, TTF_Font* font);
// A new surface of the picture's size (at least 1 x 1) with the picture on it.
SurfacePtr picture_raster_surface(const Picture& picture, TTF_Font* font);
