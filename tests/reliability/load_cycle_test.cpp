// One session loads reports of every kind, round after round: each load ends as its kind says, in the first
// round the program then plays it and still takes a valid report, and the heap after the same load does not
// creep up over the rounds (a report and all derived from it is released when the next replaces it). Counted is
// the program's C++ heap on the session's thread, through this program's operator new and delete (the OpenGL
// driver's threads keep pools of their own; a sanitizer brings its own of each form, so every form without an
// alignment is replaced). scripts/leakcheck.sh runs the same session under valgrind.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "tests/reliability/report_catalog.hpp"
#include "tests/reliability/session.hpp"

namespace {

struct alignas(std::max_align_t) CountedBytes {
    std::size_t bytes;
};

std::atomic<std::int64_t> live_bytes{0};
thread_local bool counting_thread = false;

// Every block carries a header with the bytes counted for it, uncounted whichever thread frees it.
void* counted_new(std::size_t size) noexcept
{
    auto* header = static_cast<CountedBytes*>(std::malloc(sizeof(CountedBytes) + size));
    if (header == nullptr)
        return nullptr;
    header->bytes = counting_thread ? size : 0;
    live_bytes += static_cast<std::int64_t>(header->bytes);
    return header + 1;
}

void* counted_new_or_throw(std::size_t size)
{
    if (void* p = counted_new(size))
        return p;
    throw std::bad_alloc();
}

void counted_delete(void* p) noexcept
{
    if (p == nullptr)
        return;
    CountedBytes* header = static_cast<CountedBytes*>(p) - 1;
    live_bytes -= static_cast<std::int64_t>(header->bytes);
    std::free(header);
}

}  // namespace

void* operator new(std::size_t size) { return counted_new_or_throw(size); }
void* operator new[](std::size_t size) { return counted_new_or_throw(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted_new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted_new(size); }
void operator delete(void* p) noexcept { counted_delete(p); }
void operator delete[](void* p) noexcept { counted_delete(p); }
void operator delete(void* p, std::size_t) noexcept { counted_delete(p); }
void operator delete[](void* p, std::size_t) noexcept { counted_delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { counted_delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { counted_delete(p); }

namespace zelto_reliability {
namespace {

// The count is exact: a block kept per load moves every round after the warm-up, which only fills
// caches and is not compared.
constexpr std::size_t rounds = 5, warm_up_rounds = 2;

TEST(LoadCycle, ReportsOfEveryKindLoadedRoundAfterRoundLeaveTheHeapWhereItWas)
{
    counting_thread = true;
    Session session;
    const std::vector<ReportKind> kinds = report_catalog();
    ASSERT_GE(kinds.size(), 25u);
    for (const ReportKind& kind : kinds)
        make_report(kind, session.directory() / kind.file_name);
    // levels[k][r]: the program's heap after round r loaded kind k; the last row after each round's failed load.
    std::vector<std::vector<std::int64_t>> levels(kinds.size() + 1, std::vector<std::int64_t>(rounds, 0));
    std::vector<bool> first_loaded(kinds.size());
    // Every kind always takes the same road, so that its rounds are alike; the roads alternate over kinds.
    const std::pair<Road, const char*> roads[] = {{Road::drop, "drop"}, {Road::path_field, "path field"},
                                                  {Road::call, "call"}};

    for (std::size_t r = 0; r < rounds; ++r) {
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            const ReportKind& kind = kinds[k];
            const auto [road, road_name] = roads[k % std::size(roads)];
            const EmgReport* before = session.state().report.get();
            const std::string printed = session.load((session.directory() / kind.file_name).string(), road);
            const GuiState& state = session.state();
            // A report that fails to load leaves the open one as it was.
            const bool is_loaded = printed.find("Bad report load") == std::string::npos;
            EXPECT_TRUE(is_loaded ? state.report != nullptr : state.report.get() == before) << kind.name;
            const std::string context = kind.group + ": " + kind.name + " (round " + std::to_string(r) + ", " +
                                        road_name + ")\n" + printed.substr(0, 4000);
            // Whatever it is, the same file ends the same way every time.
            if (r == 0)
                first_loaded[k] = is_loaded;
            EXPECT_TRUE(is_loaded == first_loaded[k] &&
                        (kind.outcome == Outcome::either || is_loaded == (kind.outcome == Outcome::loads)))
                << context;
            for (const std::string& message : kind.messages)
                EXPECT_NE(printed.find(message), std::string::npos) << "no \"" << message << "\": " << context;
            const int exercises = state.report != nullptr ? state.report->exercises_number : 0;
            EXPECT_FALSE(is_loaded && printed.find("ERROR") != std::string::npos) << context;
            EXPECT_EQ(state.exercise_toggles.size(), static_cast<std::size_t>(std::max(exercises, 0))) << context;
            EXPECT_TRUE(!is_loaded || kind.exercises < 0 || exercises == kind.exercises) << context;
            levels[k][r] = live_bytes;
            if (r == 0) {  // the mouse over the view, so that the inspection searches too
                session.move_mouse(375, 375);
                for (bool looping : {true, false}) {
                    session.state().looping = looping;
                    session.run_passes(3, context);
                }
                session.expect_usable(context, road);
            }
            if (::testing::Test::HasFatalFailure())
                return;
        }
        session.load((session.directory() / "nothing-here.tsv").string(), Road::call);
        levels.back()[r] = live_bytes;
    }

    for (std::size_t k = 0; k < levels.size(); ++k) {
        const auto [low, high] = std::minmax_element(levels[k].begin() + warm_up_rounds, levels[k].end());
        EXPECT_EQ(*low, *high) << (k < kinds.size() ? kinds[k].group + ": " + kinds[k].name : "after a failed load")
                               << ": after the same load the program held " << *low << " to " << *high << " bytes";
    }
}

}  // namespace
}  // namespace zelto_reliability
