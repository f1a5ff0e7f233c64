// The message line: one line of text over the top of the 3D view (where no
// control sits) that repeats what the console tells the user: load errors
// and warnings, the files written with their path, write failures with the
// reason. A note shows for a few seconds; an error stays until the user's
// next action (a key or a mouse button pressed, a file dropped).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <string>

struct GuiState;
struct InteractableTextTimed;

inline constexpr std::uint32_t GUI_MESSAGE_NOTE_MS = 4000;

enum class GuiMessageKind { note, error };

// Puts a line on the message line (the console is not touched).
void gui_message_show(GuiState* state, GuiMessageKind kind, const std::string& text);
// Prints the line (with its newline) to stdout and puts it on the message
// line of `gui_state`, when there is one.
void gui_say(GuiMessageKind kind, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The user acted (`event` is any event of the loop): an error shown before
// goes away.
void gui_message_user_event(GuiState* state, const SDL_Event* event);
// The text the message line shows at `now` (SDL_GetTicks()), empty when none.
std::string gui_message_visible_text(const GuiState* state, std::uint32_t now);
// Draws the message line over the widgets (once per pass).
void gui_message_draw(GuiState* state);

// Everything printed to stdout while it lives is kept and, when it ends,
// printed to stdout as well: the console sees the same lines, and the
// window can show them. Reading the text ends the capture.
class GuiConsoleCapture {
public:
    GuiConsoleCapture();
    ~GuiConsoleCapture();
    GuiConsoleCapture(const GuiConsoleCapture&) = delete;
    GuiConsoleCapture& operator=(const GuiConsoleCapture&) = delete;
    // Ends the capture (once) and returns what was printed.
    std::string finish();

private:
    int saved_fd_ = -1;
    std::FILE* file_ = nullptr;
    std::string text_;
};

// Tells how a file was written: on success prints and shows
// "<what> written to "<path>"" and shows `notice` with `written`; on
// failure prints and shows "ERROR: Could not write <what> to "<path>"" with
// the reason on a line of its own, and shows `notice` with `failed`. The
// notice may be null.
void gui_report_written(bool ok, const char* what, const std::string& path, const std::string& reason,
                        InteractableTextTimed* notice, const char* written, const char* failed);

// Of printed console text, the lines that concern the user (errors and
// warnings), without their "ERROR: " prefix, joined by " - ".
std::string gui_message_from_console(const std::string& console);
