// The benchmark's own grammars (sizes, screenshots, scenes through --scene) and the rules across options.
#include "cli/bench_options.h"

#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

using namespace tarnwick::bench;

namespace {
std::vector<std::string> split(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(bench_options, our_grammars_become_options_and_bad_texts_are_refused) {
    const parse_result good = parse_bench_options(
        split("--size=320x2 --size 1x16384 --scene combat:shots=7 --scene=blur --screenshot 10:a.png "
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
    for (const auto& [args, frames] :
         {std::make_pair("--ab", ab_default_frames), std::make_pair("--ab --frames 300", 300),
          std::make_pair("--scene blur", 300)})
        EXPECT_EQ(parse_bench_options(split(args)).options.frames, frames) << args;

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
    };
    for (const auto& [args, message] : bad) {
        const parse_result p = parse_bench_options(split(args));
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

} // namespace
