// The toggle: a button that keeps its state (on or off) between clicks and
// calls its callback at every click on it. Toggles join into radio groups:
// each member holds the others as its unpress set, pressing one releases
// the others, and a pressed member cannot be released by clicking it again.
#pragma once

#include <vector>

#include "widgets/interactable_button.hpp"

struct InteractableToggle : InteractableButton {
    std::uint8_t has_unpress_set = 0;  // 1 when the unpress set is not empty
    std::int32_t unpress_count = 0;
    std::vector<InteractableToggle*> unpress_set;  // the toggles released when this one is pressed (not owned)

    void react(const SDL_Event* event) override;  // interactable_toggle_react
};

void interactable_toggle_init(InteractableToggle* toggle, int x, int y, int w, int h, const Color* foreground,
                              const Color* background, const Color* foreground_pressed,
                              const Color* background_pressed, InteractableCallback callback, const char* text,
                              TTF_Font* font, std::uint8_t state);
std::unique_ptr<InteractableToggle> interactable_toggle_create(int x, int y, int w, int h, const Color* foreground,
                                                               const Color* background,
                                                               const Color* foreground_pressed,
                                                               const Color* background_pressed,
                                                               InteractableCallback callback, const char* text,
                                                               TTF_Font* font, std::uint8_t state);
// Sets the state (also when unchanged or inactive), rebuilds the picture and,
// when asked to, calls the callback. Other members of a radio group are not
// touched.
void interactable_toggle_set_state(InteractableToggle* toggle, std::uint8_t state, std::uint8_t call_callback);
// Replaces the unpress set; `count` is clamped to the entries handed over
// (a negative count keeps none).
void interactable_toggle_set_unpress_set(InteractableToggle* toggle, int count,
                                         std::vector<InteractableToggle*> unpress_set);
// Makes the toggles at `indices` of `list` one radio group: each member gets
// the others, in index order, as its unpress set. Entries that are not
// toggles take no part.
void interactable_toggle_associate_radio_buttons(Interactable* const* list, const std::uint32_t* indices,
                                                 std::uint32_t count);
void interactable_toggle_react(InteractableToggle* toggle, const SDL_Event* event);
void interactable_toggle_free(std::unique_ptr<InteractableToggle> toggle);
