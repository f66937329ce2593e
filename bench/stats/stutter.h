// Stutter figures of a run: how fast its slowest frames went and how many frames took far longer than usual.
// No GL here.
#pragma once

#include <vector>

namespace tarnwick::bench {

struct stutter_figures {
    // 1% low: 1000 / the mean of the slowest 1% of frame times (n / 100 frames rounded down, at least one),
    // so a run of fewer than 100 frames gives its slowest frame's rate. 0.1% low likewise with n / 1000
    // (the slowest frame below 1000 frames). Both 0 for an empty run.
    double low_1_percent_fps = 0.0;
    double low_0_1_percent_fps = 0.0;
    // Frames slower than twice the median (the nearest-rank p50 that the tables print); 0 for an empty run.
    int slow_frames = 0;
};

// The stutter figures of a run's frame times in milliseconds, in the order they were drawn. Frame times are
// positive; a mean of zero gives a rate of 0 (unknown) rather than an infinity.
stutter_figures stutter(const std::vector<double>& frame_ms);

} // namespace tarnwick::bench
