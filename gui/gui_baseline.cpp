#include "gui/gui_baseline.hpp"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "gui/gui.hpp"
#include "gui/gui_messages.hpp"
#include "gui/gui_report_access.hpp"
#include "report/emg_comparison.hpp"

namespace {

void callback_load_baseline(Interactable*)
{
    GuiState* state = gui_state;
    if (state->report_path_input == nullptr)
        return;
    const std::string path =
        state->baseline_typed_path.empty() ? state->report_path_input->text : state->baseline_typed_path;
    state->baseline_typed_path.clear();
    gui_baseline_load(path.c_str());
}

// The legend over the 3D view: the muted colours' recording.
const Color legend_color{182, 182, 182, 255};

void show_choice(GuiState* state)
{
    if (state->baseline_choice == nullptr)
        return;
    const EmgReport* baseline = state->baseline.get();
    const std::int32_t k = state->baseline_exercise;
    if (baseline == nullptr || k < 0 || k >= static_cast<std::int32_t>(baseline->exercises.size())) {
        interactable_text_set_text(state->baseline_choice.get(), "Baseline: none");
        return;
    }
    const char* name = baseline->exercises[static_cast<std::size_t>(k)].name.c_str();
    interactable_text_set_text_formatted(state->baseline_choice.get(), "Baseline: [%d] %s", k + 1, name);
    interactable_text_set_text_formatted(state->baseline_legend.get(), "Muted: the baseline %s [%d] %s",
                                         state->baseline_file_name.c_str(), k + 1, name);
}

// The baseline's exercise to show, its open/close turns and the button.
void set_baseline_exercise(GuiState* state, std::int32_t exercise)
{
    state->baseline_exercise = exercise;
    state->baseline_switches.clear();
    if (state->baseline != nullptr && exercise >= 0) {
        std::int32_t count = 0;
        emg_analyze_open_close_movements(&state->baseline_switches, &count,
                                         &state->baseline->exercises[static_cast<std::size_t>(exercise)]);
        state->baseline_switches.resize(static_cast<std::size_t>(std::max(count, 0)));
    }
    show_choice(state);
}

// A click takes the baseline's next exercise; after the last, none.
void callback_next_baseline_exercise(Interactable*)
{
    GuiState* state = gui_state;
    if (state->baseline == nullptr)
        return;
    const auto n = static_cast<std::int32_t>(state->baseline->exercises.size());
    const std::int32_t next = state->baseline_exercise + 1 < n ? state->baseline_exercise + 1 : -1;
    state->baseline_picked = true;
    set_baseline_exercise(state, next);
    gui_show_tracings();
}

void callback_toggle_compare(Interactable*)
{
    GuiState* state = gui_state;
    // The sheet and the comparison share the view: one at a time.
    if (gui_compare_shown(state) && state->tracings_toggle != nullptr && state->tracings_toggle->pressed == 1)
        interactable_toggle_set_state(state->tracings_toggle, 0, 0);
    gui_show_tracings();
}

bool page_shown(const InteractableToggle* page)
{
    return page != nullptr && page->pressed == 1;
}

void place(Interactable* widget, bool shown, int x, int y)
{
    interactable_set_position(widget, x, y);
    (shown ? interactable_activate : interactable_deactivate)(widget);
}

}  // namespace

// Reading a baseline and bringing it into the open report's space (with the
// pairing of exercises, which measures both) run on a worker thread, from
// inputs of its own: the path, or the baseline as read, and a copy of the
// open report. The main thread takes the results once the worker is done,
// and only while they still fit the report and the baseline shown.
struct GuiBaselineWork {
    std::string path;                          // read first when not empty
    std::shared_ptr<const EmgReport> read;     // the baseline as read: given, or by the worker
    std::unique_ptr<const EmgReport> current;  // a copy of the open report; null when none is open
    std::uint64_t report_loads = 0;            // the load of that report
    // Written by the worker before `finished`.
    int result = 0;            // of the reading: 0 read, 1 failed, 2 cancelled
    EmgLoadProgress progress;  // the reading's console lines; `cancel` stops it
    EmgComparedBaseline compared;
    bool finished = false;  // guarded by `mutex`
    std::mutex mutex;
    std::condition_variable done;
    std::jthread worker;  // last: joined before the rest goes

    ~GuiBaselineWork() { progress.cancel = true; }
    void run();
};

void GuiBaselineWork::run()
{
    if (!path.empty()) {
        std::unique_ptr<EmgReport> report;
        result = emg_extract_3d(&report, path.c_str(), &progress);
        if (result == 0) {
            if (!report->has_rotation_data)
                emg_compute_rotation_data(report.get());
            read = std::move(report);
        }
    }
    if (read != nullptr && current != nullptr)
        compared = emg_comparison_baseline(*current, *read);
    current.reset();
    const std::lock_guard lock(mutex);
    finished = true;
    done.notify_all();
}

namespace {

// Starts the work on the baseline at `path` (read first) or `read`, for the
// report open now, in place of any work still running.
void start_work(GuiState* state, const std::string& path, std::shared_ptr<const EmgReport> read)
{
    if (state->baseline_work != nullptr) {
        state->baseline_work->progress.cancel = true;
        state->baseline_retired.push_back(std::move(state->baseline_work));
    }
    auto work = std::make_shared<GuiBaselineWork>();
    work->path = path;
    work->read = std::move(read);
    if (state->report != nullptr)
        work->current = std::make_unique<const EmgReport>(*state->report);
    work->report_loads = state->report_loads;
    GuiBaselineWork* raw = work.get();
    work->worker = std::jthread([raw] { raw->run(); });
    state->baseline_work = std::move(work);
}

bool work_finished(GuiBaselineWork* work, std::uint32_t wait_ms)
{
    std::unique_lock lock(work->mutex);
    return work->done.wait_for(lock, std::chrono::milliseconds(wait_ms), [work] { return work->finished; });
}

// The baseline `read` as brought into the open report's space, when it is
// the baseline there is now.
void take_compared(GuiState* state, const std::shared_ptr<const EmgReport>& read, EmgComparedBaseline compared)
{
    if (read != state->baseline_read)
        return;
    state->baseline_aligned_loads = state->report_loads;
    state->baseline = std::move(compared.aligned);
    ++state->baseline_generation;
    state->baseline_pairs = std::move(compared.pairs);
    if (state->report != nullptr && state->baseline == nullptr)
        gui_say(GuiMessageKind::error, "ERROR: The baseline cannot be compared: a calibration gives no anatomical frame");
    state->baseline_paired_exercise = -2;  // paired again in the update
}

// Takes what finished work found: the baseline read (or why not), then, when
// made for the report and baseline there are now, the aligned baseline and
// its pairs.
void take_work(GuiState* state, GuiBaselineWork* work)
{
    if (!work->path.empty()) {
        std::fwrite(work->progress.console.data(), 1, work->progress.console.size(), stdout);
        if (work->result != 0) {
            const std::string why = gui_message_from_console(work->progress.console);
            gui_message_show(state, GuiMessageKind::error,
                             why.empty() ? "Could not load the baseline \"" + work->path + "\"" : why);
            return;
        }
        state->baseline_read = work->read;
        state->baseline_aligned_loads = ~std::uint64_t{0};  // aligned below, or by new work
        state->baseline_file_name = std::filesystem::path(work->path).filename().string();
        gui_say(GuiMessageKind::note, "Baseline \"%s\" loaded", work->path.c_str());
    }
    if (work->report_loads == state->report_loads)  // else made for another report: worked out again
        take_compared(state, work->read, std::move(work->compared));
}

}  // namespace

void gui_baseline_take_load(GuiState* state, const std::shared_ptr<const EmgReport>& read,
                            EmgComparedBaseline compared)
{
    if (read != nullptr)
        take_compared(state, read, std::move(compared));
}

void gui_baseline_load(const char* path)
{
    GuiState* state = gui_state;
    start_work(state, path, nullptr);
    // Short work ends in this pass, as a report's load does: the pass's
    // update takes it.
    work_finished(state->baseline_work.get(), state->load_wait_ms);
}

void gui_baseline_update(GuiState* state)
{
    std::erase_if(state->baseline_retired, [](const std::shared_ptr<GuiBaselineWork>& work) {
        return work_finished(work.get(), 0);
    });
    if (state->baseline_work != nullptr && work_finished(state->baseline_work.get(), 0)) {
        const std::shared_ptr<GuiBaselineWork> work = std::move(state->baseline_work);
        take_work(state, work.get());
    }
    // A newly loaded report: the baseline moved for the previous one goes at
    // once, and is moved for this one in the background.
    if (state->baseline_read != nullptr && state->baseline_aligned_loads != state->report_loads) {
        // A reading's worker writes its `read`: looked at only when it aligns.
        const GuiBaselineWork* running = state->baseline_work.get();
        const bool reading = running != nullptr && !running->path.empty();
        const bool aligning = running != nullptr && !reading && running->read == state->baseline_read
                           && running->report_loads == state->report_loads;
        if (!aligning) {
            if (state->baseline != nullptr) {
                state->baseline.reset();
                ++state->baseline_generation;
                state->baseline_pairs.clear();
                state->baseline_paired_exercise = -2;
            }
            if (!reading)
                start_work(state, std::string(), state->baseline_read);
        }
    }
    if (state->baseline_paired_exercise != state->selected_exercise) {
        state->baseline_paired_exercise = state->selected_exercise;
        state->baseline_picked = false;
        const auto e = static_cast<std::size_t>(state->selected_exercise);
        set_baseline_exercise(state, e < state->baseline_pairs.size() ? state->baseline_pairs[e] : -1);
    }

    const int V = state->window_height;
    if (state->window != nullptr && state->baseline_button == nullptr) {
        state->baseline_button = interactable_button_create(V + 120, 160, 110, 20, &c_black, &c_beige, &c_black,
                                                            &c_button_active, callback_load_baseline, "As baseline",
                                                            state->font);
        TTF_Font* small = state->small_font != nullptr ? state->small_font : state->font;
        state->baseline_choice =
            interactable_button_create(V + 180, 190, 160, 20, &c_black, &c_beige, &c_black, &c_button_active,
                                       callback_next_baseline_exercise, "Baseline: none", small);
        state->baseline_legend = interactable_text_create(20, V - 45, V - 40, 20, &legend_color, &c_black, nullptr,
                                                          "", small);
        state->compare_toggle = interactable_toggle_create(V + 190, 160, 60, GUI_MEASURES_LINE_PITCH, &c_black,
                                                           &c_beige, &c_black, &c_button_active,
                                                           callback_toggle_compare, "Compare", small, 0);
        show_choice(state);
    }
    if (state->baseline_button == nullptr)
        return;
    const bool file_page = page_shown(state->page_toggle_b);
    place(state->baseline_button.get(), file_page, V + 120, 160);
    place(state->baseline_choice.get(), file_page && state->baseline_read != nullptr, V + 180, 190);
    const bool measures_page = state->measures_title != nullptr && state->measures_title->active;
    const bool compared = gui_compare_shown(state);
    place(state->compare_toggle.get(), measures_page, V + 190, 160);
    const bool view_shown = state->viewport != nullptr && state->viewport->active;
    place(state->baseline_legend.get(), view_shown && state->baseline != nullptr && state->baseline_exercise >= 0, 20,
          V - 45);
    // The comparison and the tracing sheet follow the page, the exercises and
    // the baseline.
    if (compared || gui_compare_shown(state) || (state->tracing_sheet != nullptr && state->tracing_sheet->active))
        gui_show_tracings();
}

std::int32_t gui_baseline_sample(const GuiState* state)
{
    if (state->baseline == nullptr || state->report == nullptr || state->baseline_exercise < 0)
        return -1;
    const EmgExercise* exercise = gui_selected_exercise(state);
    if (exercise == nullptr)
        return -1;
    double position = std::trunc(state->animation_position);
    if (!(position >= 0.0))
        position = 0.0;
    const auto current = static_cast<std::int32_t>(
        std::min(position, static_cast<double>(std::max(gui_exercise_sample_count(exercise) - 1, 0))));
    return emg_comparison_sample(
        current, state->report->frequency, state->baseline->frequency,
        emg_sample_count(&state->baseline->exercises[static_cast<std::size_t>(state->baseline_exercise)]));
}

void gui_baseline_widgets(GuiState* state, std::vector<Interactable*>* out)
{
    for (Interactable* widget : {static_cast<Interactable*>(state->baseline_button.get()),
                                 static_cast<Interactable*>(state->baseline_choice.get()),
                                 static_cast<Interactable*>(state->compare_toggle.get()),
                                 static_cast<Interactable*>(state->baseline_legend.get())})
        if (widget != nullptr)
            out->push_back(widget);
}

void gui_baseline_note_press(GuiState* state)
{
    const InteractableTextInput* input = state->report_path_input;
    state->baseline_typed_path = input != nullptr && input->editing ? input->text : std::string();
}

bool gui_compare_shown(const GuiState* state)
{
    return state->compare_toggle != nullptr && state->compare_toggle->active != 0
           && state->compare_toggle->pressed == 1;
}
