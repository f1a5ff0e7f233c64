#include "gui/gui_tooltip.hpp"

#include <SDL.h>

#include <algorithm>

#include "gui/gui.hpp"

namespace {

const InteractableText* rested_on(const GuiState* state, int x, int y)
{
    for (const auto& toggle : state->exercise_toggles)
        if (toggle->active && interactable_contains(toggle.get(), x, y))
            return toggle.get();
    if (state->measures_title != nullptr && state->measures_title->active
        && interactable_contains(state->measures_title, x, y))
        return state->measures_title;
    return nullptr;
}

}  // namespace

std::string gui_tooltip_text(GuiState* state, int x, int y, std::uint32_t now)
{
    const InteractableText* target = rested_on(state, x, y);
    if (target == nullptr || target != state->tooltip_target || x != state->tooltip_x || y != state->tooltip_y) {
        state->tooltip_target = target;
        state->tooltip_x = x;
        state->tooltip_y = y;
        state->tooltip_since = now;
        return {};
    }
    if (now - state->tooltip_since < GUI_TOOLTIP_DELAY_MS)
        return {};
    return target->text;
}

void gui_tooltip_draw(GuiState* state)
{
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    const std::string text = gui_tooltip_text(state, x, y, SDL_GetTicks());
    if (text.empty() || state->font == nullptr)
        return;
    int width = 0, height = 0;
    if (TTF_SizeUTF8(state->font, text.c_str(), &width, &height) != 0)
        return;
    width = std::min(width + 6, state->window_width);
    if (state->tooltip == nullptr)
        state->tooltip = interactable_text_create(0, 0, 10, 20, &c_black, &c_white, nullptr, "", state->font);
    InteractableText* tip = state->tooltip.get();
    // Below the pointer, kept inside the window.
    const int left = std::clamp(x - width / 2, 0, std::max(state->window_width - width, 0));
    const int top = y + 22 + 20 <= state->window_height ? y + 22 : y - 22;
    if (tip->w != width || tip->x != left || tip->y != top) {
        interactable_set_position(tip, left, top);
        tip->w = width;
        tip->texture_valid = 0;
    }
    if (tip->text != text)
        interactable_text_set_text(tip, text.c_str());
    tip->render();
    tip->blit(state->window_width, state->window_height);
}
