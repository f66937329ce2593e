// Frame-time statistics of one run: mean rate, percentiles and our own CPU time. No GL here.
#include "stats/frame_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

frame_summary summarize(const std::vector<double>& frame_seconds, const std::vector<double>& cpu_seconds) {
    frame_summary s;
    s.frames = int(frame_seconds.size());
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
    return s;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string summary_header() {
    char line[256];
    std::snprintf(line, sizeof line, "%-*s %7s %9s %8s %8s %8s %8s %8s", label_width, "scene", "frames",
                  "mean FPS", "p50 ms", "p95 ms", "p99 ms", "max ms", "CPU ms");
    return line;
}

std::string summary_row(const std::string& label, const frame_summary& s) {
    char line[256];
    std::snprintf(line, sizeof line, "%-*s %7d %9.1f %8.2f %8.2f %8.2f %8.2f %8.3f", label_width,
                  label.c_str(), s.frames, s.mean_fps, s.p50_ms, s.p95_ms, s.p99_ms, s.max_ms, s.cpu_ms);
    return line;
}

std::string csv_header() { return "scene,run,frames,mean_fps,p50_ms,p95_ms,p99_ms,max_ms,cpu_ms"; }

std::string csv_row(const std::string& label, int run, const frame_summary& s) {
    char line[512];
    std::snprintf(line, sizeof line, "%s,%d,%d,%.3f,%.4f,%.4f,%.4f,%.4f,%.4f", label.c_str(), run, s.frames,
                  s.mean_fps, s.p50_ms, s.p95_ms, s.p99_ms, s.max_ms, s.cpu_ms);
    return line;
}

} // namespace tarnwick::bench
