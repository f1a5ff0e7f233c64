// The summary document of the "Measures" page: the loaded report's summary
// (picture/summary_document) written as a PDF (pdf/summary_pdf).
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "base/text_encoding.hpp"
#include "gui/gui.hpp"
#include "gui/gui_messages.hpp"
#include "pdf/summary_pdf.hpp"
#include "platform/screenshot_name.hpp"
#include "platform/zelto_version.hpp"

void gui_write_summary_pdf()
{
    push_SDL_user_event(USER_EVENT_SUMMARY_PDF, nullptr, nullptr);
}

void gui_write_summary_pdf_with(std::vector<SummaryJawViews> views, std::vector<SummaryLegendEntry> legend)
{
    GuiState* state = gui_state;
    if (state->report == nullptr) {
        std::fputs("No report loaded: no summary written\n", stdout);
        return;
    }
    SummaryInput input;
    input.report = state->report.get();
    input.file_name = text_encoding_to_utf8(state->report_file_name);
    input.file_date = summary_pdf_file_date(state->report_path);
    input.printed_date = summary_pdf_date(std::time(nullptr));
    input.version = zelto_version;
    input.plane = state->reference_plane;
    input.jaw_views = std::move(views);
    input.legend = std::move(legend);
    input.baseline = {state->baseline.get(), text_encoding_to_utf8(state->baseline_file_name)};

    const std::string name = timestamped_file_name(std::time(nullptr), "summary", "pdf");
    std::string why;
    const bool ok = summary_pdf_write(name, input, &why);
    // One notice at a time where the page shows them.
    if (state->tracings_written_text != nullptr)
        interactable_deactivate(state->tracings_written_text);
    gui_report_written(ok, "the summary", name, why, state->summary_written_text, "PDF written!", "PDF failed!");
}
