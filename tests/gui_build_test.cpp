// The panel as built: its widget list (kinds, pages, radio groups), its
// first state, the tabs and legend, the lock indicator and camera fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>

#include "tests/gui_fixture.hpp"

using namespace zelto_test;

namespace {

using GuiBuild = GuiTest;

constexpr int tabs[] = {2, 3, 4, 5, 6, 7, 8, 123, 130, 177};  // pages a to j
constexpr int panel_size = 224;
constexpr int tracing_sheet = 176;  // at the end of page i, shown by its switch, not by the page

// Pages a to h, then the footer and the "Measures" tab, then page i, the "Clinical" tab and page j.
bool on_a_page(int index)
{
    return index >= 11 && (index < 120 || index > 130) && index != 177 && index != tracing_sheet;
}

// Radio groups hold each other member; plain toggles none. The "Measures" figures and the chart
// are in the small font; the chart's button and notice follow the figures.
TEST_F(GuiBuild, RadioGroupsAndFonts)
{
    GuiState* s = state();
    ASSERT_EQ(s->interactables.size(), std::size_t{panel_size});
    const std::vector<std::vector<int>> groups = {{12, 13, 14, 15, 16, 17}, {33, 34},           {107, 108},
                                                  {110, 111, 112},          {114, 115, 116}, {178, 179}, {2, 3, 4, 5, 6, 7, 8, 123, 130, 177}};
    for (const std::vector<int>& group : groups)
        for (int index : group) {
            const auto& set = widget_as<InteractableToggle>(index)->unpress_set;
            std::set<const Interactable*> members(set.begin(), set.end()), expected;
            for (int other : group)
                if (other != index)
                    expected.insert(widget(other));
            EXPECT_EQ(members, expected) << "index " << index;
        }
    for (int index : {31, 36, 37, 45, 46, 47, 49, 57, 58, 62})
        EXPECT_TRUE(widget_as<InteractableToggle>(index)->unpress_set.empty()) << index;
    for (const InteractableText* figure : s->measures_values)
        EXPECT_EQ(figure->font, s->small_font);
    EXPECT_EQ(std::tuple(widget_as<InteractableText>(130)->font, text_of(widget(168)), s->chart_written_text, s->chart->font),
              std::tuple(s->font, "Chart SVG", widget(169), s->small_font));
    EXPECT_EQ(std::tuple(text_of(widget(171)), s->summary_written_text, text_of(widget(173)),
                         widget_as<InteractableToggle>(173)->font, s->tracings_toggle, text_of(widget(174)),
                         s->tracings_written_text, widget(tracing_sheet)),
              std::tuple("Summary PDF", widget(172), "Tracings", s->small_font, widget(173), "Tracings SVG",
                         widget(175), s->tracing_sheet));
}

TEST_F(GuiBuild, StartsOnPageBWithTheDefaultsShown)
{
    // Every toggle that starts on; all others start off; a toggle that is on shows its pressed colours.
    const std::set<int> on = {3, 12, 31, 33, 36, 37, 45, 49, 50, 51, 52, 54, 58, 108, 112, 114, 178};
    for (int index = 0; index < panel_size; ++index)
        if (const auto* toggle = dynamic_cast<const InteractableToggle*>(widget(index))) {
            EXPECT_TRUE(toggle->pressed == (on.count(index) ? 1 : 0) &&
                        same_color(toggle->background, on.count(index) ? c_button_active : c_beige))
                << index;
        }
    EXPECT_EQ(std::tuple(state()->lock_image->active, state()->unlock_image->active,
                         state()->screenshot_taken_text->active, state()->screenshot_taken_text->duration),
              std::tuple(0, 1, 0, 1000.0));
    const InteractableViewport3d* v = state()->viewport;
    EXPECT_EQ(std::tuple(v->near, v->far, v->fov, v->perspective, v->pitch_locked),
              std::tuple(static_cast<double>(0.1f), 1000.0, 90.0, 0, 1));
    // The axes fill the view at the start zoom of -5: the first fit zooms out to -5 / 0.8, and the
    // camera fields show it, rounded as they show any camera.
    const auto camera_fields = [&] {
        return std::vector<std::string>{state()->viewport_x_input->text,     state()->viewport_y_input->text,
                                        state()->viewport_z_input->text,     state()->viewport_pitch_input->text,
                                        state()->viewport_yaw_input->text,   state()->viewport_roll_input->text};
    };
    EXPECT_EQ(camera_fields(), (std::vector<std::string>{"0.00", "0.00", "-6.25", "0.0", "180.0", "0.0"}));
    InteractableViewport3d* camera = state()->viewport;
    std::tie(camera->camera_x, camera->camera_y, camera->camera_z, camera->pitch, camera->yaw, camera->roll) =
        std::tuple(1.234, -0.005, -12.0, 10.25, 359.96, -3.0);
    gui_update_3d_variables_display();
    EXPECT_EQ(camera_fields(), (std::vector<std::string>{"1.23", "-0.01", "-12.00", "10.2", "360.0", "-3.0"}));
    // The tabs name their pages; the legend names the colours of the points and lines.
    std::string tab_texts;
    for (int tab : tabs)
        tab_texts += text_of(widget(tab)) + "|";
    EXPECT_EQ(tab_texts, "Screen|File / Exercise|View|Motion|Grid|Presets|About|Options|Measures|Clinical|");
    const std::pair<const char*, const Color*> legend[] = {{"Cond. Left", &c_red},  {"Incisal", &c_blue},
                                                           {"Cond. Right", &c_green}, {"Left-Incisal", &c_magenta},
                                                           {"Left-Right", &c_yellow}, {"Right-Incisal", &c_cyan}};
    for (int k = 0; k < 6; ++k)
        EXPECT_TRUE(text_of(widget(124 + k)) == legend[k].first && same_color(widget(124 + k)->background, *legend[k].second))
            << legend[k].first;
}

// Each tab shows exactly its page, also when clicked again; a letter outside 'a' to 'j' hides every
// page. The "Measures" tab covers no control; its page keeps its figures above y 400 and its chart
// between them and the footer.
TEST_F(GuiBuild, EachTabShowsExactlyItsPage)
{
    for (int round = 0; round < 2; ++round)  // a second click on the active tab keeps its page
        for (int page = 0; page < 10; ++page) {
            click(widget(tabs[page]));
            if (round == 1)
                click(widget(tabs[page]));
            const auto& shown = state()->pages[page];
            EXPECT_FALSE(shown.empty());
            for (int index = 11; index < panel_size; ++index)
                EXPECT_TRUE(!on_a_page(index) ||
                            widget(index)->active == std::count(shown.begin(), shown.end(), widget(index)))
                    << "page " << page << " index " << index;
            for (int tab = 0; tab < 10; ++tab)
                EXPECT_EQ(pressed_of(widget(tabs[tab])), tab == page ? 1 : 0);
            EXPECT_EQ(state()->viewport->active + state()->unlock_image->active + widget(122)->active, 3);
        }
    const Interactable* measures_tab = widget(130);
    for (int index = 0; index < panel_size; ++index) {
        const Interactable* w = widget(index);
        EXPECT_FALSE(index != 130 && index != 177 && index != 0 && index != tracing_sheet &&
                     w->x < measures_tab->x + measures_tab->w &&
                     measures_tab->x < w->x + w->w && w->y < measures_tab->y + measures_tab->h &&
                     measures_tab->y < w->y + w->h)
            << index;
        // The figures and buttons above y 400, the chart below it, the summary's and the tracing sheet's buttons
        // and notices under it and above the footer; the clinical page above the footer; the sheet on the view.
        const bool under_chart = index == 171 || index == 172 || index == 174 || index == 175;
        const int top = w == state()->chart ? 400 : under_chart ? 630 : 130,
                  bottom = w == state()->chart || index > 177 ? 635 : under_chart ? 660 : 400;
        EXPECT_TRUE(index < 131 || index == 177 || index == tracing_sheet ||
                    (w->x >= 750 && w->x + w->w <= 1100 && w->y >= top && w->y + w->h <= bottom))
            << index;
    }
    for (int letter : {int{'a' - 1}, int{'k'}, 0, int{'B'}}) {
        gui_activate_specific_page('c');
        gui_activate_specific_page(letter);
        for (int index = 11; index < panel_size; ++index)
            EXPECT_TRUE(!on_a_page(index) || widget(index)->active == 0) << "letter " << letter << " index " << index;
        for (int tab : tabs)
            EXPECT_EQ(pressed_of(widget(tab)), 0) << "letter " << letter;
    }
}

}  // namespace
