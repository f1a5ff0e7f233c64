// The window's keys, whenever no text field is being edited:
//   Left / Right         one sample back / forward (playback pauses)
//   Shift+Left / Right   one second back / forward
//   Home / End           the first / last sample
//   P                    play / pause
//   Escape               cancel the load of a report (the open one stays)
//   Ctrl+O               open a report (the desktop's file chooser)
//   Ctrl+S               the screenshot
//   Ctrl+E               the measures' CSV
//   Ctrl+Q               quit, as the window's close button does
#pragma once

#include <SDL.h>

struct GuiState;

// Acts on a key press; false when the key is none of the above.
bool gui_keyboard_handle(GuiState* state, const SDL_KeyboardEvent& key);
