// --metric: what each value turns on, what the user's own options keep, and the environment a count runs in.
#include "cli/bench_options.h"
#include "record/metric.h"
#include "runners/count_runner.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

using namespace tarnwick::bench;

namespace {
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Counts need a fixed dt to repeat, and take fewer frames and a tighter threshold than times; whatever
// the user gave stays.
TEST(metric_option, counts_get_their_defaults_and_keep_the_users_options) {
    struct row {
        const char* args;
        const char* metric;
        double fixed_dt;
        int frames, warmup;
        double threshold;
    };
    const double count_pct = count_threshold * percent;
    const row table[] = {
        {"", "frame", 0.0, 300, 30, 3.0},
        {"--metric frame --ab", "frame", 0.0, ab_default_frames, 30, 3.0},
        {"--metric instructions", "instructions", reference_dt, count_default_frames, count_default_warmup,
         count_pct},
        {"--metric=instructions --ab", "instructions", reference_dt, count_default_frames,
         count_default_warmup, count_pct},
        {"--metric instructions --fixed-dt 0.01 --frames 7 --warmup 2", "instructions", 0.01, 7, 2,
         count_pct},
        {"--ab --metric instructions --threshold 1", "instructions", reference_dt, count_default_frames,
         count_default_warmup, 1.0},
    };
    for (const row& r : table) {
        const parse_result p = parse_bench_options(words(r.args));
        ASSERT_TRUE(p.ok) << r.args << ": " << p.error;
        EXPECT_EQ(p.options.metric, r.metric) << r.args;
        EXPECT_DOUBLE_EQ(p.options.fixed_dt, r.fixed_dt) << r.args;
        EXPECT_EQ(p.options.frames, r.frames) << r.args;
        EXPECT_EQ(p.options.warmup, r.warmup) << r.args;
        EXPECT_DOUBLE_EQ(p.options.threshold, r.threshold) << r.args;
        EXPECT_EQ(loop_settings_of(p.options).count_folder.empty(), !counts_instructions(r.metric)) << r.args;
    }
    const parse_result bad = parse_bench_options(words("--metric cycles"));
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.error.find("unknown metric 'cycles'"), std::string::npos) << bad.error;
    // Every value the table has is listed in the usage.
    for (const metric& m : metrics)
        EXPECT_NE(bench_usage().find(std::string(m.word) + ": "), std::string::npos) << m.word;
}

// One rasteriser thread unless the user chose a number; no shader cache; the dumps' folder. A side's own
// assignments come after ours, so that they win.
TEST(metric_option, a_count_runs_under_callgrind_in_a_repeatable_environment) {
    const char* const unset[] = {"HOME=/root", nullptr};
    const char* const set[] = {"LP_NUM_THREADS=4", nullptr};
    const std::vector<std::string> fresh = count_environment("/tmp/d", unset);
    const std::vector<std::string> users = count_environment("/tmp/d", set);
    const auto has = [](const std::vector<std::string>& v, const std::string& a) {
        return std::find(v.begin(), v.end(), a) != v.end();
    };
    EXPECT_TRUE(has(fresh, "LP_NUM_THREADS=0"));
    EXPECT_FALSE(std::any_of(users.begin(), users.end(),
                             [](const std::string& a) { return a.rfind("LP_NUM_THREADS=", 0) == 0; }));
    for (const auto* v : {&fresh, &users}) {
        EXPECT_TRUE(has(*v, "MESA_SHADER_CACHE_DISABLE=true"));
        EXPECT_TRUE(has(*v, std::string(count_folder_variable) + "=/tmp/d"));
    }
    child_request side{"/build/tarnwick-bench", {"--scene", "default"}, {"LP_NUM_THREADS=2"}, "", "", "", 0};
    const child_request counted = counted_request(side, "/tmp/d");
    EXPECT_EQ(counted.program, "valgrind");
    const std::vector<std::string> merged = merged_environment({}, counted.environment);
    EXPECT_TRUE(has(merged, "LP_NUM_THREADS=2"));
    EXPECT_FALSE(has(merged, "LP_NUM_THREADS=0"));
}
} // namespace
