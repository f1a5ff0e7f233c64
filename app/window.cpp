#include "app/window.hpp"

#include <ctime>
#include <cstring>
#include <vector>

#include "platform/file_writer.hpp"
#include "platform/screenshot_name.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui.hpp"

void resize_window(int width, int height)
{
    GuiState* s = gui_state;
    interactable_viewport3d_change_width_and_height(s->viewport, height, height);
    const int dx = width - s->window_width;
    const int dy = height - s->window_height;
    if (dx != 0) {
        s->window_width = width;
        s->window_height = height;
        // The whole panel shifts with the view's new side...
        for (auto& widget : s->interactables)
            interactable_move(widget.get(), dx, 0);
        for (auto& toggle : s->exercise_toggles)
            interactable_move(toggle.get(), dx, 0);
        // ...except what stays at the left, under or in the view.
        interactable_set_position(s->viewport, 0, 0);
        interactable_set_position(s->point_info_text, 20, height - 20);
        interactable_set_position(s->lock_image, 0, height - 20);
        interactable_set_position(s->unlock_image, 0, height - 20);
        gui_follow_window_height(s, dy);
        SDL_SetWindowSize(s->window, width, height);
        // The tracing sheet, when it shows, fills the new square.
        gui_show_tracings();
    }
    glViewport(0, 0, s->window_width, s->window_height);
}

SurfacePtr screenshot_read_square(int size)
{
    if (size <= 0)
        return nullptr;
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_ABGR8888));
    if (surface == nullptr)
        return nullptr;
    const std::size_t row = static_cast<std::size_t>(size) * 4;
    std::vector<std::uint8_t> pixels(row * static_cast<std::size_t>(size));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    // OpenGL delivers the bottom row first; the picture wants the top row
    // first.
    auto* out = static_cast<std::uint8_t*>(surface->pixels);
    for (int i = 0; i < size; ++i)
        std::memcpy(out + static_cast<std::size_t>(i) * static_cast<std::size_t>(surface->pitch),
                    &pixels[static_cast<std::size_t>(size - 1 - i) * row], row);
    return surface;
}

void screenshot_bmp(int size)
{
    const SurfacePtr surface = screenshot_read_square(size);
    const std::string name = screenshot_file_name(std::time(nullptr), "bmp");
    if (surface == nullptr) {
        gui_report_written(false, "the screenshot", name, SDL_GetError(),
                           gui_state != nullptr ? gui_state->screenshot_taken_text : nullptr, "Screenshot taken!",
                           "Screenshot failed!");
        return;
    }
    // A file that cannot be written is left out whole; the program goes on.
    FileWriter file(name);
    if (file.stream() != nullptr && SDL_SaveBMP_RW(surface.get(), SDL_RWFromFP(file.stream(), SDL_FALSE), 1) != 0)
        file.fail(SDL_GetError());
    const bool ok = file.commit();
    gui_report_written(ok, "the screenshot", name, file.error(),
                       gui_state != nullptr ? gui_state->screenshot_taken_text : nullptr, "Screenshot taken!",
                       "Screenshot failed!");
}
