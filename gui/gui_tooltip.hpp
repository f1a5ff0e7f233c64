// The tooltip: the pointer resting on an exercise's button (or on the
// "Measures" page's title) for half a second shows the whole name beside it,
// however much of it the button can show.
#pragma once

#include <cstdint>
#include <string>

struct GuiState;

inline constexpr std::uint32_t GUI_TOOLTIP_DELAY_MS = 500;

// The text the tooltip shows for the pointer at (x, y) at `now`
// (SDL_GetTicks()), empty when none; remembers where the pointer rests.
std::string gui_tooltip_text(GuiState* state, int x, int y, std::uint32_t now);
// Draws the tooltip for the pointer's place over everything (once per pass).
void gui_tooltip_draw(GuiState* state);
