#include "gui/gui_loading.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <stop_token>

#include "report/emg_measures.hpp"

namespace {

// The reading takes most of a load; the opening angles, the figures of the
// warnings and the preparation of the first frame the rest.
constexpr double reading_share = 0.7;

void load_run(GuiLoad* load, const std::stop_token& stop)
{
    // Destroying the record (a new load, Escape, the window closing) stops
    // the reading at its next look at the flag.
    const std::stop_callback cancel(stop, [load] { load->progress.cancel.store(true); });
    std::unique_ptr<EmgReport> report;
    int result = emg_extract_3d(&report, load->path.c_str(), &load->progress);
    std::string warnings;
    if (result == 0 && !load->progress.cancel.load()) {
        if (!report->has_rotation_data)
            emg_compute_rotation_data(report.get());
        warnings = emg_measures_warnings(report.get(), load->path.c_str());
        if (load->setup.baseline != nullptr)
            load->baseline = emg_comparison_baseline(*report, *load->setup.baseline);
        auto prepared = std::make_unique<GuiLoadPreparation>();
        if (gui_load_prepare(prepared.get(), &report, load->setup, load->progress.cancel, &load->prepared_permille))
            load->prepared = std::move(prepared);
    }
    if (result == 0 && load->progress.cancel.load())
        result = 2;
    {
        const std::lock_guard lock(load->mutex);
        load->report = std::move(report);
        load->result = result;
        load->warnings = std::move(warnings);
        load->finished = true;
    }
    load->done.notify_all();
}

}  // namespace

std::unique_ptr<GuiLoad> gui_load_begin(const std::string& path, std::uint32_t now, const GuiLoadSetup& setup)
{
    auto load = std::make_unique<GuiLoad>();
    load->path = path;
    load->setup = setup;
    load->started = now;
    // The thread starts once the record is complete; it outlives no member.
    load->worker = std::jthread([raw = load.get()](const std::stop_token& stop) { load_run(raw, stop); });
    return load;
}

bool gui_load_wait(GuiLoad* load, std::uint32_t wait_ms)
{
    std::unique_lock lock(load->mutex);
    return load->done.wait_for(lock, std::chrono::milliseconds(wait_ms), [load] { return load->finished; });
}

double gui_load_fraction(const GuiLoad* load)
{
    const double read = std::clamp(load->progress.permille.load(std::memory_order_relaxed) / 1000.0, 0.0, 1.0);
    const double prepared = std::clamp(load->prepared_permille.load(std::memory_order_relaxed) / 1000.0, 0.0, 1.0);
    return read * reading_share + prepared * (1.0 - reading_share) * 0.9;
}

std::string gui_load_message(const GuiLoad* load)
{
    const int percent = static_cast<int>(std::floor(gui_load_fraction(load) * 100.0));
    return "Loading \"" + std::filesystem::path(load->path).filename().string() + "\": " + std::to_string(percent) +
           " % (Escape cancels)";
}
