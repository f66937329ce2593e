// The bench report: verdicts from checks and comparisons, how an A/B run and the driver matrix fill it, the
// page's escaping and plot, report.json against its schema (python3-jsonschema) and read back, and junit.xml
// read back through an XML parser.
#include "runners/ab_runner.h"
#include "runners/child_process.h"
#include "record/report_files.h"
#include "record/report_html.h"
#include "record/report_json.h"
#include "record/report_junit.h"
#include "record/report_modes.h"
#include "record/report_plot.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <sstream>
#include <unistd.h>

using namespace tarnwick::bench;

namespace {
report_check check(const char* name, report_verdict v, bool failed, int origin = 0) {
    return {name, origin, v, failed, std::string(name) + " said so", {}, {}};
}

// Two origins with runs, a comparison with an interval, failed and skipped checks, pictures, a run check.
report_model every_part() {
    report_model m;
    m.command_line = "tarnwick-bench --report 'my dir'";
    m.add_origin("A",
                 provenance{"llvmpipe", "4.5", "cpu", "Linux 6", "GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=2",
                            "v1-3-gabc", "2026-01-02T03:04:05Z"});
    m.add_origin("B <soft>",
                 provenance{"softpipe", "3.3", "cpu", "Linux 6", "", "v1", "2026-01-02T03:04:06Z"});
    report_scene& a = m.scene("combat:enemies=5");
    a.runs = {{0, 1, frame_summary{3, 250.0, 4, 4, 4, 4, 1}, {4.0, 4.0, 4.0}},
              {1, 1, frame_summary{2, 100.0, 10, 10, 10, 10, 2}, {10.0, 10.0}}};
    a.comparison =
        report_comparison{0, 1, 250, 5, 100, 4, 0.4, std::make_pair(0.38, 0.42), report_verdict::slower};
    m.set_check("combat:enemies=5", slower_than_check(*a.comparison, 10.0));
    report_check picture = check("reference", report_verdict::fail, true, 1);
    picture.pictures = {"images/c-reference.png", "images/c-actual.png", "images/c-diff.png"};
    picture.figures = {{"differing_percent", 1.5}};
    m.set_check("combat:enemies=5", picture);
    m.set_check("<b>&", check("compare", report_verdict::inconclusive, false));
    m.set_check("<b>&", shots_check(0, "  <b>&: left 0 \"many\""));
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

// A matrix of three drivers: llvmpipe with its own report (a run, its reference check with pictures, GL
// errors), softpipe with none (the matrix's own reference verdicts), zink skipped; one fault on each.
report_model matrix_of() {
    driver_matrix matrix;
    matrix.drivers = {
        {"llvmpipe", driver_state::ran, "", "llvmpipe (LLVM)", "4.5", {{"default", true, true, 60}}},
        {"softpipe", driver_state::ran, "", "softpipe", "3.3", {{"default", true, false, 9}}},
        {"zink", driver_state::skipped, "no Vulkan", "", "", {}}};
    matrix.faults = {
        {"backdrop-v-flipped", {fault_verdict::missed, fault_verdict::caught, fault_verdict::skipped}}};
    report_model own;
    own.add_origin("this run",
                   provenance{"llvmpipe (LLVM)", "4.5", "cpu", "Linux 6", "", "v1", "2026-01-02T03:04:05Z"});
    own.scene("default").runs.push_back({0, 1, frame_summary{2, 60, 16, 17, 17, 17, 3}, {16.0, 17.0}});
    report_check reference = check("reference", report_verdict::ok, false);
    reference.pictures = {"images/default-reference.png", "images/default-actual.png",
                          "images/default-diff.png"};
    own.set_check("default", reference);
    own.set_check("", gl_errors_check(0));
    report_pictures fault_diff{"", "", "images/faults/backdrop-v-flipped/llvmpipe-default-diff.png"};
    return matrix_report(matrix, {own, report_model(), report_model()}, {{fault_diff, {}, {}}}, "m");
}

std::string temp_folder() {
    char folder[] = "/tmp/tarnwick-report.XXXXXX";
    EXPECT_NE(mkdtemp(folder), nullptr);
    return folder;
}

TEST(report_model, verdicts_follow_failed_checks_then_the_comparison) {
    report_comparison slower{0, 1, 100, 1, 80, 1, 0.8, std::nullopt, report_verdict::slower};
    struct row {
        std::vector<report_check> checks;
        bool compared;
        report_verdict verdict;
        bool failed;
    };
    const row table[] = {
        {{}, false, report_verdict::ok, false},
        {{check("reference", report_verdict::ok, false), check("shots", report_verdict::fail, true)},
         false,
         report_verdict::fail,
         true},
        {{check("compare", report_verdict::unknown, false)}, false, report_verdict::unknown, false},
        {{check("reference", report_verdict::ok, false)}, true, report_verdict::slower, false},
        {{slower_than_check(slower, 25.0)}, true, report_verdict::slower, false},
        {{slower_than_check(slower, 10.0)}, true, report_verdict::slower, true},
    };
    for (const row& r : table) {
        const report_scene s{"x", {}, r.compared ? std::optional(slower) : std::nullopt, r.checks};
        EXPECT_EQ(scene_verdict(s), r.verdict) << &r - table;
        EXPECT_EQ(scene_failed(s), r.failed) << &r - table;
    }
    // A later run's check replaces an earlier one of its name, but never an earlier failure.
    report_model m;
    for (bool failed : {false, true, false})
        m.set_check("x", check("shots", failed ? report_verdict::fail : report_verdict::ok, failed));
    ASSERT_EQ(m.scenes.size(), 1u);
    ASSERT_EQ(m.scenes[0].checks.size(), 1u);
    EXPECT_TRUE(m.scenes[0].checks[0].failed);
}

// The report's slower-than checks fail exactly where --compare's exit status says a scene is too slow.
TEST(report_model, slower_than_agrees_with_the_comparison_status) {
    run_table base, fresh;
    base.scenes = fresh.scenes = {"steady", "slower5", "slower30", "faster"};
    base.fps = {{400, 402, 398}, {400, 402, 398}, {400, 402, 398}, {400, 402, 398}};
    fresh.fps = {{401, 399, 400}, {380, 382, 378}, {280, 282, 278}, {500, 502, 498}};
    for (double allowed : {0.0, 4.0, 10.0, 40.0}) {
        std::ostringstream ignored;
        const bool too_slow = print_comparison(base, fresh, "a", "b", allowed, ignored) == 4;
        const report_model m = comparison_report(base, fresh, "a", "b", allowed, "");
        const bool failed =
            std::any_of(m.scenes.begin(), m.scenes.end(), [](auto& s) { return scene_failed(s); });
        EXPECT_EQ(failed, too_slow) << allowed;
    }
    fresh.scenes.push_back("new only");
    fresh.fps.push_back({1});
    const report_model m = comparison_report(base, fresh, "a", "b", -1.0, "");
    ASSERT_EQ(m.scenes.size(), 5u);
    EXPECT_EQ(scene_verdict(m.scenes[4]), report_verdict::unknown);
    EXPECT_EQ(m.scenes[3].comparison->verdict, report_verdict::faster);
}

// B/A of frame time: above 1 slower; the verdict against the threshold and --fail-slower's check, as the A/B
// runner's exit status judges them.
TEST(report_modes, ab_report_compares_frame_times_over_rounds) {
    struct row {
        std::vector<double> ratios;
        double fail_slower;
        report_verdict verdict;
        bool failed;
    };
    const row table[] = {
        {{1.10, 1.11, 1.09}, 5, report_verdict::slower, true},
        {{1.10, 1.11, 1.09}, 20, report_verdict::slower, false},
        {{0.90, 0.91, 0.89}, 5, report_verdict::faster, false},
        {{1.00, 1.001, 0.999}, 0, report_verdict::no_change, false},
        {{0.95, 1.06, 1.00}, 5, report_verdict::inconclusive, true},
        {{1.5}, 5, report_verdict::unknown, true},
    };
    for (const row& r : table) {
        const report_model m =
            ab_report({}, {}, {ab_scene("s", rounds_of(r.ratios, 0.05))}, r.fail_slower, "");
        ASSERT_EQ(m.origins.size(), 2u);
        const report_comparison& c = *m.scenes.at(0).comparison;
        EXPECT_EQ(c.verdict, r.verdict) << r.ratios[0];
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
    EXPECT_NEAR(none.scenes[0].comparison->base_ms, 10.0, 1e-9);
    EXPECT_NEAR(none.scenes[0].comparison->new_ms, 12.0, 1e-9);
}

// The report fails exactly where the matrix's status does; each driver's state, references and faults land
// on its origin.
TEST(report_modes, matrix_report_has_an_origin_per_driver_and_fails_as_the_matrix_does) {
    const auto fails = [](const report_model& m) {
        return std::any_of(m.checks.begin(), m.checks.end(), [](auto& c) { return c.failed; }) ||
               std::any_of(m.scenes.begin(), m.scenes.end(), [](auto& s) { return scene_failed(s); });
    };
    const report_model m = matrix_of();
    ASSERT_EQ(m.origins.size(), 3u);
    EXPECT_EQ(m.origins[2].where.driver_env, "GALLIUM_DRIVER=zink LIBGL_ALWAYS_SOFTWARE=1");
    EXPECT_EQ(m.origins[0].where.build, "v1") << "from llvmpipe's own report";
    const report_scene& s = m.scenes.at(0);
    EXPECT_EQ(scene_verdict(s, 0), report_verdict::ok);
    EXPECT_EQ(scene_verdict(s, 1), report_verdict::fail);
    EXPECT_EQ(scene_verdict(s, 2), report_verdict::unknown);
    EXPECT_EQ(s.runs.at(0).origin, 0);
    const std::pair<std::string, std::vector<report_verdict>> rows[] = {
        {"driver", {report_verdict::ok, report_verdict::ok, report_verdict::unknown}},
        {"GL errors", {report_verdict::ok}},
        {"fault backdrop-v-flipped", {report_verdict::fail, report_verdict::ok, report_verdict::unknown}}};
    for (const auto& [name, verdicts] : rows) {
        for (size_t o = 0; o < verdicts.size(); ++o) {
            const auto it = std::find_if(m.checks.begin(), m.checks.end(), [&](const report_check& c) {
                return c.name == name && c.origin == int(o);
            });
            ASSERT_NE(it, m.checks.end()) << name << o;
            EXPECT_EQ(it->verdict, verdicts[o]) << name << o;
            if (name == "driver" && o == 2) {
                EXPECT_NE(it->message.find("no Vulkan"), std::string::npos) << "the reason it was skipped";
            }
        }
    }
    for (fault_verdict f : {fault_verdict::caught, fault_verdict::missed, fault_verdict::error}) {
        for (driver_state d : {driver_state::ran, driver_state::failed}) {
            driver_matrix plain;
            plain.drivers = {{"llvmpipe", driver_state::ran, "", "l", "4.5", {{"default", true, true, 1}}},
                             {"softpipe", d, "", "s", "3.3", {{"default", true, true, 1}}}};
            plain.faults = {{"backdrop-v-flipped", {f, fault_verdict::caught}}};
            const report_model r = matrix_report(plain, {}, {}, "");
            EXPECT_EQ(fails(r), matrix_status(plain) != 0) << int(f) << int(d);
            EXPECT_EQ(r.checks.at(2).verdict,
                      f == fault_verdict::caught ? report_verdict::ok : report_verdict::fail);
        }
    }
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

TEST(report_files, junit_parses_with_a_case_per_scene_and_check) {
    const report_model m = every_part();
    pugi::xml_document xml;
    ASSERT_TRUE(xml.load_string(report_junit(m, "out/").c_str()));
    const pugi::xml_node root = xml.child("testsuites");
    EXPECT_EQ(root.attribute("tests").as_int(), 8);
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

    // A matrix: the missed fault fails with its diff picture, the skipped driver is a skipped case.
    ASSERT_TRUE(xml.load_string(report_junit(matrix_of(), "out").c_str()));
    const pugi::xml_node llvmpipe =
        xml.child("testsuites").find_child_by_attribute("testsuite", "name", "tarnwick-bench llvmpipe");
    const pugi::xml_node fault =
        llvmpipe.find_child_by_attribute("testcase", "name", "fault backdrop-v-flipped");
    EXPECT_NE(std::string(fault.child("failure").text().get()).find("diff: out/images/faults/"),
              std::string::npos);
    const pugi::xml_node zink =
        xml.child("testsuites").find_child_by_attribute("testsuite", "name", "tarnwick-bench zink");
    EXPECT_TRUE(zink.find_child_by_attribute("testcase", "name", "driver").child("skipped"));
}

TEST(report_files, report_json_keeps_numbers_meets_its_schema_and_reads_back) {
    const std::string folder = temp_folder();
    ASSERT_TRUE(write_report(folder, every_part()));
    std::ifstream in(folder + "/report.json");
    const nlohmann::json j = nlohmann::json::parse(in);
    EXPECT_TRUE(j["scenes"][0]["runs"][0]["mean_fps"].is_number());
    EXPECT_EQ(j["scenes"][0]["comparison"]["ratio_interval_95"], nlohmann::json({0.38, 0.42}));
    EXPECT_EQ(j["origins"][0]["driver_environment"]["LP_NUM_THREADS"], "2");
    EXPECT_EQ(j["summary"]["failures"], 2);
    EXPECT_EQ(j["scenes"][1]["verdict"], "inconclusive");
    const std::string validate = "import json, sys, jsonschema\n"
                                 "schema = json.load(open(sys.argv[1]))\n"
                                 "jsonschema.validate(json.load(open(sys.argv[2])), schema,\n"
                                 "                    cls=jsonschema.Draft202012Validator)\n";
    // Every mode's report meets the schema; a run's and a matrix's read back as they were.
    const std::pair<report_model, bool> models[] = {
        {every_part(), false},
        {ab_report({}, {}, {ab_scene("s", rounds_of({1.1, 1.2}, 0.05)), ab_scene("t", rounds_of({1.0}))}, 5.0,
                   ""),
         false},
        {matrix_of(), true}};
    for (const auto& [model, reads_back] : models) {
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
        if (model.mode == report_mode::ab) {
            EXPECT_EQ(nlohmann::json::parse(text)["scenes"][0]["comparison"]["round_median_frame_ms"][1],
                      nlohmann::json({10.5, 12.6, 13.23, 11.025}))
                << "a round's processes in running order, A B B A";
        }
        report_model read;
        if (reads_back) {
            EXPECT_EQ(read_report_json(text, read), "");
            EXPECT_EQ(report_json(read), text);
        }
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
    EXPECT_FALSE(write_report(folder + "/report.json/below", every_part())) << "a file in the way";
    for (const char* file : {"/index.html", "/report.json", "/junit.xml"})
        std::remove((folder + file).c_str());
    rmdir(folder.c_str());
}
} // namespace
