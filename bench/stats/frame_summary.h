// Frame-time statistics of one run: mean rate, percentiles and our own CPU time. No GL here.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarnwick::bench {

constexpr double ms_per_second = 1000.0;
constexpr double percent = 100.0;
// The width of the scene column of the console's tables.
constexpr int label_width = 34;

// The nearest-rank percentile (0 < p <= 100) of samples, in any order: the smallest sample with at least
// p percent of the samples at or below it. p <= 0 gives the smallest; no samples give 0.
double percentile(std::vector<double> samples, double p);

// Seconds per measured frame: the whole frame, and our own CPU part (presentation excluded); and the GL
// work's GPU time in milliseconds where timer queries gave it (NaN for a frame without one, empty: none).
struct run_samples {
    std::vector<double> frame_seconds;
    std::vector<double> cpu_seconds;
    std::vector<double> gpu_ms{};
};

struct frame_summary {
    int frames = 0;
    double mean_fps = 0.0;
    double p50_ms = 0.0;
    double p95_ms = 0.0;
    double p99_ms = 0.0;
    double max_ms = 0.0;
    // Mean per frame of the time spent in our update and draw submission, presentation excluded.
    double cpu_ms = 0.0;
    // Stutter, as stats/stutter.h defines it: the 1% and 0.1% lows and the frames over twice the median.
    double low_1_percent_fps = 0.0;
    double low_0_1_percent_fps = 0.0;
    int slow_frames = 0;
    // GPU time over the frames that have one; none when no frame has (never a zero for "not measured").
    std::optional<double> gpu_p50_ms{}, gpu_p99_ms{}, gpu_mean_ms{};
};

// Summarises frame times and our CPU times per frame, both in seconds, and GPU times in milliseconds (NaN
// where a frame has none).
frame_summary summarize(const std::vector<double>& frame_seconds, const std::vector<double>& cpu_seconds,
                        const std::vector<double>& gpu_ms = {});

// The value with the given number of decimals, as the tables, the CSV files and the report write figures.
std::string fixed(double value, int decimals);

// The table's header and one row (label first), fixed-width columns.
std::string summary_header();
std::string summary_row(const std::string& label, const frame_summary& s);
// The CSV header and the row of the run-th run of a scene (counted from 1).
std::string csv_header();
std::string csv_row(const std::string& label, int run, const frame_summary& s);
// GPU times in the CSV files keep the timer's nanoseconds: a light frame's GL work on a software rasterizer
// can take less than 0.1 microsecond, which fewer decimals would write as a measured zero.
constexpr int gpu_decimals = 6;
// The columns that follow the provenance's in a results file: stutter and GPU time (empty where none).
std::string csv_late_header();
std::string csv_late_row(const frame_summary& s);
// A figure with the given decimals, or an empty text where there is none.
std::string fixed_or_empty(const std::optional<double>& value, int decimals);

} // namespace tarnwick::bench
