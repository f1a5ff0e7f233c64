// One program session that loads a thousand reports of every kind in turn:
// valid ones of several sizes and column sets, broken ones with each problem
// the parser reports, hostile ones. Every load ends as the kind says (loaded
// with its exercises, or refused with the parser's messages), and the heap
// in use after loading the same report comes back to the same level once
// the first rounds have filled the caches of the libraries: a report, its
// exercise toggles and its derived arrays are released in full when the next
// one replaces them.
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
    std::printf("%-48s %12s %12s %12s %12s\n", "kind", "round 0", "round 3", "last", "max-min(3..)");
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        std::size_t last_round = rounds - 1;
        while (last_round > 0 && levels[k][last_round] == 0)
            --last_round;
        const auto compared_begin = levels[k].begin() + warm_up_rounds;
        const auto compared_end = levels[k].begin() + static_cast<std::ptrdiff_t>(last_round) + 1;
        const auto [low, high] = std::minmax_element(compared_begin, compared_end);
        std::printf("%-48.48s %12zu %12zu %12zu %12zu\n", shown_name(kinds[k]).c_str(), levels[k][0],
                    levels[k][warm_up_rounds], levels[k][last_round], *high - *low);
        for (std::size_t r = warm_up_rounds + 1; r <= last_round; ++r)
            EXPECT_EQ(levels[k][r], levels[k][warm_up_rounds])
                << shown_name(kinds[k]) << ": round " << r << " holds " << levels[k][r] << " bytes, round "
                << warm_up_rounds << " held " << levels[k][warm_up_rounds];
    }
    std::printf("No report, after each round:");
    for (std::size_t r = 0; r < rounds; ++r)
        std::printf(" %zu", unloaded[r]);
    std::printf("\n");
    for (std::size_t r = warm_up_rounds + 1; r + 1 < rounds; ++r)
        EXPECT_EQ(unloaded[r], unloaded[warm_up_rounds]) << "no report, round " << r;
}

}  // namespace
}  // namespace zelto_reliability
