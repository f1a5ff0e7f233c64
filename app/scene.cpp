#include "app/scene.hpp"

#include "geometry/basic_models.hpp"
#include "gui/gui.hpp"

void scene_draw_reference_objects(const GuiState* state)
{
    if (state->viewport == nullptr)
        return;
    if (state->draw_reference)
        interactable_viewport3d_draw_edges(state->viewport, unit_cube_verts, unit_cube_verts_number,
                                           unit_cube_edges, unit_cube_edges_number, &c_white);
    if (state->draw_axis)
        interactable_viewport3d_draw_edges(state->viewport, unit_axis_verts, unit_axis_verts_number,
                                           unit_axis_edges, unit_axis_edges_number, &c_white);
}
