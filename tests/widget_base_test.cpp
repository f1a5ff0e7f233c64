// The widget base (rectangle, blit, hit test, activation), the text widget
// and the timed text, read back as pixels from a real OpenGL context.
#include <gtest/gtest.h>

#include <string>

#include "widgets/interactable.hpp"
#include "widgets/interactable_text.hpp"
#include "widgets/interactable_text_timed.hpp"
#include "widgets/string_tools.hpp"
#include "tests/test_support.hpp"

namespace {

using zelto_test::OffscreenWindow;
using zelto_test::same_color;

// Draws the widgets as the main loop does: render all, then blit all.
void draw(std::initializer_list<Interactable*> widgets, const OffscreenWindow& window)
{
    zelto_test::prepare_widget_frame(window.width(), window.height());
    for (Interactable* w : widgets)
        w->render();
    for (Interactable* w : widgets)
        w->blit(window.width(), window.height());
}

Color clear_colour()
{
    return c_beige;
}

TEST(HitTest, LeftAndTopEdgesInsideRightAndBottomOutside)
{
    Interactable widget;
    widget.x = 10;
    widget.y = 20;
    widget.w = 30;
    widget.h = 40;
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = {
        {10, 20, true},  {39, 59, true},  {40, 30, false}, {30, 60, false},
        {9, 30, false},  {20, 19, false}, {-5, -5, false}, {25, 40, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(interactable_contains(&widget, c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST(HitTest, MoveAndPositionAndActivation)
{
    Interactable widget;
    interactable_set_position(&widget, 5, 6);
    interactable_move(&widget, 250, -1);
    EXPECT_EQ(widget.x, 255);
    EXPECT_EQ(widget.y, 5);
    interactable_activate(&widget);
    EXPECT_EQ(widget.active, 1);
    interactable_deactivate(&widget);
    EXPECT_EQ(widget.active, 0);
}

TEST(Blit, LabelCoversExactlyItsRectangle)
{
    const OffscreenWindow window;
    auto label = interactable_text_create(100, 50, 40, 20, &c_black, &c_red, nullptr, "", window.font());
    draw({label.get()}, window);

    EXPECT_TRUE(same_color(window.pixel(100, 50), c_red));
    EXPECT_TRUE(same_color(window.pixel(139, 69), c_red));
    EXPECT_TRUE(same_color(window.pixel(99, 50), clear_colour()));
    EXPECT_TRUE(same_color(window.pixel(140, 60), clear_colour()));
    EXPECT_TRUE(same_color(window.pixel(120, 49), clear_colour()));
    EXPECT_TRUE(same_color(window.pixel(120, 70), clear_colour()));
}

TEST(Blit, OddWindowSizeTruncatesTheHalves)
{
    // With 1101 pixels the half width is 550: the quad is placed as if the
    // window were 1100 wide with its origin at pixel 550.5 - 550 = 0.5 off.
    const OffscreenWindow window(1101, 751);
    auto label = interactable_text_create(200, 100, 50, 30, &c_black, &c_cyan, nullptr, "", window.font());
    draw({label.get()}, window);
    // Inside well away from the edges whatever the half-pixel placement.
    EXPECT_TRUE(same_color(window.pixel(225, 115), c_cyan));
    EXPECT_TRUE(same_color(window.pixel(190, 115), clear_colour()));
    EXPECT_TRUE(same_color(window.pixel(260, 115), clear_colour()));
}

TEST(Blit, InactiveWidgetDrawsNothingAndKeepsItsPicture)
{
    const OffscreenWindow window;
    auto label = interactable_text_create(10, 10, 40, 20, &c_black, &c_green, nullptr, "x", window.font());
    draw({label.get()}, window);
    ASSERT_TRUE(same_color(window.pixel(45, 25), c_green));

    interactable_deactivate(label.get());
    draw({label.get()}, window);
    EXPECT_TRUE(same_color(window.pixel(45, 25), clear_colour()));

    interactable_activate(label.get());
    EXPECT_EQ(label->texture_valid, 1) << "hiding does not invalidate the picture";
    draw({label.get()}, window);
    EXPECT_TRUE(same_color(window.pixel(45, 25), c_green));
}

TEST(Text, PictureHasBackgroundAndTextFromThreePixels)
{
    const OffscreenWindow window;
    auto label = interactable_text_create(0, 0, 200, 20, &c_black, &c_white, nullptr, "Hello", window.font());
    const SurfacePtr picture = interactable_text_draw_text(label.get());
    ASSERT_EQ(picture->w, 200);
    ASSERT_EQ(picture->h, 20);

    auto pixel = [&](int x, int y) {
        const auto* p = static_cast<const std::uint8_t*>(picture->pixels) + y * picture->pitch + x * 4;
        return Color{p[0], p[1], p[2], p[3]};
    };
    int first_text_column = -1, last_text_column = -1;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 20; ++y)
            if (!same_color(pixel(x, y), c_white)) {
                if (first_text_column < 0)
                    first_text_column = x;
                last_text_column = x;
            }
    EXPECT_GE(first_text_column, 3) << "nothing drawn left of x = 3";
    EXPECT_LE(first_text_column, 6);
    EXPECT_LT(last_text_column, 80);
    EXPECT_TRUE(same_color(pixel(150, 10), c_white));
}

TEST(Text, LongTextIsCutAtTheRightEdgeAndEmptyTextIsBackground)
{
    const OffscreenWindow window;
    auto label = interactable_text_create(0, 0, 40, 20, &c_black, &c_white, nullptr,
                                          "A text far longer than forty pixels", window.font());
    const SurfacePtr picture = interactable_text_draw_text(label.get());
    EXPECT_EQ(picture->w, 40) << "never widened";
    int dark_in_last_columns = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 30; x < 40; ++x) {
            const auto* p = static_cast<const std::uint8_t*>(picture->pixels) + y * picture->pitch + x * 4;
            dark_in_last_columns += p[0] < 128;
        }
    EXPECT_GT(dark_in_last_columns, 0) << "the text runs on to the edge";

    interactable_text_set_text(label.get(), "");
    const SurfacePtr empty = interactable_text_draw_text(label.get());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const auto* p = static_cast<const std::uint8_t*>(empty->pixels) + y * empty->pitch + x * 4;
            ASSERT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255);
        }
}

// A pasted page or a dropped path may be megabytes long. Only its beginning
// can show; a label of such a text shows that beginning, as a short text
// would, instead of nothing (SDL_ttf refuses a picture of gigabytes).
TEST(Text, AMegabyteTextShowsItsBeginningLikeAShortOne)
{
    const OffscreenWindow window;
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

TEST(Text, Utf8PrefixesEndBetweenCharacters)
{
    const struct {
        const char* text;
        std::size_t count;
        std::size_t bytes;
    } cases[] = {
        {"", 0, 0},
        {"", 5, 0},
        {"abc", 0, 0},
        {"abc", 2, 2},
        {"abc", 3, 3},
        {"abc", 99, 3},
        {"h\xC3\xA9llo", 2, 3},         // h, e-acute (two bytes)
        {"\xE2\x82\xAC\xE2\x82\xAC", 1, 3},  // one euro sign of three bytes
        {"\xF0\x9F\x98\x80!", 1, 4},     // an emoji of four bytes
        {"\x80\x80" "a", 0, 0},          // continuation bytes at the start form one character
        {"\x80\x80" "a", 1, 2},
        {"\x80\x80" "a", 2, 3},
        {"\xFF\xFEz", 2, 2},             // bytes that are no UTF-8 count one each
    };
    for (const auto& c : cases)
        EXPECT_EQ(string_utf8_prefix_length(c.text, c.count), c.bytes) << c.text << " / " << c.count;
}

TEST(Text, SettersInvalidateAndMayReadTheirOwnText)
{
    const OffscreenWindow window;
    auto label = interactable_text_create(0, 0, 100, 20, &c_black, &c_white, nullptr, "abc", window.font());
    EXPECT_EQ(label->text_size, 4);
    label->render();
    ASSERT_EQ(label->texture_valid, 1);

    interactable_text_set_text_formatted(label.get(), "%s%s", label->text.c_str(), "def");
    EXPECT_EQ(label->text, "abcdef");
    EXPECT_EQ(label->text_size, 7);
    EXPECT_EQ(label->texture_valid, 0);

    interactable_text_set_text_formatted(label.get(), "%d/%d", 12, 500);
    EXPECT_EQ(label->text, "12/500");

    // A hidden label takes the new text and shows it once shown again.
    interactable_deactivate(label.get());
    interactable_text_set_text(label.get(), "later");
    label->render();
    EXPECT_EQ(label->texture_valid, 0);
    interactable_activate(label.get());
    label->render();
    EXPECT_EQ(label->texture_valid, 1);
}

TEST(Text, OutlineFramesThePictureInTheForegroundColour)
{
    const OffscreenWindow window;
    auto label = interactable_text_create(20, 20, 60, 20, &c_red, &c_white, nullptr, "", window.font());
    zelto_test::prepare_widget_frame(window.width(), window.height());
    interactable_text_render_outline(label.get());
    label->blit(window.width(), window.height());
    EXPECT_TRUE(same_color(window.pixel(20, 20), c_red));
    EXPECT_TRUE(same_color(window.pixel(79, 39), c_red));
    EXPECT_TRUE(same_color(window.pixel(50, 20), c_red));
    EXPECT_TRUE(same_color(window.pixel(21, 21), c_white));
    EXPECT_TRUE(same_color(window.pixel(78, 38), c_white));
}

TEST(TimedText, HiddenUntilRestartedThenVanishesAfterItsDuration)
{
    const OffscreenWindow window;
    auto notice = interactable_text_timed_create(0, 0, 100, 20, &c_black, &c_beige, nullptr, "Screenshot taken!",
                                                 window.font(), 0, 1000.0);
    notice->render();
    EXPECT_EQ(notice->active, 0) << "created hidden, stays hidden";

    interactable_text_timed_restart(notice.get());
    notice->render();
    EXPECT_EQ(notice->active, 1);
    EXPECT_EQ(notice->texture_valid, 1);

    // Still shown at the last moment of its time (the bound included)...
    const double now = static_cast<double>(SDL_GetTicks());
    notice->start_time = now - 1000.0 + 200.0;
    notice->render();
    EXPECT_EQ(notice->active, 1);

    // ...a restart starts the time again from now...
    interactable_text_timed_restart(notice.get());
    EXPECT_GE(notice->start_time, now);

    // ...and once it has run out, the next render hides it without any
    // call from the application.
    notice->start_time = static_cast<double>(SDL_GetTicks()) - 1001.0 - 50.0;
    notice->render();
    EXPECT_EQ(notice->active, 0);
    EXPECT_EQ(notice->text, "Screenshot taken!");
}

TEST(Widgets, BaseReactIgnoresEverything)
{
    const OffscreenWindow window;
    static int calls = 0;
    auto label = interactable_text_create(0, 0, 100, 20, &c_black, &c_white,
                                          [](Interactable*) { ++calls; }, "label", window.font());
    const SDL_Event press = zelto_test::mouse_button_event(SDL_MOUSEBUTTONDOWN, 5, 5);
    label->react(&press);
    EXPECT_EQ(calls, 0) << "a label's callback is stored but never called";
}

}  // namespace
