#include "gui/gui_recent.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/file_chooser.hpp"
#include "platform/file_writer.hpp"
#include "gui/gui_baseline.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui.hpp"

std::filesystem::path gui_recent_file()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::filesystem::path(config) / "zelto" / "recent";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::filesystem::path(home) / ".config" / "zelto" / "recent";
    return {};
}

std::vector<std::string> gui_recent_list()
{
    std::vector<std::string> list;
    const std::filesystem::path file = gui_recent_file();
    if (file.empty())
        return list;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line) && static_cast<int>(list.size()) < GUI_RECENT_COUNT;)
        if (!line.empty() && std::find(list.begin(), list.end(), line) == list.end())
            list.push_back(line);
    return list;
}

void gui_recent_remember(const char* path)
{
    const std::filesystem::path file = gui_recent_file();
    // Only what the user opened in the window: the command line's export
    // loads its reports into a hidden one.
    if (gui_state == nullptr || gui_state->window == nullptr
        || (SDL_GetWindowFlags(gui_state->window) & SDL_WINDOW_HIDDEN) != 0 || file.empty() || path == nullptr
        || path[0] == '\0')
        return;
    std::error_code error;
    const std::string full = std::filesystem::absolute(path, error).lexically_normal().string();
    if (error || full.find('\n') != std::string::npos)
        return;
    std::vector<std::string> list = gui_recent_list();
    list.erase(std::remove(list.begin(), list.end(), full), list.end());
    list.insert(list.begin(), full);
    if (static_cast<int>(list.size()) > GUI_RECENT_COUNT)
        list.resize(GUI_RECENT_COUNT);
    std::string text;
    for (const std::string& entry : list)
        text += entry + "\n";
    std::filesystem::create_directories(file.parent_path(), error);
    file_writer_write(file, text, nullptr);  // a list that cannot be kept is no loss
}

namespace {

void callback_open_recent(Interactable* widget)
{
    GuiState* state = gui_state;
    for (std::size_t i = 0; i < state->recent_buttons.size(); ++i)
        if (state->recent_buttons[i].get() == widget && i < state->recent_paths.size()) {
            const std::string path = state->recent_paths[i];  // the load rebuilds the buttons
            gui_open_report(path.c_str());
            return;
        }
}

void callback_open_report(Interactable*)
{
    gui_open_report_dialog();
}

}  // namespace

std::vector<Interactable*> gui_file_page_widgets(GuiState* state)
{
    std::vector<Interactable*> out;
    if (state->open_button != nullptr)
        out.push_back(state->open_button.get());
    for (auto& button : state->recent_buttons)
        out.push_back(button.get());
    gui_baseline_widgets(state, &out);
    return out;
}

void gui_recent_show()
{
    GuiState* state = gui_state;
    if (state == nullptr)
        return;
    const bool page = state->page_toggle_b != nullptr && state->page_toggle_b->pressed != 0 && state->window != nullptr;
    if (page && state->open_button == nullptr)
        state->open_button = interactable_button_create(state->window_height + 10, 160, 100, 20, &c_black, &c_beige,
                                                        &c_black, &c_button_active, callback_open_report, "Open...",
                                                        state->font);
    if (state->open_button != nullptr) {
        // The panel moves with the window's size.
        interactable_set_position(state->open_button.get(), state->window_height + 10, 160);
        (page ? interactable_activate : interactable_deactivate)(state->open_button.get());
    }
    for (std::size_t i = 0; i < state->recent_buttons.size(); ++i)
        interactable_set_position(state->recent_buttons[i].get(), state->window_height + 10,
                                  220 + 30 * static_cast<int>(i));
    if (!page || state->report != nullptr) {
        for (auto& button : state->recent_buttons)
            interactable_deactivate(button.get());
        return;
    }
    if (state->recent_read_loads != state->report_loads) {
        state->recent_read_loads = state->report_loads;
        const std::vector<std::string> list = gui_recent_list();
        state->recent_paths = list;
        state->recent_buttons.clear();
        const int V = state->window_height;
        for (std::size_t i = 0; i < list.size(); ++i) {
            auto button = interactable_button_create(V + 10, 220 + 30 * static_cast<int>(i), 330, 20, &c_black,
                                                     &c_beige, &c_black, &c_button_active, callback_open_recent,
                                                     "", state->font);
            interactable_text_set_text(button.get(),
                                       std::filesystem::path(list[i]).filename().string().c_str());
            state->recent_buttons.push_back(std::move(button));
        }
    }
    for (auto& button : state->recent_buttons)
        interactable_activate(button.get());
}

void gui_open_report_dialog()
{
    GuiState* state = gui_state;
    std::string error;
    const std::string path = file_chooser_open_report(&error);
    if (!error.empty()) {
        gui_say(GuiMessageKind::error, "%s", error.c_str());
        return;
    }
    if (!path.empty() && state != nullptr)
        gui_open_report(path.c_str());
}
