// The reports opened last: up to eight paths, newest first, kept in
// $XDG_CONFIG_HOME/zelto/recent (~/.config/zelto/recent without it), one
// path a line, and offered on the "File / Exercise" page while no report is
// loaded.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct GuiState;
struct Interactable;

inline constexpr int GUI_RECENT_COUNT = 8;

// The file of the list; empty when neither variable names a folder.
std::filesystem::path gui_recent_file();
// The remembered paths, newest first (none when the file cannot be read).
std::vector<std::string> gui_recent_list();
// Puts a report that just loaded at the head of the list (once) and writes
// the list; only for a window that shows (not the command line's export).
void gui_recent_remember(const char* path);
// The "Open..." button and the recent reports' buttons, for the main loop's
// dispatch and drawing.
std::vector<Interactable*> gui_file_page_widgets(GuiState* state);
// Shows "Open..." while the "File / Exercise" page shows, and the list's buttons on the "File / Exercise" page while no report is
// loaded and that page is shown; hides them otherwise.
void gui_recent_show();

// "Open..." (and Ctrl+O): asks the desktop's file chooser for a report and
// loads it; says in the window (and on the console) when no chooser is
// installed.
void gui_open_report_dialog();
