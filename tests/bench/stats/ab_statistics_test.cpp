// The A/B statistics on synthetic machines that drift, with noisy processes, autocorrelated frames and heavy
// tails: the interval covers the true ratio about 95% of the time, and the verdicts under the stopping rule
// rarely raise a false alarm and never point the wrong way.
#include "stats/ab_statistics.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>

using namespace tarnwick::bench;

namespace {
// Processes run one after another on a machine whose speed wanders (a random walk and a trend, in log units
// per process); each adds its own offset, and a share of them is slowed by another job. A process's median
// is drawn directly, or taken over frames that follow an AR(1) series when frames > 0.
struct machine {
    double walk = 0.02, trend = 0.01, process_sd = 0.03;
    double busy_share = 0.0, busy_slowdown = 0.0;
    int frames = 0;
    double frame_sd = 0.1, frame_correlation = 0.95;
};
const machine drifting{};
const machine autocorrelated_frames{0.02, 0.01, 0.01, 0.0, 0.0, 101};
const machine heavy_tails{0.02, 0.01, 0.02, 0.1, 0.26}; // one process in ten 30% slower

class simulation {
  public:
    simulation(const machine& m, unsigned seed) : m(m), random(seed) {}
    ab_round round(double ratio) {
        const double a = process(0.0), b1 = process(std::log(ratio)), b2 = process(std::log(ratio));
        return {a, b1, b2, process(0.0)};
    }

  private:
    double uniform() { return (double(random() >> 11) + 0.5) / 9007199254740992.0; }
    // Box-Muller on the standard engine, so that the draws are the same with any standard library.
    double normal() {
        return std::sqrt(-2.0 * std::log(uniform())) * std::cos(6.283185307179586 * uniform());
    }
    double process(double log_ratio) {
        level += m.trend + m.walk * normal();
        const double base =
            level + log_ratio + m.process_sd * normal() + (uniform() < m.busy_share ? m.busy_slowdown : 0);
        if (m.frames == 0)
            return std::exp(base);
        std::vector<double> frames;
        const double keep = m.frame_correlation, fresh = std::sqrt(1.0 - keep * keep);
        for (double x = m.frame_sd * normal(); int(frames.size()) < m.frames;) {
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
        {"heavy tails (Student's t errs on the safe side)", heavy_tails, 1.05, 6, 0.93, 0.99},
    };
    for (const row& r : table) {
        simulation sim(r.m, 7);
        int covered = 0, comparisons = 2000;
        for (int c = 0; c < comparisons; ++c) {
            std::vector<ab_round> rounds;
            while (int(rounds.size()) < r.rounds)
                rounds.push_back(sim.round(r.ratio));
            const ratio_estimate e = estimate_ratio(rounds);
            covered += e.low <= r.ratio && r.ratio <= e.high;
        }
        EXPECT_GE(covered, r.lowest * comparisons) << r.name;
        EXPECT_LE(covered, r.highest * comparisons) << r.name;
    }
}

TEST(ab_statistics, sequential_verdicts_rarely_raise_false_alarms_and_never_point_the_wrong_way) {
    struct row {
        const char* name;
        machine m;
        double ratio;
        int most_alarms, least_slower, least_no_change;
    };
    const int n = 1000;
    const row table[] = {
        {"A/A", drifting, 1.0, n / 20, 0, n * 9 / 10},
        {"A/A, heavy tails", heavy_tails, 1.0, n / 20, 0, 0},
        {"12% more pixels", drifting, 1.12, 0, n * 9 / 10, 0},
        {"12% more pixels, heavy tails", heavy_tails, 1.12, 0, n * 9 / 10, 0},
        {"one thread", autocorrelated_frames, 1.6, 0, n, 0},
    };
    for (const row& r : table) {
        simulation sim(r.m, 11);
        std::map<verdict, int> counts;
        for (int c = 0; c < n; ++c) {
            ab_sequence scene(ab_stopping{5, 20, 0.03});
            while (scene.open())
                scene.add(sim.round(r.ratio));
            ASSERT_LE(scene.rounds(), 20);
            ++counts[scene.verdict()];
        }
        const int faster = counts[verdict::faster], slower = counts[verdict::slower];
        EXPECT_LE(r.ratio == 1.0 ? faster + slower : faster, r.most_alarms) << r.name;
        EXPECT_GE(slower, r.least_slower) << r.name;
        EXPECT_GE(counts[verdict::no_change], r.least_no_change) << r.name;
    }
}
} // namespace
