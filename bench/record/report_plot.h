// The report's frame-time plot as inline SVG, so that the page needs no gnuplot and no image files. No GL.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::bench {

// One line of the plot: a run's frame times in order; and, dashed in the same colour, its GPU times (NaN
// for a frame without one; empty: no such line).
struct plot_series {
    std::string name;
    std::vector<double> frame_ms;
    std::vector<double> gpu_ms{};
};

// The colour of the index-th series, as the plot draws it (a legend beside it uses the same).
const char* series_colour(size_t index);

// The smallest "round" step (1, 2 or 5 times a power of ten) at least span / ticks.
double tick_step(double span, int ticks);

// An <svg> element: each series as a line over the frames, the p50 and p99 of all frames as dashed lines,
// the millisecond scale on the left. Frames far above the p99 are drawn at the top edge and counted there,
// so that one stall does not flatten the rest. title names the plot for screen readers.
std::string frame_time_svg(const std::vector<plot_series>& series, const std::string& title);

} // namespace tarnwick::bench
