// The statistics of --compare: Student's t against the printed tables, Welch's test against worked values.
#include "stats/fps_comparison.h"
#include "stats/t_distribution.h"

#include <gtest/gtest.h>

using namespace tarnwick::bench;

namespace {
// Critical values of Student's t from the printed tables: two-sided 5% and 1%.
TEST(fps_comparison, t_test_matches_the_printed_critical_values) {
    const double table[][3] = {{12.706, 1, 0.05}, {2.776, 4, 0.05}, {1.960, 1e7, 0.05}, {3.169, 10, 0.01}};
    for (const auto& row : table)
        EXPECT_NEAR(two_sided_t_p_value(row[0], row[1]), row[2], 2e-4) << "t " << row[0] << " df " << row[1];
}

// Welch's test against values worked by hand: t = 2 with 8 degrees of freedom; unequal spreads (t = -1.897
// with 5.88 degrees of freedom); equal runs; runs without spread.
TEST(fps_comparison, welch_p_values_of_known_samples) {
    const struct {
        std::vector<double> a, b;
        double p;
    } table[] = {
        {{1, 2, 3, 4, 5}, {3, 4, 5, 6, 7}, 0.0805},
        {{3, 4, 5, 6, 7}, {1, 2, 3, 4, 5}, 0.0805},
        {{1, 2, 3, 4, 5}, {2, 4, 6, 8, 10}, 0.1075},
        {{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}, 1.0},
        {{5, 5, 5}, {5, 5}, 1.0},
        {{5, 5, 5}, {6, 6}, 0.0},
    };
    for (const auto& row : table)
        EXPECT_NEAR(welch_p_value(row.a, row.b), row.p, 5e-4) << &row - table;
}

// The figures a comparison prints: each side's mean and spread, and the ratio new / base.
TEST(fps_comparison, figures_of_both_sides) {
    const fps_verdict v = compare_fps({1, 2, 3, 4, 5}, {2, 4, 6, 8, 10});
    EXPECT_DOUBLE_EQ(v.figures.base_fps, 3.0);
    EXPECT_NEAR(v.figures.base_sd, 1.5811, 1e-4);
    EXPECT_DOUBLE_EQ(v.figures.new_fps, 6.0);
    EXPECT_NEAR(v.figures.new_sd, 3.1623, 1e-4);
    EXPECT_DOUBLE_EQ(v.figures.ratio, 2.0);
    EXPECT_EQ(v.verdict, verdict::no_change);
}

// Every verdict has its own word, and the word reads back as the verdict.
TEST(verdict, words_are_distinct_and_read_back) {
    for (const verdict_name& a : verdict_names) {
        EXPECT_EQ(verdict_of_word(a.word), a.verdict) << a.word;
        for (const verdict_name& b : verdict_names)
            EXPECT_TRUE(&a == &b || std::string(a.word) != b.word) << a.word;
    }
    EXPECT_EQ(verdict_of_word("no such word"), verdict::unknown);
}
} // namespace
