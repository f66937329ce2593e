// The benchmark's command line and the runs it plans: good and bad arguments, scene expansion.
#include "bench_options.h"
#include "scene_plan.h"

#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace {
std::vector<std::string> split(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Every option in one line, for comparing a whole parse at once.
std::string describe(const bench_options& o) {
    std::ostringstream text;
    text << o.width << "x" << o.height << " frames " << o.frames << " warmup " << o.warmup << " seed "
         << o.seed << " dt " << o.fixed_dt;
    for (const scene_request& r : o.scenes) {
        text << " [" << r.name;
        for (const auto& [key, value] : r.settings)
            text << " " << key << "=" << value;
        text << "]";
    }
    text << (o.list ? " list" : "") << (o.help ? " help" : "") << (o.startup_only ? " startup" : "");
    if (!o.csv.empty())
        text << " csv " << o.csv;
    for (const auto& shot : o.screenshots)
        text << " shot " << shot.frame << ":" << shot.file;
    return text.str();
}

TEST(bench_options, good_command_lines_set_the_options) {
    const std::pair<const char*, const char*> table[] = {
        {"", "800x600 frames 300 warmup 30 seed 1 dt 0"},
        {"--size=1x1", "1x1 frames 300 warmup 30 seed 1 dt 0"},
        {"--frames 600 --warmup 0", "800x600 frames 600 warmup 0 seed 1 dt 0"},
        {"--frames=5 --warmup=7", "800x600 frames 5 warmup 7 seed 1 dt 0"},
        {"--seed 4294967295 --fixed-dt 0.016", "800x600 frames 300 warmup 30 seed 4294967295 dt 0.016"},
        {"--fixed-dt=1", "800x600 frames 300 warmup 30 seed 1 dt 1"},
        {"--scene default --scene blur", "800x600 frames 300 warmup 30 seed 1 dt 0 [default] [blur]"},
        {"--scene combat:enemies=200:shots=500",
         "800x600 frames 300 warmup 30 seed 1 dt 0 [combat enemies=200 shots=500]"},
        {"--scene=filters:mipmap=2", "800x600 frames 300 warmup 30 seed 1 dt 0 [filters mipmap=2]"},
        {"--scene culling:shots=0 --size 640x480",
         "640x480 frames 300 warmup 30 seed 1 dt 0 [culling shots=0]"},
        {"--frames 2 --frames 9", "800x600 frames 9 warmup 30 seed 1 dt 0"},
        {"--list --help --startup --csv out.csv --screenshot 10:a.png --screenshot=3:dir/b.png",
         "800x600 frames 300 warmup 30 seed 1 dt 0 list help startup csv out.csv shot 10:a.png shot "
         "3:dir/b.png"},
    };
    for (const auto& [args, expected] : table) {
        const parse_result p = parse_bench_options(split(args));
        ASSERT_TRUE(p.ok) << args << ": " << p.error;
        EXPECT_EQ(describe(p.options), expected) << args;
    }
}

TEST(bench_options, bad_command_lines_are_refused_with_the_reason) {
    struct row {
        const char* args;
        const char* message_part;
    };
    const row table[] = {
        {"--bogus", "unknown option '--bogus'"},
        {"frames", "unknown option 'frames'"},
        {"--frames", "--frames needs a value"},
        {"--frames 0", "--frames needs a whole number"},
        {"--frames -3", "not '-3'"},
        {"--frames 12abc", "not '12abc'"},
        {"--frames 99999999999999999999", "--frames needs"},
        {"--warmup -1", "--warmup needs"},
        {"--size 800", "--size needs a size WxH"},
        {"--size 0x600", "--size needs"},
        {"--size 800x", "--size needs"},
        {"--size 20000x600", "--size needs"},
        {"--size x", "--size needs"},
        {"--seed -1", "--seed needs"},
        {"--seed 4294967296", "--seed needs"},
        {"--fixed-dt 0", "--fixed-dt needs seconds"},
        {"--fixed-dt -0.1", "--fixed-dt needs"},
        {"--fixed-dt nan", "--fixed-dt needs"},
        {"--fixed-dt 2", "--fixed-dt needs"},
        {"--fixed-dt 0.01s", "--fixed-dt needs"},
        {"--scene", "--scene needs a value"},
        {"--scene nosuch", "unknown scene 'nosuch'"},
        {"--scene combat:foo=1", "takes no setting 'foo=1'"},
        {"--scene combat:enemies", "takes no setting 'enemies'"},
        {"--scene combat:enemies=-5", "enemies must be a whole number from 0 to 5000"},
        {"--scene combat:enemies=5001", "from 0 to 5000"},
        {"--scene combat:shots=x", "shots must be"},
        {"--scene filters:texture=2", "texture must be a whole number from -1 to 1"},
        {"--scene default:enemies=5", "scene default takes no setting"},
        {"--scene barrage:level=5", "level must be a whole number from 1 to 4"},
        {"--scene barrage:cycle=0", "cycle must be"},
        {"--scene barrage:shots=9", "takes no setting 'shots=9'"},
        {"--scene combat:", "takes no setting ''"},
        {"--csv", "--csv needs a value"},
        {"--csv=", "--csv needs a file name"},
        {"--screenshot 10", "--screenshot needs FRAME:FILE.png"},
        {"--screenshot 0:a.png", "--screenshot needs"},
        {"--screenshot 5:a.ppm", "--screenshot needs"},
        {"--screenshot x:a.png", "--screenshot needs"},
        {"--list=yes", "--list takes no value"},
    };
    for (const row& r : table) {
        const parse_result p = parse_bench_options(split(r.args));
        EXPECT_FALSE(p.ok) << r.args;
        EXPECT_NE(p.error.find(r.message_part), std::string::npos)
            << r.args << " gave '" << p.error << "', expected it to contain '" << r.message_part << "'";
    }
}

TEST(bench_options, every_catalogue_scene_parses_and_the_usage_names_every_option) {
    for (const scene_info& s : scene_catalogue()) {
        EXPECT_TRUE(parse_bench_options({"--scene", s.name}).ok) << s.name;
        for (const scene_key& k : s.keys) {
            EXPECT_LE(k.lowest, k.fallback) << s.name << ":" << k.name;
            EXPECT_GE(k.highest, k.fallback) << s.name << ":" << k.name;
        }
    }
    const std::string usage = bench_usage();
    for (const char* option : {"--size", "--frames", "--warmup", "--seed", "--fixed-dt", "--scene", "--csv",
                               "--screenshot", "--list", "--help", "--startup"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

// No request at all means every scene.
TEST(scene_plan, requests_become_labelled_runs) {
    struct row {
        const char* args;
        std::vector<std::string> labels;
    };
    const row table[] = {
        {"--scene default --scene blur", {"default", "blur"}},
        {"--scene combat", {"combat:enemies=50:shots=100"}},
        {"--scene combat:shots=7:enemies=3:shots=9", {"combat:enemies=3:shots=9"}},
        {"--scene culling:enemies=10",
         {"culling:on:enemies=10:shots=100", "culling:off:enemies=10:shots=100"}},
        {"",
         {"empty", "default", "combat:enemies=50:shots=100", "blur", "inspect", "filters:texture=0:mipmap=0",
          "filters:texture=1:mipmap=0", "filters:texture=0:mipmap=1", "filters:texture=1:mipmap=1",
          "filters:texture=0:mipmap=2", "filters:texture=1:mipmap=2", "culling:on:enemies=50:shots=100",
          "culling:off:enemies=50:shots=100", "barrage:level=4:enemies=50:cycle=60"}},
        {"--scene barrage:cycle=5:level=2", {"barrage:level=2:enemies=50:cycle=5"}},
        {"--scene filters:mipmap=1", {"filters:texture=0:mipmap=1", "filters:texture=1:mipmap=1"}},
        {"--scene filters:texture=1:mipmap=2", {"filters:texture=1:mipmap=2"}},
        {"--scene empty --scene empty", {"empty", "empty"}},
    };
    for (const row& r : table) {
        const parse_result p = parse_bench_options(split(r.args));
        ASSERT_TRUE(p.ok) << r.args;
        std::vector<std::string> labels;
        for (const scene_run& run : plan_runs(p.options.scenes))
            labels.push_back(run.label);
        EXPECT_EQ(labels, r.labels) << r.args;
    }
}

TEST(scene_plan, runs_carry_their_settings) {
    const parse_result p =
        parse_bench_options(split("--scene culling:enemies=12:shots=34 --scene "
                                  "filters:texture=1:mipmap=2 --scene barrage:level=3:cycle=7"));
    ASSERT_TRUE(p.ok);
    const std::vector<scene_run> runs = plan_runs(p.options.scenes);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_TRUE(runs[0].culling);
    EXPECT_FALSE(runs[1].culling);
    EXPECT_EQ(runs[1].enemies, 12);
    EXPECT_EQ(runs[1].shots, 34);
    EXPECT_EQ(runs[2].scene, "filters");
    EXPECT_EQ(runs[2].texture_quality, 1);
    EXPECT_EQ(runs[2].mipmap_quality, 2);
    EXPECT_TRUE(runs[2].culling);
    EXPECT_EQ(runs[3].level, 3);
    EXPECT_EQ(runs[3].cycle, 7);
    EXPECT_EQ(runs[3].enemies, 50);
    EXPECT_EQ(runs[3].shots, 0);
}
} // namespace
