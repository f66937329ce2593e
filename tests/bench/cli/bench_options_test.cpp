// The command line: our own grammars (sizes, screenshots, scenes), the rules across options, and what each
// --metric turns on, what the user's own options keep, and the environment a count runs in.
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

TEST(bench_options, our_grammars_become_options_and_bad_texts_are_refused) {
    const parse_result good = parse_bench_options(
        words("--size=320x2 --size 1x16384 --scene combat:shots=7 --scene=blur --screenshot 10:a.png "
              "--screenshot=3:dir/b.png --frames 2 --frames=9"));
    ASSERT_TRUE(good.ok) << good.error;
    EXPECT_EQ(good.options.width, 1);
    EXPECT_EQ(good.options.height, 16384);
    ASSERT_EQ(good.options.scenes.size(), 2u);
    EXPECT_EQ(good.options.scenes[0].settings.at(0), std::make_pair(std::string("shots"), std::string("7")));
    EXPECT_EQ(good.options.scenes[1].name, "blur");
    ASSERT_EQ(good.options.screenshots.size(), 2u);
    EXPECT_EQ(good.options.screenshots[1].frame, 3);
    EXPECT_EQ(good.options.screenshots[1].file, "dir/b.png");
    EXPECT_EQ(good.options.frames, 9);
    const parse_result drivers = parse_bench_options(
        words("--drivers out --reference r --driver zink --driver softpipe --fault none"));
    ASSERT_TRUE(drivers.ok) << drivers.error;
    EXPECT_EQ(drivers.options.driver_names, (std::vector<std::string>{"zink", "softpipe"}));
    for (const auto& [args, frames] :
         {std::make_pair("--ab", ab_default_frames), std::make_pair("--ab --frames 300", 300),
          std::make_pair("--scene blur", 300)})
        EXPECT_EQ(parse_bench_options(words(args)).options.frames, frames) << args;

    const std::pair<const char*, const char*> bad[] = {
        {"--size 800", "--size: needs a size WxH"},
        {"--size 0x600", "not '0x600'"},
        {"--screenshot 10", "--screenshot: needs FRAME:FILE"},
        {"--screenshot 0:a.png", "not '0:a.png'"},
        {"--screenshot 5:a.ppm", "not '5:a.ppm'"},
        {"--fixed-dt nan", "--fixed-dt: needs seconds"},
        {"--scene blur b", "not expected: b"},
        {"--fail-slower 3", "--fail-slower requires --compare or --ab"},
        {"--ab --min-rounds 9 --max-rounds 8", "--min-rounds 9 is more than --max-rounds 8"},
        {"--ab --min-rounds 1", "--min-rounds: Value 1 not in range 2 to 1000"},
        {"--reference r --max-differing 200", "--max-differing: Value 200 not in range 0 to 100"},
        {"--compare a b --fail-slower -1", "--fail-slower: Value -1 not in range 0 to 100"},
        {"--ab --threshold 1e3", "--threshold: Value 1e3 not in range 0 to 100"},
        {"--ab --a-env LP_NUM_THREADS",
         "--a-env: needs K=V assignments separated by blanks, not 'LP_NUM_THREADS'"},
        {"--b-env X=1", "--b-env requires --ab"},
        {"--ab --repeat 2", "--repeat excludes --ab"},
        {"--startup --report out", "--report: --startup ends before"},
        {"--frame-end flip", "--frame-end: needs swap, finish, readpixels or none, not 'flip'"},
        {"--swap-interval 2", "--swap-interval: needs 0 or 1, not '2'"},
        {"--headless --swap-interval 0", "--headless excludes --swap-interval"},
        {"--metric gpu", "--metric requires --compare or --ab"},
        {"--compare a b --metric fps", "--metric: unknown metric 'fps'"},
        {"--expect-renderer (zink", "needs a regular expression"},
        {"--drivers out", "requires --reference"},
        {"--drivers out --reference r --driver nosuch", "unknown driver 'nosuch'"},
        {"--drivers out --reference r --fault nosuch", "unknown fault 'nosuch'"},
        {"--driver zink", "requires --drivers"},
        {"--drivers out --reference r --csv x.csv", "--csv excludes --drivers"},
    };
    for (const auto& [args, message] : bad) {
        const parse_result p = parse_bench_options(words(args));
        EXPECT_FALSE(p.ok) << args;
        EXPECT_NE(p.error.find(message), std::string::npos) << args << " gave '" << p.error << "'";
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << args;
    }
}

// --ab's processes all end their frames as asked, before a side's own options (which win).
TEST(bench_options, ab_passes_frame_end_and_swap_interval_to_both_sides) {
    const parse_result ab = parse_bench_options(
        {"--ab", "--metric", "gpu", "--frame-end", "finish", "--swap-interval", "1", "--a-args", "--seed 5"});
    ASSERT_TRUE(ab.ok) << ab.error;
    const std::vector<std::string> common = {"--swap-interval", "1", "--frame-end", "finish"};
    EXPECT_EQ(ab.options.b_side.args, common);
    EXPECT_EQ(ab.options.a_side.args,
              (std::vector<std::string>{"--swap-interval", "1", "--frame-end", "finish", "--seed", "5"}));
    EXPECT_TRUE(parse_bench_options({"--ab"}).options.a_side.args.empty()) << "nothing asked, nothing passed";
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
