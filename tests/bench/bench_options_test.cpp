// The benchmark's command line and the runs it plans: good and bad arguments, scene expansion.
#include "bench_options.h"
#include "scene_plan.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::string scenes_of(const bench_options& o) {
    std::string text;
    for (const scene_request& r : o.scenes) {
        text += "[" + r.name;
        for (const auto& [key, value] : r.settings)
            text += " " + key + "=" + value;
        text += "]";
    }
    return text;
}

TEST(bench_options, good_command_lines_set_the_options) {
    struct row {
        const char* args;
        int width, height, frames, warmup;
        unsigned seed;
        double fixed_dt;
        const char* scenes;
    };
    const row table[] = {
        {"", 800, 600, 300, 30, 1, 0.0, ""},
        {"--size 1024x768", 1024, 768, 300, 30, 1, 0.0, ""},
        {"--size=1x1", 1, 1, 300, 30, 1, 0.0, ""},
        {"--frames 600 --warmup 0", 800, 600, 600, 0, 1, 0.0, ""},
        {"--frames=5 --warmup=7", 800, 600, 5, 7, 1, 0.0, ""},
        {"--seed 4294967295 --fixed-dt 0.016", 800, 600, 300, 30, 4294967295u, 0.016, ""},
        {"--fixed-dt=1", 800, 600, 300, 30, 1, 1.0, ""},
        {"--scene default --scene blur", 800, 600, 300, 30, 1, 0.0, "[default][blur]"},
        {"--scene combat:enemies=200:shots=500", 800, 600, 300, 30, 1, 0.0, "[combat enemies=200 shots=500]"},
        {"--scene=filters:mipmap=2", 800, 600, 300, 30, 1, 0.0, "[filters mipmap=2]"},
        {"--scene culling:shots=0 --size 640x480", 640, 480, 300, 30, 1, 0.0, "[culling shots=0]"},
        {"--frames 2 --frames 9", 800, 600, 9, 30, 1, 0.0, ""},
    };
    for (const row& r : table) {
        const parse_result p = parse_bench_options(split(r.args));
        ASSERT_TRUE(p.ok) << r.args << ": " << p.error;
        EXPECT_EQ(p.options.width, r.width) << r.args;
        EXPECT_EQ(p.options.height, r.height) << r.args;
        EXPECT_EQ(p.options.frames, r.frames) << r.args;
        EXPECT_EQ(p.options.warmup, r.warmup) << r.args;
        EXPECT_EQ(p.options.seed, r.seed) << r.args;
        EXPECT_DOUBLE_EQ(p.options.fixed_dt, r.fixed_dt) << r.args;
        EXPECT_EQ(scenes_of(p.options), r.scenes) << r.args;
    }
}

TEST(bench_options, flags_outputs_and_screenshots) {
    const parse_result p = parse_bench_options(
        split("--list --help --startup --csv out.csv --screenshot 10:a.png --screenshot=3:dir/b.png"));
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.list);
    EXPECT_TRUE(p.options.help);
    EXPECT_TRUE(p.options.startup_only);
    EXPECT_EQ(p.options.csv, "out.csv");
    ASSERT_EQ(p.options.screenshots.size(), 2u);
    EXPECT_EQ(p.options.screenshots[0].frame, 10);
    EXPECT_EQ(p.options.screenshots[0].file, "a.png");
    EXPECT_EQ(p.options.screenshots[1].frame, 3);
    EXPECT_EQ(p.options.screenshots[1].file, "dir/b.png");
    const parse_result none = parse_bench_options({});
    EXPECT_FALSE(none.options.list || none.options.help || none.options.startup_only);
    EXPECT_TRUE(none.options.screenshots.empty());
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
        {"--scene filters",
         {"filters:texture=0:mipmap=0", "filters:texture=1:mipmap=0", "filters:texture=0:mipmap=1",
          "filters:texture=1:mipmap=1", "filters:texture=0:mipmap=2", "filters:texture=1:mipmap=2"}},
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

TEST(scene_plan, runs_carry_their_settings_and_no_request_means_every_scene) {
    const parse_result p =
        parse_bench_options(split("--scene culling:enemies=12:shots=34 --scene filters:texture=1:mipmap=2"));
    ASSERT_TRUE(p.ok);
    const std::vector<scene_run> runs = plan_runs(p.options.scenes);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_TRUE(runs[0].culling);
    EXPECT_FALSE(runs[1].culling);
    EXPECT_EQ(runs[1].enemies, 12);
    EXPECT_EQ(runs[1].shots, 34);
    EXPECT_EQ(runs[2].scene, "filters");
    EXPECT_EQ(runs[2].texture_quality, 1);
    EXPECT_EQ(runs[2].mipmap_quality, 2);
    EXPECT_TRUE(runs[2].culling);

    const std::vector<scene_run> all = plan_runs({});
    std::vector<std::string> scenes;
    for (const scene_run& run : all) {
        if (scenes.empty() || scenes.back() != run.scene)
            scenes.push_back(run.scene);
    }
    EXPECT_EQ(scenes, (std::vector<std::string>{"empty", "default", "combat", "blur", "inspect", "filters",
                                                "culling"}));
    EXPECT_EQ(all.size(), 13u);
}
} // namespace
