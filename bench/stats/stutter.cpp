// Stutter figures of a run: the slowest frames' rate and the frames far above the median. No GL here.
#include "stats/stutter.h"

#include "stats/frame_summary.h"

#include <algorithm>
#include <functional>
#include <numeric>

namespace tarnwick::bench {

namespace {
// A frame is a stutter when it takes longer than this many medians.
constexpr double slow_frame_factor = 2.0;

// 1000 / the mean of the slowest n / per_frames frames (at least one) of times sorted slowest first.
double low_fps(const std::vector<double>& slowest_first, size_t per_frames) {
    const size_t count = std::max<size_t>(1, slowest_first.size() / per_frames);
    const double sum = std::accumulate(slowest_first.begin(), slowest_first.begin() + long(count), 0.0);
    return sum > 0.0 ? ms_per_second * double(count) / sum : 0.0;
}
} // namespace

stutter_figures stutter(const std::vector<double>& frame_ms) {
    stutter_figures figures;
    if (frame_ms.empty())
        return figures;
    std::vector<double> slowest_first = frame_ms;
    std::sort(slowest_first.begin(), slowest_first.end(), std::greater<double>());
    figures.low_1_percent_fps = low_fps(slowest_first, 100);
    figures.low_0_1_percent_fps = low_fps(slowest_first, 1000);
    const double limit = slow_frame_factor * percentile(frame_ms, 50.0);
    figures.slow_frames =
        int(std::count_if(frame_ms.begin(), frame_ms.end(), [&](double ms) { return ms > limit; }));
    return figures;
}

} // namespace tarnwick::bench
