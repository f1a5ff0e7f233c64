#include "tests/reliability/session.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <tuple>
#include <utility>
#include <vector>

#include "gui/gui_report_access.hpp"
#include "tools/report_generator.hpp"

namespace zelto_reliability {

using zelto_test::mouse_button_event;

Session::Session()
{
    char program[] = "zelto";
    char* argv[] = {program, nullptr};
    capture([&] { zelto_start(&loop_, 1, argv); });
    // After the context exists, so that the driver's leaks keep their names.
    zelto_test::keep_loaded_libraries_mapped();
    // A small report that always loads: two exercises of one second.
    ReportGeneratorOptions options;
    std::tie(options.duration, options.exercises, options.angles) = std::tuple(1.0, 2, true);
    if (!report_generator_write_file(usable_report_.c_str(), options))
        ADD_FAILURE() << "cannot write " << usable_report_;
    still_pass();
}

Session::~Session()
{
    if (loop_.gui != nullptr)
        capture([&] { zelto_shutdown(&loop_); });
}

bool Session::pass()
{
    bool running = true;
    capture([&] { running = zelto_pass(&loop_); });
    return running;
}

bool Session::still_pass()
{
    loop_.last_frame_time = 0;
    return pass();
}

void Session::push(SDL_Event event)
{
    if (SDL_PushEvent(&event) < 0)
        ADD_FAILURE() << "SDL_PushEvent: " << SDL_GetError();
}

void Session::click(const Interactable* widget)
{
    push(mouse_button_event(SDL_MOUSEBUTTONDOWN, widget->x + 1, widget->y + 1));
    push(mouse_button_event(SDL_MOUSEBUTTONUP, widget->x + 1, widget->y + 1));
    still_pass();
}

void Session::show_page(char letter)
{
    const GuiState& s = state();
    const std::array<InteractableToggle*, GUI_PAGE_COUNT> tabs = {
        s.page_toggle_a, s.page_toggle_b, s.page_toggle_c, s.page_toggle_d, s.page_toggle_e,
        s.page_toggle_f, s.page_toggle_g, s.page_toggle_h, s.page_toggle_i};
    click(tabs.at(static_cast<std::size_t>(letter - 'a')));
}

void Session::type_into(InteractableTextInput* field, const std::string& text)
{
    click(field);
    // SDL delivers typed text in pieces of at most 31 bytes; its queue holds a
    // few thousand events, so a pass empties it now and then.
    constexpr std::size_t piece = sizeof(SDL_TextInputEvent::text) - 1;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        push(zelto_test::text_input_event(text.substr(at, piece).c_str()));
        if ((at / piece + 1) % 1000 == 0)
            still_pass();
    }
    push(zelto_test::key_event(SDL_KEYDOWN, SDLK_RETURN));
    push(zelto_test::key_event(SDL_KEYUP, SDLK_RETURN));
    still_pass();
}

void Session::move_mouse(int x, int y)
{
    SDL_WarpMouseInWindow(loop_.window.get(), x, y);
    still_pass();
}

std::string Session::load(const std::string& path, Road road)
{
    const std::size_t before = console_.size();
    if (road == Road::drop) {
        SDL_Event drop{};
        drop.type = SDL_DROPFILE;
        drop.drop.file = SDL_strdup(path.c_str());
        drop.drop.windowID = SDL_GetWindowID(loop_.window.get());
        push(drop);
    } else if (road == Road::call) {
        capture([&] { gui_load_report(path.c_str()); });
    } else {
        show_page('b');
        type_into(state().report_path_input, path);
    }
    if (road != Road::path_field)
        still_pass();
    // A load longer than a pass goes on in the background: wait for it here,
    // and draw a frame of it, as a load within the pass had.
    if (state().load != nullptr) {
        capture([&] { gui_load_finish(&state()); });
        still_pass();
    }
    std::string printed = console_.substr(before);
    console_.resize(before);
    return printed;
}

void Session::set_toggle(InteractableToggle* toggle, bool on)
{
    if ((toggle->pressed != 0) != on)
        click(toggle);
    EXPECT_EQ(toggle->pressed != 0, on);
}

void Session::run_passes(int count, const std::string& context)
{
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(pass()) << context;
        const EmgExercise* exercise = gui_selected_exercise(&state());
        if (exercise == nullptr)
            continue;
        const double n = gui_exercise_sample_count(exercise), p = state().animation_position;
        int shown = 0, of = 0;
        const std::string& label = state().animation_slider->text;
        EXPECT_TRUE(p >= 0.0 && p < n && std::sscanf(label.c_str(), "%d/%d", &shown, &of) == 2 &&
                    of == static_cast<int>(n) && shown >= 1 && shown <= of)
            << context << ", pass " << i << ": position " << p << ", slider shows " << label;
    }
}

// Draws a frame and reads it back: the black 3D area with the report's paths
// in it (above the row of the point information) and the beige panel.
void Session::expect_usable(const std::string& context, Road road)
{
    const std::string printed = load(usable_report_, road);
    ASSERT_TRUE(loop_.gui != nullptr && state().report != nullptr)
        << context << ": the valid report no longer loads\n" << printed;
    EXPECT_EQ(std::tuple(state().report->exercises_number, state().exercise_toggles.size(), still_pass()),
              std::tuple(2, 2u, true))
        << context;
    capture([&] { zelto_draw_frame(&loop_); });
    const int w = state().window_width, h = state().window_height;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    SDL_GL_SwapWindow(loop_.window.get());
    auto at = [&](int x, int y) { return &pixels[(static_cast<std::size_t>(h - 1 - y) * w + x) * 4]; };
    auto black = [](const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; };
    const std::uint8_t* panel = at(w - 4, h / 2);
    EXPECT_TRUE(black(at(2, 2)) && panel[0] == c_beige.r && panel[1] == c_beige.g && panel[2] == c_beige.b) << context;
    std::size_t lit = 0;
    for (int y = 0; y < h - 25; ++y)
        for (int x = 0; x < h; ++x)
            lit += !black(at(x, y));
    EXPECT_GT(lit, 0u) << context << ": the report's paths are not drawn";
    const std::string after = std::exchange(console_, std::string());
    EXPECT_EQ(after.find("openGL error"), std::string::npos) << context << "\n" << after;
}

}  // namespace zelto_reliability
