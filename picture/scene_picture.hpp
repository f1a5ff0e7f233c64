// The 3D scene projected into a picture description: the reference objects,
// the points, the lines and lattices, and the whole paths, each as the
// primitives a back end draws (circles, lines, polylines) in the page space
// of the drawing. The projection is the shared camera computation
// (geometry/camera.hpp), so the picture lies where the screen shows the
// scene; nothing here touches OpenGL or a window.
//
// A point that cannot be projected (a homogeneous w of 0, a non-finite
// coordinate or result) is left out: its circle, the lines that touch it, or
// its point of a polyline, so a picture never holds a non-finite position.
// In a perspective view the picture keeps what the screen keeps: what lies
// on or in front of the near plane (lines and paths are cut there).
#pragma once

#include <cstdint>

#include "geometry/camera.hpp"
#include "picture/picture.hpp"

struct Vector3;

// The camera of a scene drawing and the page it is drawn on: the camera
// projects into fractions of its view of view_width x view_height pixels,
// which are the same fractions of the page.
struct SceneFrame {
    CameraView view;
    int view_width;
    int view_height;
    double page_width;
    double page_height;
};

// Radius of a point's circle, in the units of the page at a line width of 1.
inline constexpr double SCENE_PICTURE_POINT_RADIUS = 2.0;

// Where a vertex lies on the page: false when it has no place there (behind
// the near plane of a perspective view included).
bool scene_picture_project(const SceneFrame& frame, const Vector3& vertex, PicturePoint* out);

// A group filled with `color` holding one circle of `radius` per vertex.
void scene_picture_vertices(Picture* picture, const SceneFrame& frame, const Vector3* vertices, int vertex_count,
                            PictureColor color, double radius);

// A group stroked with `color` holding one line per pair of `edges`
// (2 * edge_count vertex indices). Pairs with an index outside
// 0 .. vertex_count - 1 are skipped.
void scene_picture_edges(Picture* picture, const SceneFrame& frame, const Vector3* vertices, int vertex_count,
                         const std::int32_t* edges, int edge_count, PictureColor color);

// A group stroked with `color` (no fill) holding the polylines of a path that
// is solid, then dashed, then solid... switching at the given vertex indices,
// cut exactly as the screen cuts it (geometry/path_switching.hpp): one
// polyline per piece, empty pieces included, and more where a piece passes
// behind the near plane or a sample is missing. With a tolerance above 0
// each polyline keeps only the points needed to stay within that many page
// units of all of its points (its first and last stay, so do the switches).
void scene_picture_path_switched(Picture* picture, const SceneFrame& frame, const Vector3* vertices,
                                 int vertex_count, const std::int32_t* switches, int switch_count,
                                 PictureColor color, double tolerance);

// Cells of the page: a path drawn as the screen draws it from its cells
// (geometry/path_simplification.hpp), every pair of joined cells once, but
// with the cells cut from the page itself, squares of `cell_pixels` page
// units (rounded down to a power of two) on the pixel grid, each drawn at its
// centre. The view of a picture is fixed, so cells of the page also merge
// what lies at different depths on one pixel, which the screen's cells of
// space, kept for every rotation, cannot. Each style keeps its own pairs (the
// solid pieces' and the dashed pieces'), and each style's pairs are joined
// into as few polylines as they allow (geometry/path_trails.hpp), simplified
// with `tolerance` as above. So a path that repeats a movement a thousand
// times costs what one repetition costs, and the picture's size follows
// what is visible.
inline constexpr double SCENE_PICTURE_CELL_PIXELS = 1.0;

// The path of scene_picture_path_switched drawn from cells of the page, solid
// polylines first, in a group stroked with `color` (no fill); a point moves
// by at most half a cell's diagonal. False, and nothing added, when the
// cells make no saving (few samples, or hardly two in a cell), when part of
// the path lies behind the near plane, or when the page is too large for the
// cells: the caller then draws the samples.
bool scene_picture_path_cells(Picture* picture, const SceneFrame& frame, const Vector3* vertices,
                              int vertex_count, const std::int32_t* switches, int switch_count,
                              PictureColor color, double cell_pixels, double tolerance);
