// The driver matrix's result record: an origin per driver, its state, references and planted faults on it,
// the exit status decided from the record, and its page and junit.xml.
#include "record/exit_status.h"
#include "record/report_html.h"
#include "record/report_json.h"
#include "record/report_junit.h"
#include "runners/matrix_report.h"

#include "bench/record/report_fixtures.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace tarnwick::bench;
using tarnwick::bench::testing::check;

namespace {
// A matrix of three drivers: llvmpipe with its own report (a run with its reference check and pictures, a
// barrage without a reference, GL errors), softpipe with none (the matrix's own reference verdicts), zink
// skipped; one fault on each.
report_model matrix_of() {
    driver_matrix matrix;
    matrix.drivers = {
        {"llvmpipe", driver_state::ran, "", "llvmpipe (LLVM)", "4.5", {{"default", true, true, 60}}},
        {"softpipe", driver_state::ran, "", "softpipe", "3.3", {{"default", true, false, 9}}},
        {"zink", driver_state::skipped, "no Vulkan", "", "", {}}};
    matrix.faults = {{"backdrop-v-flipped", {verdict::missed, verdict::caught, verdict::skipped}}};
    report_model own;
    own.add_origin("this run", provenance{"llvmpipe (LLVM)", "4.5", "cpu", "Linux 6", "", "v1",
                                          "2026-01-02T03:04:05Z", ""});
    own.scene("default").runs.push_back({0, 1, frame_summary{2, 60, 16, 17, 17, 17, 3}, {16.0, 17.0}, {}});
    own.scene("barrage").runs.push_back({0, 1, frame_summary{2, 50, 20, 20, 20, 20, 3}, {20.0, 20.0}, {}});
    report_check reference = check("reference", verdict::ok, false);
    reference.pictures = {"images/default-reference.png", "images/default-actual.png", ""};
    own.set_check("default", reference);
    own.set_check("", gl_errors_check(0));
    report_pictures fault_diff{"", "", "images/faults/backdrop-v-flipped/llvmpipe-default-diff.png"};
    return matrix_report(matrix, {own, report_model(), report_model()}, {{fault_diff, {}, {}}}, "m");
}

// Each driver's state, references and faults land on its origin.
TEST(matrix_report, an_origin_per_driver_with_its_checks) {
    const report_model m = matrix_of();
    ASSERT_EQ(m.origins.size(), 3u);
    EXPECT_EQ(m.origins[2].where.driver_env, "GALLIUM_DRIVER=zink LIBGL_ALWAYS_SOFTWARE=1");
    EXPECT_EQ(m.origins[0].where.build, "v1") << "from llvmpipe's own report";
    const report_scene& s = m.scenes.at(0);
    EXPECT_EQ(scene_verdict(s, 0), verdict::ok);
    EXPECT_EQ(scene_verdict(s, 1), verdict::fail);
    EXPECT_EQ(scene_verdict(s, 2), verdict::unknown);
    EXPECT_EQ(s.runs.at(0).origin, 0);
    const std::pair<std::string, std::vector<verdict>> rows[] = {
        {"driver", {verdict::ok, verdict::ok, verdict::unknown}},
        {"GL errors", {verdict::ok}},
        {"fault backdrop-v-flipped", {verdict::fail, verdict::ok, verdict::unknown}}};
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
    EXPECT_EQ(report_json(m).find("MISSED"), std::string::npos) << "the report's verdicts only";
}

// The status decided from the record, for every way a fault and a driver can end: a run that failed is 1, a
// failed reference or a missed fault 3.
TEST(matrix_report, the_exit_status_is_decided_from_the_record) {
    for (verdict f : {verdict::caught, verdict::missed, verdict::error, verdict::skipped}) {
        for (driver_state d : {driver_state::ran, driver_state::failed, driver_state::skipped}) {
            for (bool matches : {true, false}) {
                driver_matrix plain;
                // A skipped driver measured nothing.
                const std::vector<scene_outcome> scenes =
                    d == driver_state::skipped ? std::vector<scene_outcome>{}
                                               : std::vector<scene_outcome>{{"default", true, matches, 1}};
                plain.drivers = {
                    {"llvmpipe", driver_state::ran, "", "l", "4.5", {{"default", true, true, 1}}},
                    {"softpipe", d, "", "s", "3.3", scenes}};
                plain.faults = {{"backdrop-v-flipped", {f, verdict::caught}}};
                const report_model r = matrix_report(plain, {}, {}, "");
                const int expected = f == verdict::error || d == driver_state::failed               ? 1
                                     : f == verdict::missed || (d == driver_state::ran && !matches) ? 3
                                                                                                    : 0;
                EXPECT_EQ(int(decide_exit_status(r)), expected) << verdict_word(f) << int(d) << matches;
            }
        }
    }
}

// The page's drivers table counts what the console counts: scenes with a reference, not the barrage.
TEST(matrix_report, the_page_counts_references_as_the_console_does) {
    const std::string page = report_html(matrix_of());
    const size_t row = page.find("<tr data-driver=\"llvmpipe\">");
    ASSERT_NE(row, std::string::npos);
    const std::string cells = page.substr(row, page.find("</tr>", row) - row);
    EXPECT_NE(cells.find("<td class=\"num\">1</td><td class=\"num\">0</td><td class=\"num\">0</td>"
                         "<td class=\"num\">1</td>"),
              std::string::npos)
        << cells;
}

// The missed fault fails with its diff picture, the skipped driver is a skipped case.
TEST(matrix_report, junit_fails_the_missed_fault_and_skips_the_skipped_driver) {
    pugi::xml_document xml;
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
    report_model read;
    const std::string text = report_json(matrix_of());
    EXPECT_EQ(read_report_json(text, read), "");
    EXPECT_EQ(report_json(read), text);
}
} // namespace
