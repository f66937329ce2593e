// Frame-time statistics: nearest-rank percentiles on known samples, the summary and its printed rows.
#include "stats/frame_summary.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <sstream>

using namespace tarnwick::bench;

namespace {
std::vector<double> one_to(int n) {
    std::vector<double> v(size_t(n), 0.0);
    std::iota(v.begin(), v.end(), 1.0);
    return v;
}

TEST(frame_summary, percentiles_of_known_samples) {
    struct row {
        std::vector<double> samples;
        double p, expected;
    };
    const std::vector<double> shuffled = {7, 1, 9, 3, 5, 2, 10, 4, 8, 6};
    const row table[] = {
        {one_to(100), 99, 99}, {one_to(100), 99.5, 100}, {one_to(100), 0, 1},   {one_to(20), 95, 19},
        {one_to(10), 51, 6},   {shuffled, 90, 9},        {{3, 3, 3, 9}, 76, 9}, {{}, 50, 0},
    };
    for (const row& r : table) {
        std::ostringstream what;
        what << "p" << r.p << " of " << r.samples.size() << " samples";
        EXPECT_DOUBLE_EQ(percentile(r.samples, r.p), r.expected) << what.str();
    }
}

TEST(frame_summary, summary_of_frame_and_cpu_times) {
    // 197 frames of 10 ms, then 20, 30 and 50 ms: 2.07 s for 200 frames. The slowest 2 (1%) average 40 ms,
    // the slowest one (0.1%) is 50 ms; 30 and 50 ms are over twice the median.
    std::vector<double> frames(197, 0.010);
    frames.insert(frames.end(), {0.020, 0.030, 0.050});
    const frame_summary s = summarize(frames, {0.001, 0.003});
    EXPECT_EQ(s.frames, 200);
    EXPECT_NEAR(s.mean_fps, 200.0 / 2.07, 1e-9);
    EXPECT_NEAR(s.p50_ms, 10.0, 1e-9);
    EXPECT_NEAR(s.p95_ms, 10.0, 1e-9);
    EXPECT_NEAR(s.p99_ms, 20.0, 1e-9);
    EXPECT_NEAR(s.max_ms, 50.0, 1e-9);
    EXPECT_NEAR(s.cpu_ms, 2.0, 1e-9);
    EXPECT_NEAR(s.low_1_percent_fps, 25.0, 1e-9);
    EXPECT_NEAR(s.low_0_1_percent_fps, 20.0, 1e-9);
    EXPECT_EQ(s.slow_frames, 2);

    const frame_summary empty = summarize({}, {});
    EXPECT_EQ(empty.frames, 0);
    EXPECT_EQ(empty.mean_fps, 0.0);
}

// GPU figures come from the frames that have one; a run without any has none, never a zero.
TEST(frame_summary, gpu_figures_of_the_measured_frames_only) {
    const double none = std::nan("");
    struct row {
        const char* what;
        std::vector<double> gpu_ms;
        std::optional<double> p50, p99, mean;
    };
    const row table[] = {
        {"no timer", {}, {}, {}, {}},
        {"no frame measured", {none, none}, {}, {}, {}},
        {"frames without a figure left out", {1.0, none, 5.0, 2.0}, 2.0, 5.0, 8.0 / 3.0},
    };
    for (const row& r : table) {
        const frame_summary s = summarize(std::vector<double>(4, 0.01), {}, r.gpu_ms);
        EXPECT_EQ(s.gpu_p50_ms, r.p50) << r.what;
        EXPECT_EQ(s.gpu_p99_ms, r.p99) << r.what;
        ASSERT_EQ(s.gpu_mean_ms.has_value(), r.mean.has_value()) << r.what;
        EXPECT_NEAR(s.gpu_mean_ms.value_or(0.0), r.mean.value_or(0.0), 1e-12) << r.what;
    }
}

TEST(frame_summary, rows_fit_the_header_and_csv_keeps_every_field) {
    const frame_summary s{600, 123.456, 8.125, 9.5, 11.25, 40.0, 0.5};
    const std::string row = summary_row("combat:enemies=50:shots=100", s);
    EXPECT_EQ(row.size(), summary_header().size());
    EXPECT_NE(row.find("123.5"), std::string::npos);
    EXPECT_EQ(csv_row("blur", 2, s), "blur,2,600,123.456,8.1250,9.5000,11.2500,40.0000,0.5000");
    const std::string csv = csv_header();
    EXPECT_EQ(std::count(csv.begin(), csv.end(), ','), 8);

    // The late columns: stutter, then GPU time, empty where none was measured; the table shows "-".
    frame_summary timed = s;
    timed.low_1_percent_fps = 20.5;
    timed.slow_frames = 3;
    timed.gpu_p50_ms = 1.5;
    timed.gpu_p99_ms = 2.25;
    timed.gpu_mean_ms = 1.75;
    const std::string late = csv_late_header();
    EXPECT_EQ(std::count(late.begin(), late.end(), ','), 5);
    EXPECT_EQ(csv_late_row(timed), "20.500,0.000,3,1.500000,2.250000,1.750000");
    EXPECT_EQ(csv_late_row(s), "0.000,0.000,0,,,");
    EXPECT_EQ(summary_row("blur", s).substr(summary_header().size() - 27), "        -        -        -");
    timed.gpu_p50_ms = 0.00004; // 40 ns: measured, below the table's step
    EXPECT_EQ(summary_row("blur", timed).substr(summary_header().size() - 27), "   <0.001    2.250    1.750");
}
} // namespace
