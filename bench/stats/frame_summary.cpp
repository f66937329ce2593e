// Frame-time statistics of one run: mean rate, percentiles and our own CPU time. No GL here.
#include "stats/frame_summary.h"

#include "stats/stutter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <numeric>

namespace tarnwick::bench {

double percentile(std::vector<double> samples, double p) {
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    if (p <= 0.0)
        return samples.front();
    const double n = double(samples.size());
    // The rank is rounded up after a small tolerance, so that 95% of 20 samples is rank 19, not 20.
    size_t rank = size_t(std::ceil(p / 100.0 * n - 1e-9));
    rank = std::min(std::max<size_t>(rank, 1), samples.size());
    return samples[rank - 1];
}

namespace {
void summarize_gpu(const std::vector<double>& gpu_ms, frame_summary& s) {
    std::vector<double> measured;
    std::copy_if(gpu_ms.begin(), gpu_ms.end(), std::back_inserter(measured),
                 [](double ms) { return std::isfinite(ms); });
    if (measured.empty())
        return;
    s.gpu_p50_ms = percentile(measured, 50.0);
    s.gpu_p99_ms = percentile(measured, 99.0);
    s.gpu_mean_ms = std::accumulate(measured.begin(), measured.end(), 0.0) / double(measured.size());
}

// A table cell of width characters: the figure, or "-" where there is none. A figure that the decimals
// would round to zero says that it is below their step, so that it never reads as a measured zero.
std::string cell(const std::optional<double>& value, int width, int decimals) {
    std::string shown = value ? fixed(*value, decimals) : "-";
    if (value && *value > 0.0 && std::stod(shown) == 0.0)
        shown = "<" + fixed(std::pow(10.0, -decimals), decimals);
    char text[64];
    std::snprintf(text, sizeof text, "%*s", width, shown.c_str());
    return text;
}
} // namespace

frame_summary summarize(const std::vector<double>& frame_seconds, const std::vector<double>& cpu_seconds,
                        const std::vector<double>& gpu_ms) {
    frame_summary s;
    s.frames = int(frame_seconds.size());
    summarize_gpu(gpu_ms, s);
    if (frame_seconds.empty())
        return s;
    const double total = std::accumulate(frame_seconds.begin(), frame_seconds.end(), 0.0);
    s.mean_fps = total > 0.0 ? double(s.frames) / total : 0.0;
    s.p50_ms = percentile(frame_seconds, 50.0) * ms_per_second;
    s.p95_ms = percentile(frame_seconds, 95.0) * ms_per_second;
    s.p99_ms = percentile(frame_seconds, 99.0) * ms_per_second;
    s.max_ms = *std::max_element(frame_seconds.begin(), frame_seconds.end()) * ms_per_second;
    if (!cpu_seconds.empty())
        s.cpu_ms = std::accumulate(cpu_seconds.begin(), cpu_seconds.end(), 0.0) / double(cpu_seconds.size()) *
                   ms_per_second;
    std::vector<double> frame_ms(frame_seconds.size());
    std::transform(frame_seconds.begin(), frame_seconds.end(), frame_ms.begin(),
                   [](double seconds) { return seconds * ms_per_second; });
    const stutter_figures lows = stutter(frame_ms);
    s.low_1_percent_fps = lows.low_1_percent_fps;
    s.low_0_1_percent_fps = lows.low_0_1_percent_fps;
    s.slow_frames = lows.slow_frames;
    return s;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string summary_header() {
    char line[256];
    std::snprintf(line, sizeof line, "%-*s %7s %9s %8s %8s %8s %8s %8s %8s %8s %5s %8s %8s %8s", label_width,
                  "scene", "frames", "mean FPS", "p50 ms", "p95 ms", "p99 ms", "max ms", "CPU ms", "1% low",
                  "0.1% low", "slow", "GPU p50", "GPU p99", "GPU mean");
    return line;
}

std::string summary_row(const std::string& label, const frame_summary& s) {
    char line[256];
    std::snprintf(line, sizeof line, "%-*s %7d %9.1f %8.2f %8.2f %8.2f %8.2f %8.3f %8.1f %8.1f %5d",
                  label_width, label.c_str(), s.frames, s.mean_fps, s.p50_ms, s.p95_ms, s.p99_ms, s.max_ms,
                  s.cpu_ms, s.low_1_percent_fps, s.low_0_1_percent_fps, s.slow_frames);
    return line + cell(s.gpu_p50_ms, 9, 3) + cell(s.gpu_p99_ms, 9, 3) + cell(s.gpu_mean_ms, 9, 3);
}

std::string csv_header() { return "scene,run,frames,mean_fps,p50_ms,p95_ms,p99_ms,max_ms,cpu_ms"; }

std::string csv_row(const std::string& label, int run, const frame_summary& s) {
    char line[512];
    std::snprintf(line, sizeof line, "%s,%d,%d,%.3f,%.4f,%.4f,%.4f,%.4f,%.4f", label.c_str(), run, s.frames,
                  s.mean_fps, s.p50_ms, s.p95_ms, s.p99_ms, s.max_ms, s.cpu_ms);
    return line;
}

std::string csv_late_header() {
    return "low_1_percent_fps,low_0_1_percent_fps,slow_frames,gpu_p50_ms,gpu_p99_ms,gpu_mean_ms";
}

std::string csv_late_row(const frame_summary& s) {
    return fixed(s.low_1_percent_fps, 3) + "," + fixed(s.low_0_1_percent_fps, 3) + "," +
           std::to_string(s.slow_frames) + "," + fixed_or_empty(s.gpu_p50_ms, gpu_decimals) + "," +
           fixed_or_empty(s.gpu_p99_ms, gpu_decimals) + "," + fixed_or_empty(s.gpu_mean_ms, gpu_decimals);
}

std::string fixed_or_empty(const std::optional<double>& value, int decimals) {
    return value ? fixed(*value, decimals) : std::string();
}

} // namespace tarnwick::bench
