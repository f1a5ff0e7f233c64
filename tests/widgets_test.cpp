// The widget toolkit (but the 3D viewport): every kind driven by real SDL
// events through its own react operation, and a few pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "tests/test_support.hpp"
#include "widgets/interactable_button.hpp"
#include "widgets/interactable_chart.hpp"
#include "widgets/interactable_slider.hpp"
#include "widgets/interactable_text_input.hpp"
#include "widgets/interactable_text_timed.hpp"
#include "widgets/interactable_toggle.hpp"
#include "base/string_tools.hpp"

using namespace zelto_test;

namespace {

// Callbacks log the widget and, for buttons and toggles, `pressed` then.
using Calls = std::vector<std::pair<const Interactable*, int>>;
Calls calls;
void record_call(Interactable* widget)
{
    const auto* button = dynamic_cast<const InteractableButton*>(widget);
    calls.emplace_back(widget, button != nullptr ? button->pressed : -1);
}
int calls_of(const Interactable* widget)
{
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const auto& c) { return c.first == widget; }));
}

using Widgets = std::vector<Interactable*>;
void down(const Widgets& widgets, int x, int y, std::uint8_t button = SDL_BUTTON_LEFT)
{
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, x, y, button));
}
void up(const Widgets& widgets, int x, int y) { deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONUP, x, y)); }
void press_key(const Widgets& widgets, SDL_Keycode key, SDL_Keymod modifiers = KMOD_NONE)
{
    SDL_SetModState(modifiers);
    deliver(widgets, key_event(SDL_KEYDOWN, key));
    deliver(widgets, key_event(SDL_KEYUP, key));
    SDL_SetModState(KMOD_NONE);
}

#define EXPECT_COLOR(actual, expected) EXPECT_TRUE(same_color((actual), (expected)))

class WidgetTest : public testing::Test {
protected:
    void SetUp() override { calls.clear(); }

    // Renders and blits onto a cleared frame, as the main loop does.
    void draw(const Widgets& widgets) const
    {
        prepare_widget_frame(window.width(), window.height());
        for (Interactable* widget : widgets)
            widget->render();
        for (Interactable* widget : widgets)
            widget->blit(window.width(), window.height());
        glFinish();
    }
    std::unique_ptr<InteractableButton> make_button(const Color* fg_pressed = &c_black,
                                                    const Color* bg_pressed = &c_button_active)
    {
        return interactable_button_create(100, 50, 80, 30, &c_black, &c_beige, fg_pressed, bg_pressed, record_call,
                                          "Button", window.font());
    }
    std::unique_ptr<InteractableToggle> make_toggle(int x, std::uint8_t state = 0)
    {
        return interactable_toggle_create(x, 200, 60, 30, &c_black, &c_beige, &c_black, &c_button_active,
                                          record_call, "Toggle", window.font(), state);
    }
    std::unique_ptr<InteractableTextInput> make_input(const char* text, int y = 300)
    {
        return interactable_text_input_create(400, y, 100, 30, &c_white, &c_black, record_call, text, window.font());
    }
    // At (700, 100), 330 by 40, track 310: knob centre at 710 + 310 p, knob zone rows 124..135,
    // track zone rows 125..134 and columns 705..1024.
    std::unique_ptr<InteractableSlider> make_slider(double position)
    {
        return interactable_slider_create(700, 100, 330, 40, &c_white, &c_black, record_call, "0/0", window.font(),
                                          position, 310);
    }

    OffscreenWindow window;
};

// Every clickable kind over the same rectangle; a label keeps its callback but never calls it.
// Inactive widgets ignore events and draw nothing.
TEST_F(WidgetTest, HitTestInactiveWidgetsAndButtonPress)
{
    for (const auto& [x, y, hit] : {std::tuple{100, 50, 1}, {179, 79, 1}, {180, 50, 0}, {100, 80, 0}, {99, 60, 0},
                                    {120, 49, 0}}) {
        calls.clear();
        auto button = make_button();
        auto toggle = interactable_toggle_create(100, 50, 80, 30, &c_black, &c_beige, &c_black, &c_button_active,
                                                 record_call, "Toggle", window.font(), 0);
        auto input = interactable_text_input_create(100, 50, 80, 30, &c_white, &c_black, record_call, "x", window.font());
        auto label = interactable_text_create(100, 50, 80, 30, &c_black, &c_white, record_call, "", window.font());
        down({button.get(), toggle.get(), input.get(), label.get()}, x, y);
        EXPECT_EQ(std::tuple(calls_of(button.get()), int{toggle->pressed}, int{input->editing}, calls_of(label.get())),
                  std::tuple(hit, hit, hit, 0))
            << x << "," << y;
    }

    calls.clear();
    auto button = make_button();
    auto toggle = make_toggle(300);
    auto slider = make_slider(0.5);
    const Widgets all{button.get(), toggle.get(), slider.get()};
    for (Interactable* widget : all)
        interactable_deactivate(widget);
    for (const auto& [x, y] : {std::pair{120, 60}, std::pair{320, 210}, std::pair{865, 130}}) {
        down(all, x, y);
        up(all, x, y);
    }
    down(all, 865, 130);
    deliver(all, mouse_motion_event(900, 130, 35, 0));
    EXPECT_EQ(std::tuple(calls.size(), button->pressed + toggle->pressed + slider->dragging, slider->position),
              std::tuple(0u, 0, 0.5));
    draw(all);
    EXPECT_COLOR(window.pixel(300, 200), c_beige);   // the clear colour, not the toggle's frame
    EXPECT_COLOR(window.pixel(1000, 102), c_beige);  // nor the slider's background

    // A button calls once, on the press, and is released anywhere.
    interactable_activate(button.get());
    calls.clear();
    const Widgets widgets{button.get()};
    down(widgets, 110, 60);
    EXPECT_TRUE(button->pressed == 1 && same_color(button->background, c_button_active));
    down(widgets, 110, 60, SDL_BUTTON_RIGHT);  // already pressed: nothing
    up(widgets, 600, 600);                     // released outside: no second call
    EXPECT_TRUE(button->pressed == 0 && same_color(button->background, c_beige));
    EXPECT_EQ(calls_of(button.get()), 1);

    // Without pressed colours it shows inverse colours while pressed.
    auto plain = make_button(nullptr, nullptr);
    down({plain.get()}, 110, 60);
    draw({plain.get()});
    EXPECT_COLOR(window.pixel(100, 50), c_beige);  // the frame: the current foreground
    EXPECT_COLOR(window.pixel(178, 78), c_black);  // inside: the current background
}

TEST_F(WidgetTest, RadioGroupReleasesTheOthersWithTheirCallbacksBeforeItsOwn)
{
    auto a = make_toggle(100, 1);
    auto b = make_toggle(200);
    auto c = make_toggle(300);
    EXPECT_COLOR(a->background, c_button_active);  // created on: pressed colours, no callback
    auto label = interactable_text_create(0, 0, 10, 10, &c_black, &c_beige, nullptr, "", window.font());
    // Only toggles join a group.
    Interactable* const list[] = {label.get(), a.get(), b.get(), c.get()};
    const std::uint32_t indices[] = {0, 1, 2, 3};
    interactable_toggle_associate_radio_buttons(list, indices, 4);
    EXPECT_EQ(std::tuple(c->unpress_count, c->unpress_set), std::tuple(2, std::vector<InteractableToggle*>{a.get(), b.get()}));
    const Widgets widgets{a.get(), b.get(), c.get()};
    down(widgets, 310, 210);
    up(widgets, 310, 210);
    // b is called although it was already off.
    EXPECT_EQ(calls, (Calls{{a.get(), 0}, {b.get(), 0}, {c.get(), 1}}));
    EXPECT_TRUE(same_color(a->background, c_beige) && same_color(c->background, c_button_active));
    calls.clear();
    down(widgets, 310, 210);  // the pressed member: stays on, only its own callback
    EXPECT_EQ(calls, (Calls{{c.get(), 1}}));

    // A group of one is a plain toggle.
    calls.clear();
    auto single = make_toggle(100);
    Interactable* const alone[] = {single.get()};
    interactable_toggle_associate_radio_buttons(alone, indices, 1);
    EXPECT_EQ(single->has_unpress_set, 0);
    down({single.get()}, 110, 210);
    down({single.get()}, 110, 210);
    EXPECT_EQ(calls, (Calls{{single.get(), 1}, {single.get(), 0}}));
    // The same state again still rebuilds; the callback only when asked, even inactive.
    calls.clear();
    single->texture_valid = 1;
    interactable_toggle_set_state(single.get(), 0, 0);
    EXPECT_TRUE(single->texture_valid == 0 && calls.empty());
    interactable_deactivate(single.get());
    interactable_toggle_set_state(single.get(), 1, 1);
    EXPECT_EQ(calls, (Calls{{single.get(), 1}}));
    EXPECT_COLOR(single->background, c_button_active);
}

// An edit begins on a click with an empty field; Enter confirms it with one callback, Escape,
// any click or the field becoming inactive cancel it.
TEST_F(WidgetTest, TextInputEditsConfirmAndCancel)
{
    auto input = make_input("-5.00");
    auto other = make_input("other", 400);
    const Widgets widgets{input.get(), other.get()};
    down(widgets, 410, 310);
    EXPECT_EQ(std::tuple(int{input->editing}, input->text, input->text_size), std::tuple(1, "", 0));
    EXPECT_TRUE(same_color(input->foreground, c_black) && same_color(input->background, c_white));
    deliver(widgets, text_input_event("12"));
    press_key(widgets, SDLK_ESCAPE);
    EXPECT_EQ(std::tuple(int{input->editing}, input->text), std::tuple(0, "-5.00"));
    EXPECT_COLOR(input->foreground, c_white);

    // A click inside cancels without beginning a new edit; one into the other field begins its edit.
    for (const auto& [x, y] : {std::pair{410, 310}, std::pair{410, 410}}) {
        down(widgets, 410, 310);
        deliver(widgets, text_input_event("new"));
        down(widgets, x, y);
        EXPECT_EQ(std::tuple(int{input->editing}, input->text), std::tuple(0, "-5.00"));
    }
    EXPECT_EQ(other->editing, 1);
    press_key(widgets, SDLK_ESCAPE);
    // The page is switched away during an edit: the next event cancels it.
    down(widgets, 410, 310);
    deliver(widgets, text_input_event("new"));
    interactable_deactivate(input.get());
    deliver(widgets, mouse_motion_event(1, 1, 0, 0));
    EXPECT_EQ(std::tuple(int{input->editing}, input->text, calls.empty()), std::tuple(0, "-5.00", true));
    interactable_activate(input.get());

    for (SDL_Keycode enter : {SDLK_RETURN, SDLK_KP_ENTER}) {
        calls.clear();
        down(widgets, 410, 310);
        deliver(widgets, text_input_event("3"));
        press_key(widgets, enter);
        EXPECT_EQ(std::tuple(input->text, calls_of(input.get()), input->saved_text.has_value(),
                             same_color(input->foreground, c_white)),
                  std::tuple("3", 1, false, true));
    }

    // Setting the text ends an edit without a callback; the field's own text may be an argument.
    calls.clear();
    down(widgets, 410, 310);
    deliver(widgets, text_input_event("typed"));
    interactable_text_input_set_text_formatted_and_deactivate(input.get(), "%s/%d", "dropped", 7);
    EXPECT_EQ(std::tuple(int{input->editing}, int{input->active}, input->saved_text.has_value()),
              std::tuple(0, 1, false));
    EXPECT_COLOR(input->foreground, c_white);
    interactable_text_input_set_text_formatted_and_deactivate(input.get(), "%s!", input->text.c_str());
    EXPECT_EQ(std::tuple(input->text, calls.empty()), std::tuple("dropped/7!", true));
}

TEST_F(WidgetTest, BackspaceRemovesOneWholeUtf8CharacterAndCtrlCVCopyAndPaste)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ab", "a"}, {"\xC3\xA9", ""}, {"a\xE2\x82\xAC", "a"}, {"x\xF0\x9F\x98\x80", "x"},
        {"\xC3\xA9\xC3\xA9", "\xC3\xA9"}, {"", ""},
    };
    for (const auto& [typed, left] : cases) {
        auto input = make_input("before");
        down({input.get()}, 410, 310);
        if (*typed != '\0')
            deliver({input.get()}, text_input_event(typed));
        press_key({input.get()}, SDLK_BACKSPACE);
        EXPECT_EQ(std::tuple(input->text, input->text_size), std::tuple(left, int(std::string(left).size())))
            << typed;
    }
    auto input = make_input("-5.00");
    press_key({input.get()}, SDLK_BACKSPACE);  // idle: nothing
    EXPECT_EQ(input->text, "-5.00");

    const Widgets widgets{input.get()};
    const auto clipboard = [] { return std::string(SdlMemoryPtr(SDL_GetClipboardText()).get()); };
    ASSERT_EQ(SDL_SetClipboardText("before"), 0);
    down(widgets, 410, 310);
    press_key(widgets, SDLK_c, KMOD_LCTRL);
    EXPECT_EQ(clipboard(), "");  // right after the click: nothing typed yet
    deliver(widgets, text_input_event("h\xC3\xA9"));
    press_key(widgets, SDLK_c, KMOD_RCTRL);
    EXPECT_EQ(clipboard(), "h\xC3\xA9");
    ASSERT_EQ(SDL_SetClipboardText("xy\xE2\x82\xAC"), 0);
    press_key(widgets, SDLK_v);  // without Ctrl: nothing
    press_key(widgets, SDLK_v, KMOD_LCTRL);
    EXPECT_EQ(std::tuple(input->text, input->text_size), std::tuple("h\xC3\xA9xy\xE2\x82\xAC", 8));
    press_key(widgets, SDLK_BACKSPACE);  // removes the last pasted character
    EXPECT_EQ(std::tuple(input->text, input->text_size), std::tuple("h\xC3\xA9xy", 5));
    press_key(widgets, SDLK_RETURN);
    press_key(widgets, SDLK_v, KMOD_LCTRL);  // idle: no paste
    EXPECT_EQ(std::tuple(calls_of(input.get()), input->text), std::tuple(1, "h\xC3\xA9xy"));
}

TEST_F(WidgetTest, SliderZonesAndTrackSteps)
{
    const double step = static_cast<double>(0.1f);
    // The knob's position, the press, the position after it, whether it drags and calls.
    const std::tuple<double, int, int, double, bool, bool> cases[] = {
        // Knob zone corners (centre 865); the track right and left of the knob (a knob moved under
        // the pointer drags); track zone corners; clamped to exactly 1 and 0.
        {0.5, 859, 124, 0.5, true, false}, {0.5, 870, 135, 0.5, true, false}, {0.5, 871, 130, 0.5 + step, false, true},
        {0.5, 900, 130, 0.5 + step, true, true}, {0.5, 858, 130, 0.5 - step, false, true},
        {0.5, 705, 125, 0.5 - step, false, true}, {0.5, 1024, 134, 0.5 + step, false, true},
        {0.95, 1012, 130, 1.0, false, true}, {0.05, 706, 130, 0.0, true, true},
        // Beside the track, below and above its zone, the label, outside the widget.
        {0.5, 1025, 130, 0.5, false, false}, {0.5, 704, 130, 0.5, false, false}, {0.5, 900, 135, 0.5, false, false},
        {0.5, 900, 124, 0.5, false, false}, {0.5, 720, 105, 0.5, false, false}, {0.5, 865, 140, 0.5, false, false},
    };
    for (const auto& [start, mx, my, position, drags, calls_back] : cases) {
        calls.clear();
        auto slider = make_slider(start);
        slider->texture_valid = 1;
        down({slider.get()}, mx, my);
        // Any press inside marks the picture.
        EXPECT_EQ(std::tuple(slider->position, slider->dragging == 1, calls_of(slider.get()) == 1, slider->texture_valid == 1),
                  std::tuple(position, drags, calls_back, my == 140))
            << mx << "," << my;
    }
}

TEST_F(WidgetTest, SliderDragFollowsThePointerUntilAnyReleaseAndTakesAnyPosition)
{
    auto slider = make_slider(0.5);
    auto button = make_button();
    const Widgets widgets{slider.get(), button.get()};
    down(widgets, 865, 130);
    ASSERT_EQ(slider->dragging, 1);
    const std::pair<int, double> moves[] = {{741, 31.0 / 310.0}, {600, 0.0}, {710, 0.0},
                                            {1020, 1.0},         {1100, 1.0}, {865, 0.5}};
    for (const auto& [mx, position] : moves) {
        deliver(widgets, mouse_motion_event(mx, 500, 0, 0));
        EXPECT_EQ(slider->position, position) << mx;
    }
    EXPECT_EQ(calls_of(slider.get()), 6);
    // A release over another widget ends the drag; that widget sees it too.
    down(widgets, 110, 60);
    up(widgets, 110, 60);
    EXPECT_EQ(slider->dragging + button->pressed, 0);
    deliver(widgets, mouse_motion_event(741, 130, 0, 0));
    EXPECT_EQ(slider->position, 0.5);

    for (double p : {2.0, -1.0, 1e300, std::nan("")}) {
        interactable_slider_set_position(slider.get(), p);
        EXPECT_TRUE(slider->position == p || std::isnan(p));
        draw({slider.get()});  // far-out knobs are clipped away
        down({slider.get()}, 705, 130);
        up({slider.get()}, 705, 130);
    }
    // A track of no length: the pointer is before or after it.
    auto flat = interactable_slider_create(0, 0, 50, 40, &c_white, &c_black, nullptr, "", window.font(), 0.0, 0);
    down({flat.get()}, 10, 30);
    ASSERT_EQ(flat->dragging, 1);
    for (const auto& [mx, expected] : {std::pair{10, 0.0}, std::pair{11, 1.0}, std::pair{9, 0.0}}) {
        deliver({flat.get()}, mouse_motion_event(mx, 30, 0, 0));
        EXPECT_EQ(flat->position, expected) << mx;
    }
}

// The screenshot notice: hidden until restarted, then hidden again by its own render once its
// time has run out (the last moment still shows it). Labels of a megabyte.
TEST_F(WidgetTest, TimedTextAndMegabyteLabels)
{
    auto notice = interactable_text_timed_create(0, 0, 100, 20, &c_black, &c_beige, nullptr, "Screenshot taken!",
                                                 window.font(), 0, 1000.0);
    notice->render();
    EXPECT_EQ(notice->active, 0);
    interactable_text_timed_restart(notice.get());
    for (const auto& [age, shown] : {std::pair(0.0, 1), std::pair(800.0, 1), std::pair(1051.0, 0)}) {
        notice->start_time = static_cast<double>(SDL_GetTicks()) - age;
        notice->render();
        EXPECT_TRUE(notice->active == shown && (shown == 0 || notice->texture_valid == 1)) << age;
    }

    // A pasted page or a dropped path may be megabytes long; a label shows its beginning as it
    // shows a short text (SDL_ttf refuses pictures of gigabytes).
    auto label = interactable_text_create(0, 0, 200, 20, &c_black, &c_white, nullptr, "", window.font());
    auto picture_of = [&](const std::string& text) {
        interactable_text_set_text(label.get(), text.c_str());
        const SurfacePtr picture = interactable_text_draw_text(label.get());
        const auto* bytes = static_cast<const std::uint8_t*>(picture->pixels);
        std::string rows;
        for (int y = 0; y < picture->h; ++y)
            rows.append(reinterpret_cast<const char*>(bytes + y * picture->pitch), static_cast<std::size_t>(picture->w) * 4);
        return rows;
    };
    const std::string short_text = picture_of(std::string(40, 'W'));
    const std::string huge_text = picture_of(std::string(std::size_t{3} << 20, 'W'));
    EXPECT_EQ(huge_text.size(), 200u * 20u * 4u);
    EXPECT_TRUE(huge_text == short_text) << "the beginning of the long text is drawn as the short one is";
    EXPECT_NE(short_text, picture_of("")) << "forty W fill the label";
}

// The chart of a ramp of 500 samples (0 to 49.9 mm, angle 0) at (700, 300): its plot is 246
// columns from x 742 and 200 rows from y 315. A press on column c asks for the middle one of the
// samples k with floor(246 k / 500) == c; a drag holds the request inside the plot until any
// release; the pointer's (or requested) column shows its values; the cursor marks its column.
TEST_F(WidgetTest, ChartSeeksShowsTheValuesUnderThePointerAndItsCursor)
{
    EmgReport report;
    std::tie(report.frequency, report.calibration_incisal, report.has_rotation_data) = std::tuple(100.0, Vector3{}, true);
    report.exercises.resize(1);
    report.exercises_number = 1;
    for (int k = 0; k < 500; ++k)
        report.exercises[0].data.push_back({{-50, 0, 0}, {0, -k / 10.0, 0}, {50, 0, 0}, 0, 0, 0, 0, 0});
    auto chart = interactable_chart_create(700, 300, 330, 230, &c_black, &c_beige, record_call, window.font());
    interactable_chart_set_chart(chart.get(), emg_chart_build(&report, 0, 330, 230));
    const Widgets widgets{chart.get()};
    for (const auto& [x, y, sample] : {std::tuple(742, 400, std::int64_t{1}), {742 + 123, 310, 251}, {987, 529, 498},
                                       {741, 400, -1}, {988, 400, -1}, {800, 530, -1}}) {  // -1: no request
        calls.clear();
        chart->seek_sample = -1;
        down(widgets, x, y);
        EXPECT_EQ(std::tuple(calls_of(chart.get()), chart->seek_sample), std::tuple(sample < 0 ? 0 : 1, sample)) << x;
        up(widgets, x, y);
    }
    calls.clear();
    down(widgets, 800, 400);
    for (const auto& [x, column, sample] : {std::tuple(700, 0, std::int64_t{1}), {1050, 245, 498}, {742 + 10, 10, 21}}) {
        deliver(widgets, mouse_motion_event(x, 100, 0, 0));
        EXPECT_EQ(std::tuple(chart->seek_sample, chart->hover_column), std::tuple(sample, column)) << x;
    }
    up(widgets, 0, 0);
    deliver(widgets, mouse_motion_event(742 + 30, 400, 0, 0));
    EXPECT_EQ(std::tuple(calls_of(chart.get()), chart->seek_sample, chart->hover_column), std::tuple(4, 21, 30));

    // The picture: the ramp from bottom left to top right in the incisal colour, the flat angle
    // across the middle, the values at column 30 (sample 62), the cursor at sample 400 (column 196).
    interactable_chart_set_cursor(chart.get(), 400.7);
    draw(widgets);
    const Color blue{64, 64, 255, 255}, orange{190, 60, 0, 255};
    EXPECT_COLOR(window.pixel(742, 514), blue);
    EXPECT_COLOR(window.pixel(987, 316), blue);
    EXPECT_COLOR(window.pixel(742 + 100, 415), orange);
    const std::vector<std::uint8_t> line = window.read_pixels(742 + 196, 315, 1, 200);
    const std::vector<std::uint8_t> beside = window.read_pixels(742 + 195, 315, 1, 200);
    EXPECT_EQ(std::count(line.begin(), line.end(), 0), 600);  // r, g and b of 200 black pixels
    EXPECT_LT(std::count(beside.begin(), beside.end(), 0), 30);
    const std::vector<std::uint8_t> readout = window.read_pixels(700, 300, 330, 14);
    deliver(widgets, mouse_motion_event(600, 400, 0, 0));
    draw(widgets);
    EXPECT_NE(readout, window.read_pixels(700, 300, 330, 14)) << "the legend is back";
    // Hidden, it forgets the pointer; without samples it takes no press.
    interactable_deactivate(chart.get());
    draw(widgets);
    interactable_activate(chart.get());
    interactable_chart_set_chart(chart.get(), emg_chart_build(nullptr, 0, 330, 230));
    down(widgets, 800, 400);
    EXPECT_EQ(std::tuple(chart->hover_column, chart->seeking, calls_of(chart.get())), std::tuple(-1, 0, 4));
}

TEST(Text, Utf8PrefixesEndBetweenCharacters)
{
    const std::tuple<const char*, std::size_t, std::size_t> cases[] = {  // text, characters, their bytes
        {"", 0, 0}, {"", 5, 0}, {"abc", 0, 0}, {"abc", 2, 2}, {"abc", 3, 3}, {"abc", 99, 3},
        // e-acute of two bytes, a euro sign of three, an emoji of four.
        {"h\xC3\xA9llo", 2, 3}, {"\xE2\x82\xAC\xE2\x82\xAC", 1, 3}, {"\xF0\x9F\x98\x80!", 1, 4},
        // Bytes that start no character (stray continuation bytes among them) count one each.
        {"\x80\x80" "a", 0, 0}, {"\x80\x80" "a", 1, 1}, {"\x80\x80" "a", 3, 3}, {"\xFF\xFEz", 2, 2},
    };
    for (const auto& [text, count, bytes] : cases)
        EXPECT_EQ(string_utf8_prefix_length(text, count), bytes) << text << " / " << count;
}

}  // namespace
