#include "gui/gui_messages.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <sstream>

#include "gui/gui.hpp"

void gui_message_show(GuiState* state, GuiMessageKind kind, const std::string& text)
{
    if (state == nullptr)
        return;
    state->message_text = text;
    state->message_error = kind == GuiMessageKind::error;
    state->message_time = SDL_GetTicks();
}

void gui_say(GuiMessageKind kind, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const std::string text = string_format_va(format, arguments);
    va_end(arguments);
    std::printf("%s\n", text.c_str());
    gui_message_show(gui_state, kind, text);
}

void gui_message_user_event(GuiState* state, const SDL_Event* event)
{
    if (state == nullptr || !state->message_error)
        return;
    if (event->type == SDL_KEYDOWN || event->type == SDL_MOUSEBUTTONDOWN || event->type == SDL_DROPFILE) {
        state->message_text.clear();
        state->message_error = false;
    }
}

std::string gui_message_visible_text(const GuiState* state, std::uint32_t now)
{
    if (state == nullptr || state->message_text.empty())
        return {};
    if (!state->message_error && now - state->message_time > GUI_MESSAGE_NOTE_MS)
        return {};
    return state->message_text;
}

namespace {

// Light colours on the view's black, none of them a colour the scene draws in.
const Color message_note_color{225, 225, 225, 255};
const Color message_error_color{255, 110, 110, 255};

}  // namespace

void gui_message_draw(GuiState* state)
{
    const std::string text = gui_message_visible_text(state, SDL_GetTicks());
    if (text.empty() || state->font == nullptr)
        return;
    // Right of the view's top left corner, across the view.
    const int width = std::max(state->window_width - GUI_PANEL_WIDTH - 20, 1);
    if (state->message_line == nullptr)
        state->message_line =
            interactable_text_create(20, 0, width, 20, &message_note_color, &c_black, nullptr, "", state->font);
    InteractableText* line = state->message_line.get();
    const Color& colour = state->message_error ? message_error_color : message_note_color;
    if (line->w != width || line->foreground.r != colour.r || line->foreground.g != colour.g) {
        line->w = width;
        line->foreground = colour;
        line->texture_valid = 0;
    }
    if (line->text != text)
        interactable_text_set_text(line, text.c_str());
    line->render();
    line->blit(state->window_width, state->window_height);
}

GuiConsoleCapture::GuiConsoleCapture()
{
    std::fflush(stdout);
    file_ = std::tmpfile();
    if (file_ == nullptr)
        return;
    saved_fd_ = dup(STDOUT_FILENO);
    if (saved_fd_ < 0 || dup2(fileno(file_), STDOUT_FILENO) < 0) {
        if (saved_fd_ >= 0)
            close(saved_fd_);
        saved_fd_ = -1;
        std::fclose(file_);
        file_ = nullptr;
    }
}

GuiConsoleCapture::~GuiConsoleCapture()
{
    finish();
}

std::string GuiConsoleCapture::finish()
{
    if (file_ == nullptr)
        return text_;
    std::fflush(stdout);
    dup2(saved_fd_, STDOUT_FILENO);
    close(saved_fd_);
    std::rewind(file_);
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
        text_.append(buffer, got);
    std::fclose(file_);
    file_ = nullptr;
    std::fwrite(text_.data(), 1, text_.size(), stdout);
    std::fflush(stdout);
    return text_;
}

std::string gui_message_from_console(const std::string& console)
{
    std::istringstream lines(console);
    std::string out;
    for (std::string line; std::getline(lines, line);) {
        const bool error = line.rfind("ERROR: ", 0) == 0;
        if (!error && line.rfind("non-fatal error", 0) != 0 && line.rfind("WARNING", 0) != 0)
            continue;
        if (!out.empty())
            out += " - ";
        out += error ? line.substr(7) : line;
    }
    return out;
}

void gui_report_written(bool ok, const char* what, const std::string& path, const std::string& reason,
                        InteractableTextTimed* notice, const char* written, const char* failed)
{
    if (ok) {
        std::string capital = what;
        if (capital.rfind("the ", 0) == 0)
            capital.erase(0, 4);
        if (!capital.empty() && capital[0] >= 'a' && capital[0] <= 'z')
            capital[0] = static_cast<char>(capital[0] - 'a' + 'A');
        gui_say(GuiMessageKind::note, "%s written to \"%s\"", capital.c_str(), path.c_str());
    } else {
        std::printf("ERROR: Could not write %s to \"%s\"\n", what, path.c_str());
        if (!reason.empty())
            std::printf("ERROR: %s\n", reason.c_str());
        gui_message_show(gui_state, GuiMessageKind::error,
                         "Could not write " + std::string(what) + " to \"" + path + "\"" +
                             (reason.empty() ? std::string() : ": " + reason));
    }
    if (notice != nullptr) {
        interactable_text_set_text(notice, ok ? written : failed);
        interactable_text_timed_restart(notice);
    }
}
