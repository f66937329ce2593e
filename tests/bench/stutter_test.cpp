// Stutter figures on series worked out by hand: the slowest 1% and 0.1% and the frames over twice the median.
#include "stats/stutter.h"

#include <gtest/gtest.h>

using namespace tarnwick::bench;

namespace {
// count frames of ms each, then the given frames.
std::vector<double> series(int count, double ms, std::vector<double> then = {}) {
    std::vector<double> frames(size_t(count), ms);
    frames.insert(frames.end(), then.begin(), then.end());
    return frames;
}

TEST(stutter, figures_of_hand_checked_series) {
    struct row {
        const char* what;
        std::vector<double> frame_ms;
        double low_1, low_0_1;
        int slow;
    };
    // The slow frames come first in one row: the figures must not depend on where they fall.
    std::vector<double> slow_first = series(98, 10);
    slow_first.insert(slow_first.begin(), {50, 30});
    const row table[] = {
        // 150 frames: 150 / 100 = 1 frame (not 2): 1000 / 50 = 20 FPS for both lows. Median 10 ms, so
        // 30, 40 and 50 ms are slow; 20 ms is exactly twice the median, not slower.
        {"150 frames", series(146, 10, {20, 30, 40, 50}), 20.0, 20.0, 3},
        // 2500 frames: the slowest 25 are 5 x 100 + 20 x 20 = 900 ms, 1000 / 36 = 27.78 FPS; the slowest
        // 2 are 100 ms each, 10 FPS. Median 10 ms: only the five 100 ms frames are over 20 ms.
        {"2500 frames", series(2470, 10, series(25, 20, series(5, 100))), 1000.0 / 36.0, 10.0, 5},
        // 100 frames, slow ones first: 1 frame each, 1000 / 50 = 20; median 10, 50 and 30 ms are slow.
        {"slow frames first", slow_first, 20.0, 20.0, 2},
        // An even count: the nearest-rank median of {10, 10, 30, 30} is 10 (an interpolated one would be 20
        // and count none), so both 30 ms frames are slow; the slowest frame gives 1000 / 30 FPS.
        {"even count", {10, 30, 10, 30}, 1000.0 / 30.0, 1000.0 / 30.0, 2},
        {"empty run", {}, 0.0, 0.0, 0},
    };
    for (const row& r : table) {
        const stutter_figures figures = stutter(r.frame_ms);
        EXPECT_NEAR(figures.low_1_percent_fps, r.low_1, 1e-9) << r.what;
        EXPECT_NEAR(figures.low_0_1_percent_fps, r.low_0_1, 1e-9) << r.what;
        EXPECT_EQ(figures.slow_frames, r.slow) << r.what;
    }
}
} // namespace
