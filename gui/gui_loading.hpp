// Reading a report in the background. The reading, the figures that need
// nothing but the report (the opening angles when the file has none, the
// warnings about mirrored axes), the baseline brought into its space and
// what the first frame with it needs (gui_load_preparation) run on a worker
// thread while the main loop keeps drawing at its pace; the window shows a
// progress bar over the 3D view and the percentage on the message line, and
// Escape cancels. The report that
// is open stays in place, untouched, until the new one is ready: only then
// does the main thread put it in (gui_report).
//
// The worker touches nothing but its own record: it never prints (its
// console lines wait in the record) and never sees the GUI state or SDL.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "gui/gui_load_preparation.hpp"
#include "report/emg_comparison.hpp"
#include "report/emg_processing.hpp"

// How long a load may keep the pass that started it waiting before it goes
// on in the background: a load shorter than this looks as it always did.
inline constexpr std::uint32_t GUI_LOAD_WAIT_MS = 25;

struct GuiLoad {
    std::string path;
    GuiLoadSetup setup;        // what the first frame will show
    EmgLoadProgress progress;  // the reading's share, the cancel flag, its console lines
    std::atomic<int> prepared_permille{0};  // how far the preparation is
    std::unique_ptr<GuiLoadPreparation> prepared;  // by the worker, as the report
    // Written by the worker before `finished`; read by the main thread after it.
    std::unique_ptr<EmgReport> report;
    EmgComparedBaseline baseline;  // setup.baseline in the report's space
    int result = 1;        // of emg_extract_3d: 0 read, 1 failed, 2 cancelled
    std::string warnings;  // the console lines of the report's figures
    std::uint32_t started = 0;  // SDL_GetTicks() when asked for
    bool finished = false;      // guarded by `mutex`
    std::mutex mutex;
    std::condition_variable done;
    // Last, so that it is joined before the rest goes: its destruction asks
    // the reading to stop and waits for it.
    std::jthread worker;
};

// Starts reading the report at `path` on a worker thread.
std::unique_ptr<GuiLoad> gui_load_begin(const std::string& path, std::uint32_t now, const GuiLoadSetup& setup = {});
// Whether the worker has finished, waiting at most `wait_ms` for it.
bool gui_load_wait(GuiLoad* load, std::uint32_t wait_ms);
// How far the load is, 0 to 1.
double gui_load_fraction(const GuiLoad* load);
// The message line's text while the load runs: the file's name and the
// percentage.
std::string gui_load_message(const GuiLoad* load);
