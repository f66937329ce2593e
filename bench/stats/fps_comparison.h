// Two samples of a scene's mean FPS, one per run, set against each other: their means, spreads and ratio,
// and whether the difference lies beyond the runs' noise (Welch's t-test, two-sided, at 95%). No GL here.
#pragma once

#include "stats/verdict.h"

#include <vector>

namespace tarnwick::bench {

// Welch's t-test of two samples: the two-sided probability of a difference of means at least as large
// as theirs when the true means are equal. Needs two values in each sample.
double welch_p_value(const std::vector<double>& a, const std::vector<double>& b);

struct fps_comparison {
    double base_fps = 0.0, base_sd = 0.0;
    double new_fps = 0.0, new_sd = 0.0;
    // new / base: below 1 the new side is slower.
    double ratio = 0.0;
};

struct fps_verdict {
    fps_comparison figures;
    bench::verdict verdict = verdict::unknown;
};

// Faster or slower when Welch's test puts the difference beyond 95%, no change within, unknown with fewer
// than two runs on either side.
fps_verdict compare_fps(const std::vector<double>& base, const std::vector<double>& fresh);

} // namespace tarnwick::bench
