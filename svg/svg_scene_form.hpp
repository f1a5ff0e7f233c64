// The form of the 3D scene's SVG screenshot, fixed by the files written
// before the picture description: a picture whose first item is a group of
// form `scaled_document` (picture/picture.hpp) written element by element
// with the primitives of svg/svg_writer.hpp.
#pragma once

class SvgSink;
struct Picture;

// False, and nothing written, when the picture is not of that form.
bool svg_scene_form_write(SvgSink& file, const Picture& picture);
