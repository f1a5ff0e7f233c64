// The widget kinds (button, toggle, text input, slider, image) driven by
// real SDL events through the queue and the widgets' own react operations,
// and their pictures read back from a real OpenGL window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/resources/resources.hpp"
#include "tests/test_support.hpp"
#include "widgets/interactable_button.hpp"
#include "widgets/interactable_image.hpp"
#include "widgets/interactable_slider.hpp"
#include "widgets/interactable_text_input.hpp"
#include "widgets/interactable_toggle.hpp"

using namespace zelto_test;

namespace {

// Callbacks are plain function pointers; they report into this log, which
// every test starts empty. Each entry is the widget and, for toggles, its
// state at the moment of the call.
struct Call {
    const Interactable* widget;
    int pressed;
};
std::vector<Call>& call_log()
{
    static std::vector<Call> log;
    return log;
}
void record_call(Interactable* widget)
{
    const auto* button = dynamic_cast<const InteractableButton*>(widget);
    call_log().push_back({widget, button != nullptr ? button->pressed : -1});
}
int calls_of(const Interactable* widget)
{
    int n = 0;
    for (const Call& call : call_log())
        n += call.widget == widget;
    return n;
}

// Posts the event on SDL's queue, then offers everything the queue holds to
// every widget in list order, as the main loop does.
void deliver(const std::vector<Interactable*>& widgets, SDL_Event event)
{
    SDL_PushEvent(&event);
    SDL_Event polled;
    while (SDL_PollEvent(&polled))
        for (Interactable* widget : widgets)
            widget->react(&polled);
}

void click(const std::vector<Interactable*>& widgets, int x, int y, std::uint8_t button = SDL_BUTTON_LEFT)
{
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, x, y, button));
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONUP, x, y, button));
}

void press_key(const std::vector<Interactable*>& widgets, SDL_Keycode key, SDL_Keymod modifiers = KMOD_NONE)
{
    SDL_SetModState(modifiers);
    deliver(widgets, key_event(SDL_KEYDOWN, key));
    deliver(widgets, key_event(SDL_KEYUP, key));
    SDL_SetModState(KMOD_NONE);
}

void expect_color(const Color& actual, const Color& expected)
{
    EXPECT_TRUE(same_color(actual, expected)) << "got (" << int(actual.r) << ", " << int(actual.g) << ", "
                                              << int(actual.b) << ", " << int(actual.a) << "), expected ("
                                              << int(expected.r) << ", " << int(expected.g) << ", "
                                              << int(expected.b) << ", " << int(expected.a) << ")";
}

// Renders and blits the widgets onto a cleared frame, as the main loop does.
void draw_frame(const OffscreenWindow& window, const std::vector<Interactable*>& widgets)
{
    prepare_widget_frame(window.width(), window.height());
    for (Interactable* widget : widgets)
        widget->render();
    for (Interactable* widget : widgets)
        widget->blit(window.width(), window.height());
    glFinish();
}

class Widgets : public testing::Test {
protected:
    void SetUp() override { call_log().clear(); }

    OffscreenWindow window;
    TTF_Font* font() const { return window.font(); }

    std::unique_ptr<InteractableButton> make_button(const Color* fg_pressed = &c_black,
                                                    const Color* bg_pressed = &c_button_active)
    {
        return interactable_button_create(100, 50, 80, 30, &c_black, &c_beige, fg_pressed, bg_pressed, record_call,
                                          "Button", font());
    }
    std::unique_ptr<InteractableToggle> make_toggle(int x, std::uint8_t state = 0)
    {
        return interactable_toggle_create(x, 200, 60, 30, &c_black, &c_beige, &c_black, &c_button_active,
                                          record_call, "Toggle", font(), state);
    }
    std::unique_ptr<InteractableTextInput> make_input(const char* text = "-5.00", int y = 300)
    {
        return interactable_text_input_create(400, y, 100, 30, &c_white, &c_black, record_call, text, font());
    }
    std::unique_ptr<InteractableSlider> make_slider(double position)
    {
        return interactable_slider_create(700, 100, 330, 40, &c_white, &c_black, record_call, "0/0", font(),
                                          position, 310);
    }
};

// ---------------------------------------------------------------------------
// Hit test and inactive widgets
// ---------------------------------------------------------------------------

TEST_F(Widgets, ClicksOnTheLeftAndTopEdgesHitAndOnTheRightAndBottomEdgesMiss)
{
    const struct {
        int x, y;
        bool hit;
    } cases[] = {
        {100, 50, true},  {179, 79, true},  {179, 50, true},  {100, 79, true},
        {180, 50, false}, {100, 80, false}, {99, 60, false},  {120, 49, false},
    };
    for (const auto& c : cases) {
        call_log().clear();
        auto button = make_button();
        auto toggle = make_toggle(100);
        toggle->y = 50;
        toggle->w = 80;
        auto input = make_input();
        interactable_set_position(input.get(), 100, 50);
        input->w = 80;
        click({button.get(), toggle.get()}, c.x, c.y);
        deliver({input.get()}, mouse_button_event(SDL_MOUSEBUTTONDOWN, c.x, c.y));
        EXPECT_EQ(calls_of(button.get()), c.hit ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(toggle->pressed, c.hit ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(input->editing, c.hit ? 1 : 0) << c.x << "," << c.y;
        EXPECT_TRUE(interactable_contains(button.get(), c.x, c.y) == c.hit);
        press_key({input.get()}, SDLK_ESCAPE);
    }
}

TEST_F(Widgets, InactiveWidgetsIgnoreEveryEventAndKeepTheirPicture)
{
    auto button = make_button();
    auto toggle = make_toggle(300);
    auto slider = make_slider(0.5);
    const std::vector<Interactable*> all{button.get(), toggle.get(), slider.get()};
    draw_frame(window, all);
    const Color toggle_before = window.pixel(330, 210);
    expect_color(window.pixel(300, 200), c_black);   // the toggle's frame
    expect_color(window.pixel(1000, 102), c_black);  // the slider's background
    for (Interactable* widget : all)
        interactable_deactivate(widget);

    click(all, 120, 60);
    click(all, 320, 210);
    click(all, 865, 130);  // the slider's knob
    deliver(all, mouse_motion_event(900, 130, 35, 0));
    EXPECT_TRUE(call_log().empty());
    EXPECT_EQ(button->pressed, 0);
    EXPECT_EQ(toggle->pressed, 0);
    EXPECT_EQ(slider->dragging, 0);
    EXPECT_EQ(slider->position, 0.5);

    // Hidden: nothing is drawn; the window's clear colour shows through.
    draw_frame(window, all);
    expect_color(window.pixel(300, 200), c_beige);
    expect_color(window.pixel(1000, 102), c_beige);
    // Shown again: the same picture as before.
    for (Interactable* widget : all)
        interactable_activate(widget);
    draw_frame(window, all);
    expect_color(window.pixel(330, 210), toggle_before);
}

// ---------------------------------------------------------------------------
// Button
// ---------------------------------------------------------------------------

TEST_F(Widgets, ButtonCallsOnThePressOnceAndReleasesAnywhereWithoutACall)
{
    auto button = make_button();
    const std::vector<Interactable*> widgets{button.get()};

    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 110, 60));
    EXPECT_EQ(button->pressed, 1);
    EXPECT_EQ(calls_of(button.get()), 1);
    expect_color(button->background, c_button_active);
    EXPECT_EQ(button->texture_valid, 0);

    // A second press while held (another mouse button) does nothing.
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 110, 60, SDL_BUTTON_RIGHT));
    EXPECT_EQ(calls_of(button.get()), 1);

    // Moving off and releasing outside releases it, without a second call.
    deliver(widgets, mouse_motion_event(600, 600, 490, 540));
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONUP, 600, 600));
    EXPECT_EQ(button->pressed, 0);
    EXPECT_EQ(calls_of(button.get()), 1);
    expect_color(button->foreground, c_black);
    expect_color(button->background, c_beige);

    // A release while not pressed changes nothing.
    button->texture_valid = 1;
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONUP, 110, 60));
    EXPECT_EQ(button->texture_valid, 1);

    // Any mouse button presses it.
    click(widgets, 110, 60, SDL_BUTTON_MIDDLE);
    EXPECT_EQ(calls_of(button.get()), 2);
}

TEST_F(Widgets, ButtonWithoutPressedColoursShowsInverseColoursWhilePressed)
{
    auto button = make_button(nullptr, nullptr);
    deliver({button.get()}, mouse_button_event(SDL_MOUSEBUTTONDOWN, 110, 60));
    expect_color(button->foreground, c_beige);
    expect_color(button->background, c_black);

    draw_frame(window, {button.get()});
    expect_color(window.pixel(100, 50), c_beige);  // frame in the current foreground
    expect_color(window.pixel(178, 78), c_black);  // inside: the current background
}

// ---------------------------------------------------------------------------
// Toggle and radio groups
// ---------------------------------------------------------------------------

TEST_F(Widgets, RadioGroupReleasesTheOthersWithTheirCallbacksBeforeItsOwn)
{
    auto a = make_toggle(100, 1);
    auto b = make_toggle(200);
    auto c = make_toggle(300);
    auto label = interactable_text_create(0, 0, 10, 10, &c_black, &c_beige, nullptr, "", font());
    Interactable* const list[] = {label.get(), a.get(), b.get(), c.get()};
    const std::uint32_t indices[] = {1, 2, 3};
    interactable_toggle_associate_radio_buttons(list, indices, 3);
    ASSERT_EQ(c->unpress_count, 2);
    EXPECT_EQ(c->unpress_set[0], a.get());
    EXPECT_EQ(c->unpress_set[1], b.get());
    EXPECT_EQ(a->has_unpress_set, 1);
    const std::vector<Interactable*> widgets{a.get(), b.get(), c.get()};

    // A click on an off member: every other member off with its callback
    // (whether it was on or not), in set order, then its own, now on.
    click(widgets, 310, 210);
    ASSERT_EQ(call_log().size(), 3u);
    EXPECT_EQ(call_log()[0].widget, a.get());
    EXPECT_EQ(call_log()[0].pressed, 0);
    EXPECT_EQ(call_log()[1].widget, b.get());
    EXPECT_EQ(call_log()[1].pressed, 0);
    EXPECT_EQ(call_log()[2].widget, c.get());
    EXPECT_EQ(call_log()[2].pressed, 1);
    expect_color(a->background, c_beige);
    expect_color(c->background, c_button_active);

    // A click on the pressed member keeps it on and calls only its own.
    call_log().clear();
    click(widgets, 310, 210);
    ASSERT_EQ(call_log().size(), 1u);
    EXPECT_EQ(call_log()[0].widget, c.get());
    EXPECT_EQ(c->pressed, 1);

    // Releases and clicks elsewhere do nothing.
    call_log().clear();
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONUP, 310, 210));
    click(widgets, 500, 500);
    EXPECT_TRUE(call_log().empty());
}

TEST_F(Widgets, GroupOfOneAndSingleTogglesSwitchOnAndOff)
{
    auto single = make_toggle(100);
    Interactable* const list[] = {single.get()};
    const std::uint32_t index = 0;
    interactable_toggle_associate_radio_buttons(list, &index, 1);
    EXPECT_EQ(single->has_unpress_set, 0);
    EXPECT_EQ(single->unpress_count, 0);
    EXPECT_TRUE(single->unpress_set.empty());

    click({single.get()}, 110, 210);
    EXPECT_EQ(single->pressed, 1);
    click({single.get()}, 110, 210);
    EXPECT_EQ(single->pressed, 0);
    ASSERT_EQ(call_log().size(), 2u);
    EXPECT_EQ(call_log()[0].pressed, 1);
    EXPECT_EQ(call_log()[1].pressed, 0);

    // An empty group changes nothing.
    interactable_toggle_associate_radio_buttons(list, &index, 0);
    EXPECT_EQ(single->has_unpress_set, 0);
}

TEST_F(Widgets, ToggleStartsInItsStateAndSetStateAlwaysRebuilds)
{
    auto on = make_toggle(100, 1);
    EXPECT_EQ(on->pressed, 1);
    expect_color(on->background, c_button_active);
    EXPECT_TRUE(call_log().empty());

    // Any non-zero state is on.
    auto also_on = make_toggle(200, 7);
    EXPECT_EQ(also_on->pressed, 1);

    on->texture_valid = 1;
    interactable_toggle_set_state(on.get(), 1, 0);
    EXPECT_EQ(on->texture_valid, 0);
    EXPECT_TRUE(call_log().empty());
    interactable_toggle_set_state(on.get(), 1, 1);
    EXPECT_EQ(calls_of(on.get()), 1);

    // Works on an inactive toggle too, and touches no other member.
    auto other = make_toggle(300, 1);
    on->unpress_set = {other.get()};
    interactable_deactivate(on.get());
    interactable_toggle_set_state(on.get(), 0, 1);
    EXPECT_EQ(on->pressed, 0);
    expect_color(on->background, c_beige);
    EXPECT_EQ(other->pressed, 1);
}

TEST_F(Widgets, UnpressSetNeverCountsMoreEntriesThanItHolds)
{
    auto t = make_toggle(100);
    auto u = make_toggle(200);
    interactable_toggle_set_unpress_set(t.get(), 5, {u.get()});
    EXPECT_EQ(t->unpress_count, 1);
    EXPECT_EQ(t->has_unpress_set, 1);
    interactable_toggle_set_unpress_set(t.get(), 0, {u.get()});
    EXPECT_EQ(t->unpress_count, 0);
    EXPECT_EQ(t->has_unpress_set, 0);
    EXPECT_TRUE(t->unpress_set.empty());
    interactable_toggle_set_unpress_set(t.get(), -3, {u.get()});
    EXPECT_EQ(t->unpress_count, 0);

    // Only toggles join a group: a label in the index list is left out.
    auto label = interactable_text_create(0, 0, 10, 10, &c_black, &c_beige, nullptr, "x", font());
    Interactable* const list[] = {t.get(), label.get(), u.get()};
    const std::uint32_t indices[] = {0, 1, 2};
    interactable_toggle_associate_radio_buttons(list, indices, 3);
    ASSERT_EQ(t->unpress_count, 1);
    EXPECT_EQ(t->unpress_set[0], u.get());
}

// ---------------------------------------------------------------------------
// Text input
// ---------------------------------------------------------------------------

TEST_F(Widgets, TextInputEscapeRestoresAndEnterConfirms)
{
    auto input = make_input("-5.00");
    const std::vector<Interactable*> widgets{input.get()};

    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
    EXPECT_EQ(input->editing, 1);
    EXPECT_EQ(input->text, "");
    EXPECT_EQ(input->text_size, 0);
    expect_color(input->foreground, c_black);
    expect_color(input->background, c_white);
    ASSERT_TRUE(input->saved_text.has_value());
    EXPECT_EQ(*input->saved_text, "-5.00");

    deliver(widgets, text_input_event("12"));
    press_key(widgets, SDLK_ESCAPE);
    EXPECT_EQ(input->editing, 0);
    EXPECT_EQ(input->text, "-5.00");
    EXPECT_FALSE(input->saved_text.has_value());
    expect_color(input->foreground, c_white);
    expect_color(input->background, c_black);
    EXPECT_TRUE(call_log().empty());

    for (SDL_Keycode enter : {SDLK_RETURN, SDLK_KP_ENTER}) {
        call_log().clear();
        deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
        deliver(widgets, text_input_event("3"));
        press_key(widgets, enter);
        EXPECT_EQ(input->editing, 0);
        EXPECT_EQ(input->text, "3");
        EXPECT_EQ(calls_of(input.get()), 1);
        expect_color(input->foreground, c_white);
        EXPECT_FALSE(input->saved_text.has_value());
    }
}

TEST_F(Widgets, TextInputCancelsOnAnyClickAndWhenItBecomesInactive)
{
    auto input = make_input("old");
    auto other = make_input("other", 400);
    const std::vector<Interactable*> widgets{input.get(), other.get()};

    // A second click inside cancels and does not begin a new edit.
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
    deliver(widgets, text_input_event("new"));
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
    EXPECT_EQ(input->editing, 0);
    EXPECT_EQ(input->text, "old");

    // A click outside (here into another field) cancels; the other field
    // begins its own edit in the same event.
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
    deliver(widgets, text_input_event("new"));
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 410));
    EXPECT_EQ(input->editing, 0);
    EXPECT_EQ(input->text, "old");
    EXPECT_EQ(other->editing, 1);
    press_key(widgets, SDLK_ESCAPE);
    EXPECT_EQ(other->text, "other");

    // The page is switched away during an edit: the next event of any kind
    // cancels it.
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
    deliver(widgets, text_input_event("new"));
    interactable_deactivate(input.get());
    EXPECT_EQ(input->editing, 1);
    deliver(widgets, mouse_motion_event(1, 1, 0, 0));
    EXPECT_EQ(input->editing, 0);
    EXPECT_EQ(input->text, "old");
    expect_color(input->foreground, c_white);
    EXPECT_TRUE(call_log().empty());
}

TEST_F(Widgets, BackspaceRemovesOneWholeUtf8Character)
{
    const struct {
        const char* typed;
        const char* left;
    } cases[] = {
        {"ab", "a"},
        {"\xC3\xA9", ""},                  // é, two bytes
        {"a\xE2\x82\xAC", "a"},            // a and the euro sign, three bytes
        {"x\xF0\x9F\x98\x80", "x"},        // a four-byte character
        {"\xC3\xA9\xC3\xA9", "\xC3\xA9"},  // only the last of two
        {"", ""},                          // nothing to remove
    };
    for (const auto& c : cases) {
        auto input = make_input();
        const std::vector<Interactable*> widgets{input.get()};
        deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
        if (*c.typed != '\0')
            deliver(widgets, text_input_event(c.typed));
        EXPECT_EQ(input->text_size, static_cast<int>(std::string(c.typed).size()));
        press_key(widgets, SDLK_BACKSPACE);
        EXPECT_EQ(input->text, c.left) << c.typed;
        EXPECT_EQ(input->text_size, static_cast<int>(std::string(c.left).size())) << c.typed;
        press_key(widgets, SDLK_ESCAPE);
    }

    // Outside editing Backspace does nothing.
    auto idle = make_input("keep");
    press_key({idle.get()}, SDLK_BACKSPACE);
    EXPECT_EQ(idle->text, "keep");
}

TEST_F(Widgets, ClipboardCopyOfWhatWasTypedAndPasteThenBackspace)
{
    auto input = make_input("-5.00");
    const std::vector<Interactable*> widgets{input.get()};

    // Copy right after the click that began the edit copies an empty text.
    ASSERT_EQ(SDL_SetClipboardText("before"), 0);
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
    press_key(widgets, SDLK_c, KMOD_LCTRL);
    SdlMemoryPtr clipboard(SDL_GetClipboardText());
    EXPECT_STREQ(clipboard.get(), "");

    deliver(widgets, text_input_event("h\xC3\xA9"));
    press_key(widgets, SDLK_c, KMOD_RCTRL);
    clipboard.reset(SDL_GetClipboardText());
    EXPECT_STREQ(clipboard.get(), "h\xC3\xA9");
    // Without Ctrl the c key does nothing (letters arrive as text events).
    ASSERT_EQ(SDL_SetClipboardText("xy\xE2\x82\xAC"), 0);
    press_key(widgets, SDLK_c);
    EXPECT_EQ(input->text, "h\xC3\xA9");

    // Paste appends; a Backspace right after removes the last pasted character.
    press_key(widgets, SDLK_v, KMOD_LCTRL);
    EXPECT_EQ(input->text, "h\xC3\xA9xy\xE2\x82\xAC");
    EXPECT_EQ(input->text_size, 8);
    press_key(widgets, SDLK_BACKSPACE);
    EXPECT_EQ(input->text, "h\xC3\xA9xy");
    EXPECT_EQ(input->text_size, 5);
    press_key(widgets, SDLK_RETURN);
    EXPECT_EQ(input->text, "h\xC3\xA9xy");
    EXPECT_EQ(calls_of(input.get()), 1);

    // Outside editing neither copy nor paste acts.
    ASSERT_EQ(SDL_SetClipboardText("z"), 0);
    press_key(widgets, SDLK_v, KMOD_LCTRL);
    press_key(widgets, SDLK_c, KMOD_LCTRL);
    EXPECT_EQ(input->text, "h\xC3\xA9xy");
    clipboard.reset(SDL_GetClipboardText());
    EXPECT_STREQ(clipboard.get(), "z");
}

TEST_F(Widgets, SetTextFormattedAndDeactivateEndsTheEditWithoutCallback)
{
    auto input = make_input("old");
    deliver({input.get()}, mouse_button_event(SDL_MOUSEBUTTONDOWN, 410, 310));
    deliver({input.get()}, text_input_event("typed"));
    interactable_text_input_set_text_formatted_and_deactivate(input.get(), "%s/%d", "dropped", 7);
    EXPECT_EQ(input->editing, 0);
    EXPECT_EQ(input->text, "dropped/7");
    EXPECT_EQ(input->active, 1);
    EXPECT_FALSE(input->saved_text.has_value());
    expect_color(input->foreground, c_white);
    EXPECT_TRUE(call_log().empty());

    // Idle: only the text changes; the field's own text may be an argument.
    interactable_text_input_set_text_formatted_and_deactivate(input.get(), "%s!", input->text.c_str());
    EXPECT_EQ(input->text, "dropped/7!");
    expect_color(input->foreground, c_white);
    // Text typed while idle is ignored (SDL itself has stopped delivering it).
    const SDL_Event typed = text_input_event("zzz");
    input->react(&typed);
    EXPECT_EQ(input->text, "dropped/7!");
}

// ---------------------------------------------------------------------------
// Slider: the widget at (700, 100), 330 by 40, track 310. Knob centre at
// 710 + 310 p; knob zone rows 124..135, track zone rows 125..134, track zone
// columns 705..1024.
// ---------------------------------------------------------------------------

TEST_F(Widgets, SliderTrackClicksStepTowardsThePointerAndClamp)
{
    const double step = static_cast<double>(0.1f);
    ASSERT_EQ(step, 0.10000000149011612);
    const struct {
        double start;
        int mx;
        double expected;
        bool drags;
    } cases[] = {
        {0.5, 950, 0.5 + step, false},  // right of the knob: one step up
        {0.5, 900, 0.5 + step, true},   // the moved knob lands under the pointer: dragging
        {0.5, 720, 0.5 - step, false},  // left: one step down
        {0.95, 1012, 1.0, false},       // clamped to exactly 1
        {0.95, 1015, 1.0, true},
        {0.05, 717, 0.0, false},        // clamped to exactly 0
        {0.05, 706, 0.0, true},
        {0.0, 1020, step, false},
    };
    for (const auto& c : cases) {
        call_log().clear();
        auto slider = make_slider(c.start);
        deliver({slider.get()}, mouse_button_event(SDL_MOUSEBUTTONDOWN, c.mx, 130));
        EXPECT_EQ(slider->position, c.expected) << c.start << " " << c.mx;
        EXPECT_EQ(slider->dragging, c.drags ? 1 : 0) << c.start << " " << c.mx;
        EXPECT_EQ(calls_of(slider.get()), 1);
    }
}

TEST_F(Widgets, SliderZones)
{
    // At p = 0.5 the centre is 865: knob zone columns 859..870.
    const struct {
        int mx, my;
        const char* what;  // "knob", "track" or "none"
    } cases[] = {
        {859, 124, "knob"}, {870, 135, "knob"}, {859, 125, "knob"}, {871, 130, "track"},
        {858, 130, "track"}, {705, 125, "track"}, {1024, 134, "track"}, {1025, 130, "none"},
        {704, 130, "none"}, {865, 123, "none"}, {865, 136, "none"}, {900, 135, "none"},
        {900, 124, "none"}, {720, 105, "none"},  // the label area above the track
    };
    for (const auto& c : cases) {
        call_log().clear();
        auto slider = make_slider(0.5);
        slider->texture_valid = 1;
        deliver({slider.get()}, mouse_button_event(SDL_MOUSEBUTTONDOWN, c.mx, c.my));
        const std::string what = c.what;
        EXPECT_EQ(slider->texture_valid, 0) << c.mx << "," << c.my;  // any press inside marks the picture
        EXPECT_EQ(slider->dragging, what == "knob" ? 1 : 0) << c.mx << "," << c.my;
        EXPECT_EQ(slider->position != 0.5, what == "track") << c.mx << "," << c.my;
        EXPECT_EQ(calls_of(slider.get()), what == "track" ? 1 : 0) << c.mx << "," << c.my;
    }
    // A press outside the widget is not even a rebuild.
    auto slider = make_slider(0.5);
    slider->texture_valid = 1;
    deliver({slider.get()}, mouse_button_event(SDL_MOUSEBUTTONDOWN, 865, 140));
    EXPECT_EQ(slider->texture_valid, 1);
}

TEST_F(Widgets, SliderDragFollowsThePointerPastBothEndsUntilAnyRelease)
{
    auto slider = make_slider(0.5);
    auto button = make_button();
    const std::vector<Interactable*> widgets{slider.get(), button.get()};
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 865, 130));
    ASSERT_EQ(slider->dragging, 1);
    EXPECT_TRUE(call_log().empty());

    const struct {
        int mx;
        double expected;
    } moves[] = {{741, 31.0 / 310.0}, {600, 0.0}, {709, 0.0}, {710, 0.0}, {1020, 1.0}, {1100, 1.0}, {865, 0.5}};
    for (const auto& move : moves) {
        deliver(widgets, mouse_motion_event(move.mx, 500, 0, 0));
        EXPECT_EQ(slider->position, move.expected) << move.mx;
    }
    EXPECT_EQ(calls_of(slider.get()), 7);

    // A release over another widget ends the drag; that widget sees it too.
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONDOWN, 110, 60));
    ASSERT_EQ(button->pressed, 1);
    deliver(widgets, mouse_button_event(SDL_MOUSEBUTTONUP, 110, 60));
    EXPECT_EQ(slider->dragging, 0);
    EXPECT_EQ(button->pressed, 0);
    deliver(widgets, mouse_motion_event(741, 130, 0, 0));
    EXPECT_EQ(slider->position, 0.5);
}

TEST_F(Widgets, SliderSetPositionStoresAnyValueAndStillDraws)
{
    auto slider = make_slider(0.0);
    for (double p : {2.0, -1.0, 1e300, std::nan(""), 0.25}) {
        slider->texture_valid = 1;
        interactable_slider_set_position(slider.get(), p);
        EXPECT_EQ(slider->texture_valid, 0);
        if (std::isnan(p))
            EXPECT_TRUE(std::isnan(slider->position));
        else
            EXPECT_EQ(slider->position, p);
        draw_frame(window, {slider.get()});  // far-out knobs are clipped, never wrapped
        // A press on the track with such a position is handled as well.
        deliver({slider.get()}, mouse_button_event(SDL_MOUSEBUTTONDOWN, 705, 130));
        deliver({slider.get()}, mouse_button_event(SDL_MOUSEBUTTONUP, 705, 130));
    }

    // A track of no length: the knob sits at its start; dragging gives 0 or 1.
    auto flat = interactable_slider_create(0, 0, 50, 40, &c_white, &c_black, record_call, "", font(), 0.0, 0);
    deliver({flat.get()}, mouse_button_event(SDL_MOUSEBUTTONDOWN, 10, 30));
    ASSERT_EQ(flat->dragging, 1);
    for (const auto& [mx, expected] : {std::pair{10, 0.0}, std::pair{11, 1.0}, std::pair{9, 0.0}}) {
        deliver({flat.get()}, mouse_motion_event(mx, 30, 0, 0));
        EXPECT_EQ(flat->position, expected) << mx;
    }
}

// ---------------------------------------------------------------------------
// Pictures
// ---------------------------------------------------------------------------

TEST_F(Widgets, OutlineFrameIsOnePixelOfTheForeground)
{
    auto button = interactable_button_create(100, 100, 120, 30, &c_red, &c_blue, nullptr, nullptr, nullptr, "",
                                             font());
    draw_frame(window, {button.get()});
    for (int x : {100, 150, 219}) {
        expect_color(window.pixel(x, 100), c_red);
        expect_color(window.pixel(x, 129), c_red);
        expect_color(window.pixel(x == 219 ? 218 : x + 1, 101), c_blue);
        expect_color(window.pixel(x == 219 ? 218 : x + 1, 128), c_blue);
    }
    for (int y : {100, 115, 129}) {
        expect_color(window.pixel(100, y), c_red);
        expect_color(window.pixel(219, y), c_red);
    }
    expect_color(window.pixel(101, 115), c_blue);
    expect_color(window.pixel(218, 115), c_blue);
    expect_color(window.pixel(220, 115), c_beige);  // outside: the clear colour
}

// The leftmost column and topmost row with a pixel that differs from `bg`.
std::pair<int, int> first_ink(const std::vector<std::uint8_t>& rgba, int w, int h, const Color& bg)
{
    int left = w, top = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &rgba[4 * (static_cast<std::size_t>(y) * w + x)];
            if (p[0] != bg.r || p[1] != bg.g || p[2] != bg.b) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
        }
    return {left, top};
}

TEST_F(Widgets, TextIsDrawnThreePixelsFromTheLeftAtTheTopAndCutAtTheRight)
{
    const char* text = "Hello world";
    auto label = interactable_text_create(200, 300, 40, 30, &c_black, &c_white, nullptr, text, font());
    draw_frame(window, {label.get()});

    // Where SDL_ttf itself puts the first ink of this text.
    const SurfacePtr glyphs(TTF_RenderUTF8_Blended(font(), text, sdl_color(c_black)));
    ASSERT_NE(glyphs, nullptr);
    const SurfacePtr rgba(SDL_ConvertSurfaceFormat(glyphs.get(), SDL_PIXELFORMAT_ABGR8888, 0));
    int ink_left = rgba->w, ink_top = rgba->h;
    for (int y = 0; y < rgba->h; ++y)
        for (int x = 0; x < rgba->w; ++x)
            if (static_cast<const std::uint8_t*>(rgba->pixels)[y * rgba->pitch + 4 * x + 3] != 0) {
                ink_left = std::min(ink_left, x);
                ink_top = std::min(ink_top, y);
            }
    ASSERT_GT(glyphs->w, 40);  // the text is wider than the label

    const auto [left, top] = first_ink(window.read_pixels(200, 300, 40, 30), 40, 30, c_white);
    EXPECT_EQ(left, 3 + ink_left);
    EXPECT_EQ(top, ink_top);
    // Not scaled or wrapped: the text runs on to the right edge, where it is cut.
    const std::vector<std::uint8_t> last_column = window.read_pixels(239, 300, 1, 30);
    EXPECT_TRUE(std::any_of(last_column.begin(), last_column.end(), [](std::uint8_t v) { return v < 200; }));
}

TEST_F(Widgets, SliderKnobAndTrackGeometry)
{
    // p = 0.5, L = 310: knob from x = trunc(155 + 5) = 160, rows h - 15 .. h - 6;
    // track from x = 9, 312 wide, rows h - 11 and h - 10 (h = 40).
    auto slider = make_slider(0.5);
    interactable_text_set_text(slider.get(), "");
    draw_frame(window, {slider.get()});
    const int X = 700, Y = 100;
    for (int x : {160, 165, 169})
        for (int y : {25, 30, 34})
            expect_color(window.pixel(X + x, Y + y), c_white);
    expect_color(window.pixel(X + 159, Y + 27), c_black);
    expect_color(window.pixel(X + 170, Y + 27), c_black);
    expect_color(window.pixel(X + 165, Y + 24), c_black);
    expect_color(window.pixel(X + 165, Y + 35), c_black);
    for (int x : {9, 100, 320}) {
        expect_color(window.pixel(X + x, Y + 29), c_white);
        expect_color(window.pixel(X + x, Y + 30), c_white);
        expect_color(window.pixel(X + x, Y + 28), c_black);
        expect_color(window.pixel(X + x, Y + 31), c_black);
    }
    expect_color(window.pixel(X + 8, Y + 29), c_black);
    expect_color(window.pixel(X + 321, Y + 29), c_black);

    // The picture follows the position after a rebuild.
    interactable_slider_set_position(slider.get(), 0.0);
    draw_frame(window, {slider.get()});
    expect_color(window.pixel(X + 5, Y + 25), c_white);
    expect_color(window.pixel(X + 4, Y + 25), c_black);
    expect_color(window.pixel(X + 165, Y + 25), c_black);
}

TEST_F(Widgets, TextInputIsUnderlinedAndLeavesTheFontNormal)
{
    auto input = make_input("abc");
    auto label = interactable_text_create(400, 400, 100, 30, &c_white, &c_black, nullptr, "abc", font());
    draw_frame(window, {input.get(), label.get()});
    EXPECT_EQ(TTF_GetFontStyle(font()), TTF_STYLE_NORMAL);

    // A row that is background in the label and a run of text colour across
    // the whole text in the field: the underline.
    const std::vector<std::uint8_t> field = window.read_pixels(400, 300, 100, 30);
    const std::vector<std::uint8_t> plain = window.read_pixels(400, 400, 100, 30);
    int width = 0;
    TTF_SizeUTF8(font(), "abc", &width, nullptr);
    bool underline = false;
    for (int y = 0; y < 30 && !underline; ++y) {
        bool whole_row = true;
        for (int x = 3; x < 3 + width; ++x) {
            const std::size_t i = 4 * (static_cast<std::size_t>(y) * 100 + x);
            whole_row = whole_row && field[i] > 128 && plain[i] == 0;
        }
        underline = whole_row;
    }
    EXPECT_TRUE(underline);
}

TEST_F(Widgets, ImageIsTheBitmapStretchedOverItsRectangle)
{
    auto small = interactable_image_create(10, 10, 20, 20, lock_bytes, lock_size);
    auto large = interactable_image_create(100, 10, 40, 40, lock_bytes, lock_size);
    expect_color(small->foreground, c_transparent);
    expect_color(small->background, c_transparent);
    EXPECT_EQ(small->callback, nullptr);
    draw_frame(window, {small.get(), large.get()});

    const std::vector<std::uint8_t> a = window.read_pixels(10, 10, 20, 20);
    const std::vector<std::uint8_t> b = window.read_pixels(100, 10, 40, 40);
    int white = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            for (int c = 0; c < 3; ++c) {
                const std::uint8_t expected = a[4 * (y * 20 + x) + c];
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        ASSERT_EQ(b[4 * ((2 * y + dy) * 40 + 2 * x + dx) + c], expected) << x << "," << y;
                white += c == 0 && expected == 255;
            }
    EXPECT_GT(white, 0);  // the padlock is there, white on black
    EXPECT_LT(white, 400);

    // A 20 by 20 bitmap over a 330 by 80 rectangle: each texel covers 16 or
    // 17 columns and 4 rows.
    auto stretched = interactable_image_create(0, 200, 330, 80, lock_bytes, lock_size);
    draw_frame(window, {stretched.get()});
    const std::vector<std::uint8_t> wide = window.read_pixels(0, 200, 330, 80);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(wide[4 * ((4 * y + 1) * 330 + (33 * x + 8) / 2)], a[4 * (y * 20 + x)]) << x << "," << y;
}

}  // namespace
