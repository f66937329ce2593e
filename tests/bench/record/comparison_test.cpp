// --compare over the record: each scene's verdict, the gate's lines and exit status, the scenes in one
// file only, and what differs in where the files were measured.
#include "record/exit_status.h"
#include "record/report_console.h"
#include "record/report_model.h"
#include "record/run_table.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace tarnwick::bench;

namespace {
// A results file as the bench writes it: each scene with its runs' mean FPS.
std::string results(const std::vector<std::pair<std::string, std::vector<double>>>& scenes) {
    std::string text = csv_header() + "\n";
    for (const auto& [scene, runs] : scenes) {
        for (size_t i = 0; i < runs.size(); ++i)
            text += csv_row(scene, int(i + 1), frame_summary{300, runs[i], 2.5, 3.0, 3.5, 9.0, 0.5}) + "\n";
    }
    return text;
}

run_table table_of(const std::string& text) {
    std::istringstream in(text);
    run_table table;
    EXPECT_EQ(read_run_table(in, table), "");
    return table;
}

// The printed comparison and its exit status.
std::pair<std::string, exit_status> compared(const std::string& base, const std::string& fresh,
                                             double fail_slower) {
    const report_model model =
        comparison_report(table_of(base), table_of(fresh), "base.csv", "new.csv", fail_slower, "");
    std::ostringstream out;
    print_comparison(model, out);
    return {out.str(), decide_exit_status(model)};
}

// A gate passes only what it can judge: a scene with one run on a side (e), or in one file only, fails it,
// unless a scene slower beyond the limit fails it first.
TEST(comparison, verdicts_and_the_exit_status) {
    const std::vector<double> steady = {400, 404, 398, 401, 397}, slower20 = {320, 323, 318, 321, 317};
    const std::vector<double> noisy = {200, 520, 260, 480, 140}, faster = {440, 444, 438, 441, 437};
    const std::string base =
        results({{"a", steady}, {"b", steady}, {"c", steady}, {"d", steady}, {"e", steady}});
    const std::string fresh =
        results({{"a", steady}, {"b", slower20}, {"c", noisy}, {"d", faster}, {"e", {220}}});
    const std::string judged = results({{"b", slower20}, {"e", steady}});
    // Each scene's ratio and verdict, as printed.
    const char* const mixed =
        "1.000  no change,0.799  slower,0.800  no change,1.100  faster,0.550  unknown (needs 2 runs each),";
    const std::tuple<const std::string&, double, exit_status, const char*> table[] = {
        {base, 0.0, exit_status::ok,
         "1.000  no change,1.000  no change,1.000  no change,1.000  no change,"
         "1.000  no change,"},
        {fresh, 10.0, exit_status::too_slow, mixed},
        {fresh, 25.0, exit_status::cannot_judge, mixed},
        {fresh, -1.0, exit_status::ok, mixed},
        {judged, -1.0, exit_status::ok, "0.799  slower,1.000  no change,"},
    };
    for (const auto& [other, fail_slower, status, verdicts] : table) {
        const auto [text, decided] = compared(base, other, fail_slower);
        EXPECT_EQ(decided, status) << text;
        std::istringstream lines(text);
        std::string line, found;
        for (size_t column = 0; std::getline(lines, line);) {
            if (line.compare(0, 6, "scene ") == 0)
                column = line.find("ratio");
            else if (line.size() > 2 && line[1] == ' ' && line[0] >= 'a' && line[0] <= 'e')
                found += line.substr(column) + ",";
        }
        EXPECT_EQ(found, verdicts) << text;
        EXPECT_EQ(text.find("slower by more than 10% beyond noise: b\n") != std::string::npos,
                  status == exit_status::too_slow)
            << text;
        const bool unjudged = &other == &fresh && fail_slower >= 0.0;
        EXPECT_EQ(
            text.find(
                "cannot judge with --fail-slower (fewer than 2 runs on a side; --repeat 2 or more): e\n") !=
                std::string::npos,
            unjudged)
            << text;
    }
}

// A scene in one file only, or no scene in both, has not been compared: the gate says so and cannot pass;
// without a gate it is listed and nothing fails.
TEST(comparison, a_gate_fails_what_it_did_not_compare) {
    const std::vector<double> steady = {400, 404, 398};
    const std::string header_only = csv_header() + "\n";
    const std::string both = results({{"a", steady}, {"gone", steady}});
    const std::string other = results({{"a", steady}, {"new", steady}});
    const struct {
        const std::string& base;
        const std::string& fresh;
        double fail_slower;
        exit_status status;
        const char* line;
    } table[] = {
        {header_only, other, 5.0, exit_status::cannot_judge,
         "cannot judge with --fail-slower (in one file only): a, new\n"},
        {header_only, other, 5.0, exit_status::cannot_judge,
         "cannot judge with --fail-slower: no scene is in both files\n"},
        {header_only, header_only, 5.0, exit_status::cannot_judge,
         "cannot judge with --fail-slower: no scene is in both files\n"},
        {both, other, 5.0, exit_status::cannot_judge,
         "only in base.csv: gone\nonly in new.csv: new\n"
         "cannot judge with --fail-slower (in one file only): gone, new\n"},
        {both, other, -1.0, exit_status::ok, "only in base.csv: gone\nonly in new.csv: new\n"},
        {both, both, 5.0, exit_status::ok, "a "},
    };
    for (const auto& row : table) {
        const auto [text, status] = compared(row.base, row.fresh, row.fail_slower);
        EXPECT_EQ(status, row.status) << text;
        EXPECT_NE(text.find(row.line), std::string::npos) << text;
    }
}

// Files measured under different drivers or builds say so before the table, with both values; the date is
// no difference.
TEST(comparison, files_measured_differently_are_named_with_both_values) {
    const std::string columns = csv_header() + ",renderer,gl_version,cpu,kernel,driver_env,build,date\n";
    const std::string row =
        "x,1,300,400.0,2.5,3,3.5,9,0.5,\"llvmpipe (LLVM 15, 256 bits)\",4.5,EPYC,Linux 6.1,";
    const std::string base = columns + row + ",v1-2,2025-01-01T00:00:00Z";
    const std::pair<std::string, std::string> table[] = {
        {columns + row + ",v1-2,2025-03-01T00:00:00Z", ""},
        {columns + row + "LP_NUM_THREADS=1,v1-3,2025-01-01T00:00:00Z",
         "base.csv and new.csv were measured under different conditions:\n"
         "  driver_env: (none) in base.csv, 'LP_NUM_THREADS=1' in new.csv\n"
         "  build: 'v1-2' in base.csv, 'v1-3' in new.csv\n"},
    };
    for (const auto& [other, lines] : table) {
        const std::string text = compared(base, other, -1.0).first;
        EXPECT_EQ(text.find("conditions:") != std::string::npos, !lines.empty()) << text;
        EXPECT_NE(text.find(lines), std::string::npos) << text;
    }
}
} // namespace
