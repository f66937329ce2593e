// The A/B statistics on synthetic machines: a drifting machine, noisy processes, autocorrelated frames and
// heavy tails. The checks are what a user relies on: the interval covers the true ratio about 95% of the
// time, and the verdicts under the stopping rule rarely raise a false alarm and never point the wrong way.
#include "ab_statistics.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {
constexpr double pi = 3.14159265358979323846;

// Processes run one after another on a machine whose speed wanders (a random walk and a trend, in log
// units per process). Each process adds its own offset, and sometimes another job slows it down; its
// median is taken over frames that follow an AR(1) series, or drawn directly when frames is 0.
struct machine {
    double walk = 0.02;
    double trend = 0.01;
    double process_sd = 0.03;
    double busy_share = 0.0;
    double busy_slowdown = 0.0;
    int frames = 0;
    double frame_sd = 0.1;
    double frame_correlation = 0.9;
};

class simulation {
  public:
    simulation(const machine& m, unsigned seed) : m(m), random(seed) {}

    // One round of A B B A with B slower than A by the true ratio.
    ab_round round(double ratio) {
        const double b = std::log(ratio);
        ab_round r;
        r.a_first = process(0.0);
        r.b_first = process(b);
        r.b_second = process(b);
        r.a_second = process(0.0);
        return r;
    }

  private:
    // Box-Muller on the standard engine, so that the draws are the same with any standard library.
    double normal() {
        const double u = (double(random() >> 11) + 1.0) / 9007199254740993.0;
        const double v = double(random() >> 11) / 9007199254740992.0;
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * pi * v);
    }
    double uniform() { return double(random() >> 11) / 9007199254740992.0; }

    double process(double log_ratio) {
        level += m.trend + m.walk * normal();
        double base = 1.0 + level + log_ratio + m.process_sd * normal();
        if (uniform() < m.busy_share)
            base += m.busy_slowdown;
        if (m.frames == 0)
            return std::exp(base);
        std::vector<double> frames;
        double x = m.frame_sd * normal();
        const double keep = m.frame_correlation, fresh = std::sqrt(1.0 - keep * keep);
        for (int i = 0; i < m.frames; ++i) {
            x = keep * x + fresh * m.frame_sd * normal();
            frames.push_back(std::exp(base + x));
        }
        std::nth_element(frames.begin(), frames.begin() + m.frames / 2, frames.end());
        return frames[size_t(m.frames / 2)];
    }

    machine m;
    std::mt19937_64 random;
    double level = 0.0;
};

const machine drifting{};
const machine autocorrelated_frames{0.02, 0.01, 0.01, 0.0, 0.0, 101, 0.1, 0.95};
// One process in ten shares the machine with another job and runs 30% slower.
const machine heavy_tails{0.02, 0.01, 0.02, 0.1, 0.26};

ab_round exact(double a, double ratio) { return {a, a * ratio, a * ratio, a}; }

// The round's ratio does not move with a drift that is steady over the round, whichever way it goes.
TEST(ab_statistics, a_steady_drift_cancels_within_a_round) {
    for (double drift : {1.0, 1.05, 0.9}) {
        for (double ratio : {1.0, 1.12, 0.6}) {
            const ab_round r{10.0, 10.0 * drift * ratio, 10.0 * drift * drift * ratio,
                             10.0 * drift * drift * drift};
            EXPECT_NEAR(std::exp(round_log_ratio(r)), ratio, 1e-12) << "drift " << drift;
        }
    }
}

TEST(ab_statistics, intervals_and_verdicts_of_known_rounds) {
    struct row {
        std::vector<ab_round> rounds;
        double ratio, low, high;
        ab_verdict verdict;
    };
    // Two rounds at e^0 and e^0.02: the mean 0.01, its standard error 0.01, t(0.975, 1 df) = 12.706.
    const double wide = 0.12706;
    const row table[] = {
        {{exact(4, 1.10), exact(7, 1.10)}, 1.10, 1.10, 1.10, ab_verdict::slower},
        {{exact(4, 0.95), exact(9, 0.95), exact(2, 0.95)}, 0.95, 0.95, 0.95, ab_verdict::faster},
        {{exact(4, 1.02), exact(5, 1.02)}, 1.02, 1.02, 1.02, ab_verdict::no_change},
        {{exact(4, 0.975), exact(5, 0.975)}, 0.975, 0.975, 0.975, ab_verdict::no_change},
        {{exact(4, 1.0), exact(4, std::exp(0.02))},
         std::exp(0.01),
         std::exp(0.01 - wide),
         std::exp(0.01 + wide),
         ab_verdict::inconclusive},
        {{exact(4, 1.5)}, 1.5, 1.5, 1.5, ab_verdict::unknown},
    };
    for (const row& r : table) {
        const ratio_estimate e = estimate_ratio(r.rounds);
        EXPECT_EQ(e.rounds, int(r.rounds.size()));
        EXPECT_NEAR(e.ratio, r.ratio, 1e-9);
        EXPECT_NEAR(e.low, r.low, 1e-4);
        EXPECT_NEAR(e.high, r.high, 1e-4);
        EXPECT_STREQ(ab_verdict_name(judge(e, 0.03)), ab_verdict_name(r.verdict)) << r.ratio;
    }
    // Swapping A and B swaps faster and slower: the lower bound is 1 / 1.03 = 0.97087, not 0.97.
    const std::pair<double, ab_verdict> bounds[] = {{1.031, ab_verdict::slower},
                                                    {1.029, ab_verdict::no_change},
                                                    {0.9712, ab_verdict::no_change},
                                                    {0.9705, ab_verdict::faster}};
    for (const auto& [ratio, verdict] : bounds)
        EXPECT_EQ(judge(estimate_ratio({exact(3, ratio), exact(5, ratio)}), 0.03), verdict) << ratio;
}

// How often the 95% interval from a fixed number of rounds holds the true ratio, over many comparisons.
double coverage(const machine& m, double ratio, int rounds, int comparisons, unsigned seed) {
    simulation sim(m, seed);
    int covered = 0;
    for (int c = 0; c < comparisons; ++c) {
        std::vector<ab_round> measured;
        for (int i = 0; i < rounds; ++i)
            measured.push_back(sim.round(ratio));
        const ratio_estimate e = estimate_ratio(measured);
        covered += e.low <= ratio && ratio <= e.high;
    }
    return double(covered) / comparisons;
}

TEST(ab_statistics, the_interval_covers_the_true_ratio_about_95_percent_of_the_time) {
    struct row {
        const char* name;
        const machine& m;
        double ratio;
        int rounds;
        double lowest, highest;
    };
    const row table[] = {
        {"drifting, 3 rounds", drifting, 1.0, 3, 0.93, 0.97},
        {"drifting, 8 rounds", drifting, 1.12, 8, 0.93, 0.97},
        {"autocorrelated frames", autocorrelated_frames, 0.9, 6, 0.93, 0.97},
        // With heavy tails Student's t errs on the safe side.
        {"heavy tails", heavy_tails, 1.05, 6, 0.93, 0.99},
    };
    for (const row& r : table) {
        const double share = coverage(r.m, r.ratio, r.rounds, 2000, 7);
        EXPECT_GE(share, r.lowest) << r.name;
        EXPECT_LE(share, r.highest) << r.name;
    }
}

struct verdict_counts {
    int no_change = 0, faster = 0, slower = 0, inconclusive = 0;
    int most_rounds = 0;
};

// Many comparisons under the stopping rule, each taking rounds until its scene settles.
verdict_counts sequential(const machine& m, double ratio, int comparisons, unsigned seed) {
    simulation sim(m, seed);
    verdict_counts counts;
    for (int c = 0; c < comparisons; ++c) {
        ab_sequence scene(ab_stopping{5, 20, 0.03});
        while (scene.open())
            scene.add(sim.round(ratio));
        counts.most_rounds = std::max(counts.most_rounds, scene.rounds());
        switch (scene.verdict()) {
        case ab_verdict::no_change:
            ++counts.no_change;
            break;
        case ab_verdict::faster:
            ++counts.faster;
            break;
        case ab_verdict::slower:
            ++counts.slower;
            break;
        default:
            ++counts.inconclusive;
            break;
        }
    }
    return counts;
}

TEST(ab_statistics, sequential_verdicts_rarely_raise_false_alarms_and_never_point_the_wrong_way) {
    const int n = 1000;
    struct row {
        const char* name;
        const machine& m;
        double ratio;
        int most_false_alarms, least_slower;
    };
    const row table[] = {
        {"A/A", drifting, 1.0, n / 20, 0},
        {"A/A, heavy tails", heavy_tails, 1.0, n / 20, 0},
        {"12% more pixels", drifting, 1.12, 0, n * 9 / 10},
        {"12% more pixels, heavy tails", heavy_tails, 1.12, 0, n * 9 / 10},
        {"one thread", autocorrelated_frames, 1.6, 0, n},
    };
    for (const row& r : table) {
        const verdict_counts c = sequential(r.m, r.ratio, n, 11);
        if (r.ratio == 1.0)
            EXPECT_LE(c.faster + c.slower, r.most_false_alarms) << r.name;
        else
            EXPECT_EQ(c.faster, 0) << r.name;
        EXPECT_GE(c.slower, r.least_slower) << r.name;
        EXPECT_LE(c.most_rounds, 20) << r.name;
    }
    // A/A on a quiet machine settles as no change.
    const verdict_counts quiet = sequential(machine{0.005, 0.01, 0.01}, 1.0, n, 13);
    EXPECT_GE(quiet.no_change, n * 9 / 10);
}
} // namespace
