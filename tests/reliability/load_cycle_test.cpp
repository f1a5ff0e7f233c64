// One program session that loads a thousand reports of every kind in turn:
// valid ones of several sizes and column sets, broken ones with each problem
// the parser reports, hostile ones. Every load ends as the kind says (loaded
// with its exercises, or refused with the parser's messages), and the heap
// in use after loading the same report does not creep up over the rounds: a
// report, its exercise toggles and its derived arrays are released in full
// when the next one replaces them.
//
// The heap includes the OpenGL driver's pools (the software rasteriser's
// scenes and shader caches), which grow and shrink by hundreds of kilobytes
// from one frame to the next, so single levels are not compared. What a leak
// does is raise the floor: the lowest level a report reaches in the later
// rounds would be above the lowest it reached in the earlier ones, for every
// report loaded after the leak. A single report's floor still moves by a
// pool now and then, so the rise is averaged over all of them.
//
// The sanitizer build adds AddressSanitizer and LeakSanitizer to all this;
// scripts/leakcheck.sh runs the same session under valgrind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/reliability/report_catalog.hpp"
#include "tests/reliability/session.hpp"

namespace zelto_reliability {
namespace {

constexpr int total_loads = 1000;
// Rounds whose levels only fill caches (glyphs, driver pools) and are not
// compared.
constexpr int warm_up_rounds = 3;
// How far the floors may rise on average over the kinds. A leak of a
// kilobyte per load would raise them by about 400 KiB over half the rounds.
constexpr double mean_floor_slack = 256 * 1024;
// How far the floor with no report loaded may rise.
constexpr std::size_t unloaded_floor_slack = 1024 * 1024;

// The lowest level of rounds [begin, end).
std::size_t floor_of(const std::vector<std::size_t>& levels, std::size_t begin, std::size_t end)
{
    return *std::min_element(levels.begin() + static_cast<std::ptrdiff_t>(begin),
                             levels.begin() + static_cast<std::ptrdiff_t>(end));
}

// Every kind always takes the same road, so that its rounds are alike; the
// three roads alternate over the kinds.
Road road_of(std::size_t kind)
{
    constexpr Road roads[] = {Road::drop, Road::path_field, Road::call};
    return roads[kind % std::size(roads)];
}

std::string shown_name(const ReportKind& kind)
{
    return kind.group + ": " + kind.name;
}

TEST(LoadCycle, AThousandReportsOfEveryKindInOneSessionLeaveTheHeapWhereItWas)
{
    Session session;
    const std::vector<ReportKind> kinds = report_catalog();
    ASSERT_GE(kinds.size(), 30u);
    for (const ReportKind& kind : kinds)
        make_report(kind, session.directory() / kind.file_name);

    const std::size_t rounds = (total_loads + kinds.size() - 1) / kinds.size();
    ASSERT_GT(rounds, static_cast<std::size_t>(warm_up_rounds) + 2) << "too few rounds to compare";
    // levels[k][r]: heap in use after round r loaded kind k (0 when not loaded).
    std::vector<std::vector<std::size_t>> levels(kinds.size(), std::vector<std::size_t>(rounds, 0));
    std::vector<std::size_t> unloaded(rounds, 0);  // after each round, with no report
    std::vector<int> first_outcome(kinds.size(), -1);
    const std::size_t start_level = session.settled_heap_in_use();
    const std::string unload_path = (session.directory() / "nothing-here.tsv").string();

    int loads = 0;
    for (std::size_t r = 0; r < rounds && loads < total_loads; ++r) {
        for (std::size_t k = 0; k < kinds.size() && loads < total_loads; ++k) {
            const ReportKind& kind = kinds[k];
            const std::string path = (session.directory() / kind.file_name).string();
            const std::string printed = session.load(path, road_of(k));
            ++loads;
            const bool is_loaded = session.state().report != nullptr;
            const std::string context = shown_name(kind) + " (round " + std::to_string(r) + ", " +
                                        road_name(road_of(k)) + ")";

            switch (kind.outcome) {
            case Outcome::loads: EXPECT_TRUE(is_loaded) << context << "\n" << printed; break;
            case Outcome::fails: EXPECT_FALSE(is_loaded) << context << "\n" << printed; break;
            case Outcome::either: break;
            }
            // Whatever it is, the same file ends the same way every time.
            if (first_outcome[k] < 0)
                first_outcome[k] = is_loaded ? 1 : 0;
            EXPECT_EQ(first_outcome[k], is_loaded ? 1 : 0) << context;
            for (const std::string& message : kind.messages)
                EXPECT_NE(printed.find(message), std::string::npos)
                    << context << ": no \"" << message << "\" in\n" << printed.substr(0, 4000);
            if (is_loaded) {
                const GuiState& state = session.state();
                EXPECT_EQ(printed.find("ERROR"), std::string::npos) << context << "\n" << printed.substr(0, 4000);
                if (kind.exercises >= 0) {
                    EXPECT_EQ(state.report->exercises_number, kind.exercises) << context;
                }
                EXPECT_EQ(state.exercise_toggles.size(),
                          static_cast<std::size_t>(std::max(state.report->exercises_number, 0)))
                    << context;
            } else {
                EXPECT_TRUE(session.state().exercise_toggles.empty()) << context;
            }
            levels[k][r] = session.settled_heap_in_use();
            if (::testing::Test::HasFatalFailure())
                return;
        }
        session.load(unload_path, Road::call);
        unloaded[r] = session.settled_heap_in_use();
    }
    EXPECT_EQ(loads, total_loads);
    session.take_console();

    // The figures, for the record.
    std::printf("Loads: %d of %zu kinds in %zu rounds (roads: drop, path field, call in turn).\n", loads,
                kinds.size(), rounds);
    std::printf("Heap in use at start: %zu bytes\n", start_level);
    if (start_level == 0) {
        // Under valgrind the allocator is valgrind's, which keeps no such
        // count; it checks the heap itself.
        std::printf("The heap in use cannot be measured here; levels not compared.\n");
        return;
    }
    std::printf("%-48s %12s %12s %12s %12s\n", "kind", "round 0", "early floor", "late floor", "spread");
    double rise_sum = 0;
    std::size_t compared = 0;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        std::size_t end = rounds;
        while (end > 0 && levels[k][end - 1] == 0)
            --end;
        if (end < static_cast<std::size_t>(warm_up_rounds) + 2)
            continue;
        const std::size_t middle = (warm_up_rounds + end) / 2;
        const std::size_t early = floor_of(levels[k], warm_up_rounds, middle);
        const std::size_t late = floor_of(levels[k], middle, end);
        const auto [low, high] = std::minmax_element(levels[k].begin() + warm_up_rounds,
                                                     levels[k].begin() + static_cast<std::ptrdiff_t>(end));
        std::printf("%-48.48s %12zu %12zu %12zu %12zu\n", shown_name(kinds[k]).c_str(), levels[k][0], early, late,
                    *high - *low);
        rise_sum += static_cast<double>(late) - static_cast<double>(early);
        ++compared;
    }
    ASSERT_GT(compared, kinds.size() / 2);
    const double mean_rise = rise_sum / static_cast<double>(compared);
    std::printf("Mean rise of the floors from the earlier to the later rounds: %.0f bytes\n", mean_rise);
    EXPECT_LE(mean_rise, mean_floor_slack) << "the heap after each load crept up over the rounds";
    std::printf("No report, after each round:");
    for (std::size_t r = 0; r < rounds; ++r)
        std::printf(" %zu", unloaded[r]);
    std::printf("\n");
    const std::size_t middle = (warm_up_rounds + rounds) / 2;
    EXPECT_LE(floor_of(unloaded, middle, rounds), floor_of(unloaded, warm_up_rounds, middle) + unloaded_floor_slack)
        << "with no report, the heap rose over the rounds";
}

}  // namespace
}  // namespace zelto_reliability
