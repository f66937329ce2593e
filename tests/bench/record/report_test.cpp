// The result record: verdicts from checks and comparisons, how an A/B run fills it, the page's escaping, plot
// and figures, report.json against its schema (python3-jsonschema) and read back, and junit.xml read back
// through an XML parser.
#include "record/bench_report.h"
#include "runners/ab_runner.h"
#include "record/report_files.h"
#include "record/report_html.h"
#include "record/report_json.h"
#include "record/report_junit.h"
#include "record/report_plot.h"
#include "runners/child_process.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include "bench/record/report_fixtures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <sstream>
#include <unistd.h>

using namespace tarnwick::bench;
using tarnwick::bench::testing::check;

namespace {
// Two origins with runs, a comparison with an interval, failed and skipped checks, pictures, a run check.
report_model every_part() {
    report_model m;
    m.command_line = "tarnwick-bench --report 'my dir'";
    m.add_origin("A",
                 provenance{"llvmpipe", "4.5", "cpu", "Linux 6", "GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=2",
                            "v1-3-gabc", "2026-01-02T03:04:05Z", "finish", "1"});
    m.add_origin("B <soft>", provenance{"softpipe", "3.3", "cpu", "Linux 6", "", "v1", "2026-01-02T03:04:06Z",
                                        "", "", "callgrind, dt 0.0166667 s fixed, seed 1"});
    report_scene& a = m.scene("combat:enemies=5");
    // A's run has GPU times, its second frame none; B's run none at all, but B's run was counted.
    frame_summary timed{3, 250.0, 4, 4, 4, 4, 1, 250.0, 250.0, 0};
    timed.gpu_p50_ms = timed.gpu_p99_ms = timed.gpu_mean_ms = 1.25;
    a.runs = {{0, 1, timed, {4.0, 4.0, 4.0}, {1.25, std::nan(""), 0.00005}, std::nullopt},
              {1,
               1,
               frame_summary{2, 100.0, 10, 10, 10, 10, 2},
               {10.0, 10.0},
               {},
               instruction_count{2, 1.5e6, 1e4, 1.4e6, 9e4}}};
    a.comparison = report_comparison{0, 1, verdict::slower,
                                     frame_time_comparison{4, 10, 2.5, std::make_pair(2.4, 2.6), 3, 3.0, {}}};
    m.set_check("combat:enemies=5", slower_than_check(*a.comparison, 10.0));
    report_check picture = check("reference", verdict::fail, true, 1);
    picture.pictures = {"images/c-reference.png", "images/c-actual.png", "images/c-diff.png"};
    picture.figures = {{"differing_percent", 1.5}};
    m.set_check("combat:enemies=5", picture);
    m.set_check("<b>&", check("compare", verdict::inconclusive, false));
    m.set_check("<b>&", shots_check(shots_tally{100, 20, 3, 50, 0, 0, 40, 9000}));
    m.set_check("<b>&", {"quoted", 0, verdict::ok, false, "left 0 \"many\"", {}, {}});
    m.set_check("", gl_errors_check(2));
    return m;
}

// B's process medians round by round (A B B A), from B/A ratios: A 10 ms with drift d per process.
std::vector<ab_round> rounds_of(const std::vector<double>& ratios, double drift = 0.0) {
    std::vector<ab_round> rounds;
    for (double r : ratios) {
        const double t = 10.0 * (1.0 + drift * double(rounds.size()));
        rounds.push_back({t, t * r, t * r * (1.0 + drift), t * (1.0 + drift)});
    }
    return rounds;
}

// A scene of an A/B run as the session hands it to the report: the rounds' comparison at a 3% threshold.
ab_scene_comparison ab_scene(const std::string& label, const std::vector<ab_round>& rounds) {
    ab_sequence sequence({5, 20, 0.03});
    for (const ab_round& r : rounds)
        sequence.add(r);
    return {label, ab_comparison(sequence, 3.0)};
}

// An A/B comparison on counts, B 2% more, with where the change went.
report_comparison count_report_comparison() {
    count_comparison c{1e6,        1.02e6,
                       1.02,       std::make_pair(1.019, 1.021),
                       {1e6, 1e6}, {1.02e6, 1.02e6},
                       0.0,        0.05,
                       0.5,        {{"swrast_dri.so", "0x6d9840", 5e5, 5.2e5, 2e4}}};
    return report_comparison{0, 1, verdict::slower, c};
}

std::string temp_folder() {
    char folder[] = "/tmp/tarnwick-report.XXXXXX";
    EXPECT_NE(mkdtemp(folder), nullptr);
    return folder;
}

TEST(report_model, verdicts_follow_failed_checks_then_the_comparison) {
    const report_comparison slower{0, 1, verdict::slower, fps_comparison{100, 1, 80, 1, 0.8}};
    struct row {
        std::vector<report_check> checks;
        bool compared;
        verdict expected;
        bool failed;
    };
    const row table[] = {
        {{}, false, verdict::ok, false},
        {{check("reference", verdict::ok, false), check("shots", verdict::fail, true)},
         false,
         verdict::fail,
         true},
        {{check("compare", verdict::unknown, false)}, false, verdict::unknown, false},
        {{check("reference", verdict::ok, false)}, true, verdict::slower, false},
        {{slower_than_check(slower, 25.0)}, true, verdict::slower, false},
        {{slower_than_check(slower, 10.0)}, true, verdict::slower, true},
    };
    for (const row& r : table) {
        const report_scene s{"x", {}, r.compared ? std::optional(slower) : std::nullopt, r.checks};
        EXPECT_EQ(scene_verdict(s), r.expected) << &r - table;
        EXPECT_EQ(scene_failed(s), r.failed) << &r - table;
    }
    // A later run's check replaces an earlier one of its name, but never an earlier failure.
    report_model m;
    for (bool failed : {false, true, false})
        m.set_check("x", check("shots", failed ? verdict::fail : verdict::ok, failed));
    ASSERT_EQ(m.scenes.size(), 1u);
    ASSERT_EQ(m.scenes[0].checks.size(), 1u);
    EXPECT_TRUE(m.scenes[0].checks[0].failed);
}

// B/A of frame time: above 1 slower; the verdict against the threshold and --fail-slower's check, as the A/B
// runner's exit status judges them.
TEST(report_model, ab_report_compares_frame_times_over_rounds) {
    struct row {
        std::vector<double> ratios;
        double fail_slower;
        verdict expected;
        bool failed;
    };
    const row table[] = {
        {{1.10, 1.11, 1.09}, 5, verdict::slower, true},
        {{1.10, 1.11, 1.09}, 20, verdict::slower, false},
        {{0.90, 0.91, 0.89}, 5, verdict::faster, false},
        {{1.00, 1.001, 0.999}, 0, verdict::no_change, false},
        {{0.95, 1.06, 1.00}, 5, verdict::inconclusive, true},
        {{1.5}, 5, verdict::unknown, true},
    };
    for (const row& r : table) {
        const report_model m =
            ab_report({}, {}, {ab_scene("s", rounds_of(r.ratios, 0.05))}, r.fail_slower, "");
        ASSERT_EQ(m.origins.size(), 2u);
        const report_comparison& compared = *m.scenes.at(0).comparison;
        const frame_time_comparison& c = std::get<frame_time_comparison>(compared.figures);
        EXPECT_EQ(compared.verdict, r.expected) << r.ratios[0];
        EXPECT_EQ(scene_failed(m.scenes[0]), r.failed) << r.ratios[0];
        EXPECT_EQ(c.rounds, int(r.ratios.size()));
        double logs = 0.0;
        for (double ratio : r.ratios)
            logs += std::log(ratio) / double(r.ratios.size());
        EXPECT_NEAR(c.ratio, std::exp(logs), 1e-9) << "B/A of frame time, the drift cancelled";
        EXPECT_EQ(c.ratio_interval.has_value(), r.ratios.size() > 1);
        if (c.ratio_interval) {
            EXPECT_TRUE(c.ratio_interval->first <= c.ratio && c.ratio <= c.ratio_interval->second);
        }
    }
    const report_model none = ab_report({}, {}, {ab_scene("s", rounds_of({1.2, 1.2}))}, -1.0, "");
    EXPECT_TRUE(none.scenes[0].checks.empty()) << "no --fail-slower, no check";
    EXPECT_NEAR(std::get<frame_time_comparison>(none.scenes[0].comparison->figures).base_ms, 10.0, 1e-9);
    EXPECT_NEAR(std::get<frame_time_comparison>(none.scenes[0].comparison->figures).new_ms, 12.0, 1e-9);
}

TEST(report_html, texts_and_paths_are_escaped) {
    const std::pair<const char*, const char*> text[] = {{"a<b>&\"c\"'", "a&lt;b&gt;&amp;&quot;c&quot;&#39;"},
                                                        {"plain: 1=2", "plain: 1=2"}};
    for (const auto& [in, out] : text)
        EXPECT_EQ(html_text(in), out);
    EXPECT_EQ(url_path("images/x=1_y-diff.png"), "images/x%3D1_y-diff.png");
    EXPECT_EQ(url_path("a b/#?%\"<"), "a%20b/%23%3F%25%22%3C");
    EXPECT_EQ(quoted_command_line({"tarnwick-bench", "--report", "my dir", "it's", "--scene=a:b=1", ""}),
              "tarnwick-bench --report 'my dir' 'it'\\''s' --scene=a:b=1 ''");
    const std::string page = report_html(every_part());
    for (const char* raw : {"<b>&", "B <soft>", "\"many\"", "'my dir'"})
        EXPECT_EQ(page.find(raw), std::string::npos) << raw;
    EXPECT_NE(page.find("&lt;b&gt;&amp;"), std::string::npos);
    EXPECT_EQ(page.find("http"), std::string::npos) << "the page fetches nothing";
}

TEST(report_plot, steps_are_round_and_a_stall_does_not_flatten_the_rest) {
    const std::pair<double, double> steps[] = {{0.6, 0.2}, {15, 5}, {100, 50}, {8, 2}, {0, 1}};
    for (const auto& [span, step] : steps)
        EXPECT_NEAR(tick_step(span, 4), step, 1e-12) << span;
    std::vector<double> frames(10000, 5.0);
    frames[42] = 500.0;
    const std::string svg = frame_time_svg({{"run 1", frames}, {"run 2", {6.0, 7.0}}}, "t");
    EXPECT_NE(svg.find("1 frame(s) above the scale, the longest 500.0 ms"), std::string::npos);
    const size_t first = svg.find("points=\""), end = svg.find('"', first + 8);
    EXPECT_LE(std::count(svg.begin() + long(first), svg.begin() + long(end), ','), 600) << "thinned";
    EXPECT_EQ(frame_time_svg({{"a", {1.0, 2.0, 3.0}}}, "t").find("above the scale"), std::string::npos);
}

// A run's GPU times are a dashed line in its colour, through the frames that have one; the dashed p50 and
// p99 stay those of the frame times.
TEST(report_plot, gpu_time_is_a_dashed_line_beside_its_run) {
    const double none = std::nan("");
    const std::string svg =
        frame_time_svg({{"run 1", {4, 4, 4, 4}, {1, none, 9, 1}}, {"run 2", {5, 5}}}, "t");
    const size_t gpu = svg.find("class=\"gpu\"");
    ASSERT_NE(gpu, std::string::npos);
    EXPECT_EQ(svg.find("class=\"gpu\"", gpu + 1), std::string::npos) << "run 2 has no GPU time";
    const std::string line = svg.substr(gpu, svg.find("/>", gpu) - gpu);
    EXPECT_NE(line.find(std::string("stroke=\"") + series_colour(0) + "\""), std::string::npos) << line;
    const size_t points = line.find("points=\"") + 8;
    EXPECT_EQ(std::count(line.begin() + long(points), line.end(), ','), 3) << "the unmeasured frame left out";
    EXPECT_NE(svg.find(">p50 4.00<"), std::string::npos);
    EXPECT_NE(svg.find(">p99 5.00<"), std::string::npos);
}

// The y of each SVG element of the given kind (class="mark", "grid" ...) whose text holds words.
std::vector<double> ys_of(const std::string& svg, const std::string& look, const std::string& words = "") {
    std::vector<double> ys;
    for (size_t at = svg.find(look); at != std::string::npos; at = svg.find(look, at + 1)) {
        const size_t element = svg.rfind('<', at), end = svg.find('<', svg.find('>', at));
        const std::string text = svg.substr(element, end - element);
        const size_t y =
            text.find(" y=\"") != std::string::npos ? text.find(" y=\"") + 4 : text.find("y1=\"") + 4;
        if (text.find(words) != std::string::npos)
            ys.push_back(std::stod(text.substr(y)));
    }
    return ys;
}

// The plot's words stay apart: the p50 and p99 names inside the plot above the frame axis' labels, however
// low the p50 lies, and the count of frames above the scale over the plot, not on its lines.
TEST(report_plot, labels_keep_off_the_axis_and_the_lines) {
    std::vector<double> low(1000, 0.2);
    for (size_t i = 0; i < 20; ++i)
        low[i * 50] = 9.0;
    low[7] = 400.0;
    const std::string svg = frame_time_svg({{"run 1", low}}, "t");
    const std::vector<double> grid = ys_of(svg, "class=\"grid\"");
    ASSERT_GE(grid.size(), 2u);
    const double top = *std::min_element(grid.begin(), grid.end());
    const double axis = *std::max_element(grid.begin(), grid.end());
    for (const char* name : {"p50 ", "p99 "}) {
        const std::vector<double> y = ys_of(svg, "class=\"mark\"", name);
        ASSERT_EQ(y.size(), 1u) << name;
        EXPECT_TRUE(y[0] > top && y[0] < axis) << name << y[0];
    }
    for (double y : ys_of(svg, "class=\"tick\"", ">frame "))
        EXPECT_GT(y, axis + 8);
    const std::vector<double> above = ys_of(svg, "class=\"mark\"", "above the scale");
    ASSERT_EQ(above.size(), 1u);
    EXPECT_LT(above[0], top - 4) << "over the plot's lines";
}

// The overview's p50 and p99 are the plot's dashed lines: of all the runs' frames together.
TEST(report_html, the_overview_shows_the_plots_percentiles) {
    report_model m;
    m.add_origin("this run", {});
    std::vector<double> fast(100, 2.0), slow(100, 4.0);
    slow[3] = 30.0;
    report_scene& s = m.scene("default");
    s.runs = {{0, 1, summarize(std::vector<double>(100, 0.002), {}), fast, {}},
              {0, 2, summarize(std::vector<double>(100, 0.004), {}), slow, {}}};
    const std::string page = report_html(m);
    const size_t row = page.find("<tr data-scene=\"default\">");
    const std::string cells = page.substr(row, page.find("</tr>", row) - row);
    const std::string svg = frame_time_svg({{"run 1", fast}, {"run 2", slow}}, "t");
    for (const char* name : {"p50 ", "p99 "}) {
        const size_t mark = svg.find(std::string(">") + name);
        ASSERT_NE(mark, std::string::npos);
        const std::string figure = svg.substr(mark + 5, svg.find('<', mark) - mark - 5);
        EXPECT_NE(cells.find("<td class=\"num\">" + figure + "</td>"), std::string::npos) << name << cells;
    }
}

// A passing frame's diff is all dark: the report keeps the pictures of a failure only; a comparison's
// numbers go with its check.
TEST(bench_report, a_reference_check_keeps_its_numbers_and_a_failure_its_diff) {
    const std::string folder = temp_folder();
    std::ostringstream table;
    bench_report outputs({"", "", folder, ""}, {}, table);
    const rgb_image frame{2, 1, {0, 0, 0, 9, 9, 9}};
    for (const reference_state state : {reference_state::matched, reference_state::differs}) {
        reference_outcome o;
        o.state = state;
        o.difference = compare_images(frame, frame, 8);
        outputs.add_reference(state == reference_state::matched ? "pass" : "fail", o, frame);
    }
    // A check whose frame was never compared (no reference file) carries no numbers.
    outputs.add_reference("none", reference_outcome{}, frame);
    const report_model& m = outputs.record();
    ASSERT_EQ(m.scenes.size(), 3u);
    EXPECT_EQ(m.scenes[0].checks.at(0).figure("pixels", -1.0), 2.0)
        << "a comparison's numbers travel with it";
    EXPECT_TRUE(m.scenes[2].checks.at(0).figures.empty());
    EXPECT_EQ(m.scenes[0].checks.at(0).pictures.diff, "");
    EXPECT_NE(m.scenes[0].checks.at(0).pictures.actual, "");
    EXPECT_EQ(m.scenes[1].checks.at(0).pictures.diff, "images/fail-diff.png");
    std::filesystem::remove_all(folder);
}

TEST(report_files, junit_parses_with_a_case_per_scene_and_check) {
    const report_model m = every_part();
    pugi::xml_document xml;
    ASSERT_TRUE(xml.load_string(report_junit(m, "out/").c_str()));
    const pugi::xml_node root = xml.child("testsuites");
    EXPECT_EQ(root.attribute("tests").as_int(), 9);
    EXPECT_EQ(root.attribute("failures").as_int(), 3);
    EXPECT_EQ(root.attribute("skipped").as_int(), 1);
    EXPECT_EQ(std::distance(root.children("testsuite").begin(), root.children("testsuite").end()), 2);
    const pugi::xml_node failure = root.find_node([](pugi::xml_node n) {
        return std::string(n.name()) == "failure" && std::string(n.attribute("type").value()) == "FAIL" &&
               std::string(n.parent().attribute("name").value()) == "reference";
    });
    ASSERT_TRUE(failure);
    EXPECT_STREQ(failure.attribute("message").value(), "reference said so");
    EXPECT_NE(std::string(failure.text().get()).find("out/images/c-diff.png"), std::string::npos);
    const pugi::xml_node b = root.find_child_by_attribute("testsuite", "name", "tarnwick-bench B <soft>");
    EXPECT_STREQ(b.child("properties").first_child().attribute("value").value(), "softpipe");
}

TEST(report_files, report_json_keeps_numbers_meets_its_schema_and_reads_back) {
    const std::string folder = temp_folder();
    std::ostringstream told;
    ASSERT_TRUE(write_report(folder, every_part(), told));
    EXPECT_EQ(told.str(), "report: " + folder + "/index.html\n");
    std::ifstream in(folder + "/report.json");
    const nlohmann::json j = nlohmann::json::parse(in);
    EXPECT_EQ(j["scenes"][0]["comparison"]["frame_time_ratio_interval_95"], nlohmann::json({2.4, 2.6}));
    EXPECT_EQ(j["origins"][0]["driver_environment"]["LP_NUM_THREADS"], "2");
    EXPECT_EQ(j["summary"]["failures"], 2);
    EXPECT_EQ(j["scenes"][1]["verdict"], "inconclusive");
    // 50 ns of GL work is kept, not rounded to a measured zero.
    EXPECT_EQ(j["scenes"][0]["runs"][0]["gpu_frame_ms"], nlohmann::json::parse("[1.25, null, 5e-05]"));
    for (const char* none : {"gpu_p50_ms", "gpu_p99_ms", "gpu_mean_ms", "gpu_frame_ms"})
        EXPECT_FALSE(j["scenes"][0]["runs"][1].contains(none)) << "never a zero for " << none;
    EXPECT_EQ(j["origins"][0]["frame_end"], "finish");
    const std::string validate = "import json, sys, jsonschema\n"
                                 "schema = json.load(open(sys.argv[1]))\n"
                                 "jsonschema.validate(json.load(open(sys.argv[2])), schema,\n"
                                 "                    cls=jsonschema.Draft202012Validator)\n";
    // Every mode's report meets the schema and reads back as it was.
    run_table base, fresh;
    base.scenes = fresh.scenes = {"s"};
    base.fps = {{100, 101}};
    fresh.fps = {{90, 91}};
    const report_model models[] = {
        every_part(),
        ab_report({}, {}, {ab_scene("s", rounds_of({1.1, 1.2}, 0.05)), ab_scene("t", rounds_of({1.0}))}, 5.0,
                  ""),
        [&] {
            report_model compared = comparison_report(base, fresh, "a.csv", "b.csv", 5.0, "");
            compared.metric = "gpu";
            return compared;
        }(),
        ab_report({}, {}, {{"c", count_report_comparison()}}, 0.1, "")};
    for (const report_model& model : models) {
        const std::string text = report_json(model);
        std::ofstream(folder + "/report.json") << text;
        // Python is no program of ours: the sanitizer build's preload stays out of it.
        const child_result r = run_child({"/usr/bin/python3",
                                          {"-c", validate, TARNWICK_REPORT_SCHEMA, folder + "/report.json"},
                                          {"LD_PRELOAD="},
                                          "",
                                          "",
                                          ""});
        EXPECT_EQ(r.status, 0) << mode_word(model.mode)
                               << ": report.json does not meet docs/report.schema.json";
        if (std::holds_alternative<count_comparison>(model.scenes[0].comparison->figures))
            EXPECT_EQ(
                nlohmann::json::parse(text)["scenes"][0]["comparison"]["functions"][0]["change_per_frame"],
                2e4);
        else if (model.mode == report_mode::ab) {
            EXPECT_EQ(nlohmann::json::parse(text)["scenes"][0]["comparison"]["round_median_frame_ms"][1],
                      nlohmann::json({10.5, 12.6, 13.23, 11.025}))
                << "a round's processes in running order, A B B A";
        }
        report_model read;
        EXPECT_EQ(read_report_json(text, read), "");
        EXPECT_EQ(report_json(read), text);
    }
    report_model read;
    // Not JSON, not an object, a field of the wrong type, a check and a run naming an origin there is not.
    for (const char* bad : {"", "[1]", R"({"command_line": 1})",
                            R"({"command_line": "", "origins": [], "scenes": [], "checks": [{"name": "x",
                                "origin": 0, "verdict": "ok", "failed": false, "message": ""}]})",
                            R"({"command_line": "", "origins": [], "checks": [], "scenes": [{"label": "s",
                                "checks": [], "runs": [{"origin": 1, "run": 1, "frames": 0, "mean_fps": 0,
                                "p50_ms": 0, "p95_ms": 0, "p99_ms": 0, "max_ms": 0, "cpu_ms": 0,
                                "frame_ms": []}]}]})"})
        EXPECT_NE(read_report_json(bad, read), "") << bad;
    EXPECT_FALSE(write_report(folder + "/report.json/below", every_part(), told)) << "a file in the way";
    for (const char* file : {"/index.html", "/report.json", "/junit.xml"})
        std::remove((folder + file).c_str());
    rmdir(folder.c_str());
}
} // namespace
