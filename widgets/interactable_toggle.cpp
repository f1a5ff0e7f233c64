#include "widgets/interactable_toggle.hpp"

#include <algorithm>

void InteractableToggle::react(const SDL_Event* event)
{
    interactable_toggle_react(this, event);
}

namespace {

// The colour pair of a state: pressed means on.
void show_state(InteractableToggle* toggle)
{
    toggle->texture_valid = 0;
    toggle->foreground = toggle->pressed ? toggle->foreground_pressed : toggle->foreground_released;
    toggle->background = toggle->pressed ? toggle->background_pressed : toggle->background_released;
}

}  // namespace

void interactable_toggle_init(InteractableToggle* toggle, int x, int y, int w, int h, const Color* foreground,
                              const Color* background, const Color* foreground_pressed,
                              const Color* background_pressed, InteractableCallback callback, const char* text,
                              TTF_Font* font, std::uint8_t state)
{
    interactable_button_init(toggle, x, y, w, h, foreground, background, foreground_pressed, background_pressed,
                             callback, text, font);
    // Any non-zero state means on, so `pressed` is always 0 or 1 and every
    // rule below that tests it sees one of the two.
    toggle->pressed = state != 0 ? 1 : 0;
    if (toggle->pressed) {
        toggle->foreground = toggle->foreground_pressed;
        toggle->background = toggle->background_pressed;
    }
    toggle->has_unpress_set = 0;
    toggle->unpress_count = 0;
    toggle->unpress_set.clear();
}

std::unique_ptr<InteractableToggle> interactable_toggle_create(int x, int y, int w, int h, const Color* foreground,
                                                               const Color* background,
                                                               const Color* foreground_pressed,
                                                               const Color* background_pressed,
                                                               InteractableCallback callback, const char* text,
                                                               TTF_Font* font, std::uint8_t state)
{
    auto toggle = interactable_allocate<InteractableToggle>("Malloc for interactable (toggle) failed\n");
    interactable_toggle_init(toggle.get(), x, y, w, h, foreground, background, foreground_pressed,
                             background_pressed, callback, text, font, state);
    return toggle;
}

void interactable_toggle_set_state(InteractableToggle* toggle, std::uint8_t state, std::uint8_t call_callback)
{
    // Applied even when nothing changes and even while inactive: the picture
    // is rebuilt and, when asked, the callback runs.
    toggle->pressed = state != 0 ? 1 : 0;
    show_state(toggle);
    if (call_callback && toggle->callback != nullptr)
        toggle->callback(toggle);
}

void interactable_toggle_set_unpress_set(InteractableToggle* toggle, int count,
                                         std::vector<InteractableToggle*> unpress_set)
{
    // The count never reaches past the entries actually handed over.
    const std::size_t kept = std::min(static_cast<std::size_t>(std::max(count, 0)), unpress_set.size());
    unpress_set.resize(kept);
    toggle->unpress_set = std::move(unpress_set);
    toggle->unpress_count = static_cast<std::int32_t>(kept);
    toggle->has_unpress_set = kept != 0 ? 1 : 0;
}

void interactable_toggle_associate_radio_buttons(Interactable* const* list, const std::uint32_t* indices,
                                                 std::uint32_t count)
{
    // Only toggles take part: an entry of another kind (or a null one) is
    // neither given a set nor put into the others' sets.
    std::vector<InteractableToggle*> members;
    members.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        if (auto* toggle = dynamic_cast<InteractableToggle*>(list[indices[i]]))
            members.push_back(toggle);

    for (std::size_t i = 0; i < members.size(); ++i) {
        std::vector<InteractableToggle*> others;
        others.reserve(members.size() - 1);
        for (std::size_t j = 0; j < members.size(); ++j)
            if (j != i)
                others.push_back(members[j]);
        const int others_count = static_cast<int>(others.size());
        interactable_toggle_set_unpress_set(members[i], others_count, std::move(others));
    }
}

// Off --click--> on: first every member of the unpress set is switched off
//                with its callback (in set order), then this one turns on.
// On  --click--> off, for a toggle without an unpress set;
// On  --click--> on (unchanged), for a member of a radio group.
// Every click on the toggle ends with its own callback, whatever happened;
// button releases and clicks elsewhere are ignored.
void interactable_toggle_react(InteractableToggle* toggle, const SDL_Event* event)
{
    // Input
    if (interactable_pointer(toggle, event, InteractableCapture::none) != InteractablePointer::press)
        return;

    // State change
    if (!toggle->pressed) {
        // A copy: the other members' callbacks may rebuild this set.
        const std::vector<InteractableToggle*> others = toggle->unpress_set;
        for (InteractableToggle* other : others)
            interactable_toggle_set_state(other, 0, 1);
        toggle->pressed = 1;
        show_state(toggle);
    } else if (!toggle->has_unpress_set) {
        toggle->pressed = 0;
        show_state(toggle);
    }

    // Callback
    if (toggle->callback != nullptr)
        toggle->callback(toggle);
}

void interactable_toggle_free(std::unique_ptr<InteractableToggle> toggle)
{
    toggle.reset();
}
