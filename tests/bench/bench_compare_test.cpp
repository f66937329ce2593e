// Comparing results files (the t-test, the verdicts, the exit status) and comparing images.
#include "frame_summary.h"
#include "image_compare.h"
#include "run_comparison.h"

#include <gtest/gtest.h>
#include <sstream>

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

// Critical values of Student's t from the printed tables: two-sided 5% and 1%.
TEST(run_comparison, t_test_matches_the_printed_critical_values) {
    const double table[][3] = {{12.706, 1, 0.05}, {2.776, 4, 0.05}, {1.960, 1e7, 0.05}, {3.169, 10, 0.01}};
    for (const auto& row : table)
        EXPECT_NEAR(two_sided_t_p_value(row[0], row[1]), row[2], 2e-4) << "t " << row[0] << " df " << row[1];
}

TEST(run_comparison, verdicts_and_the_exit_status) {
    const std::vector<double> steady = {400, 404, 398, 401, 397};
    const std::vector<double> slower20 = {320, 323, 318, 321, 317};
    const std::vector<double> noisy = {200, 520, 260, 480, 140};
    const std::vector<double> faster = {440, 444, 438, 441, 437};
    const std::string base =
        results({{"a", steady}, {"b", steady}, {"c", steady}, {"d", steady}, {"gone", {1, 2}}});
    const std::string fresh =
        results({{"a", steady}, {"b", slower20}, {"c", noisy}, {"d", faster}, {"new", {3}}});
    struct row {
        const std::string& fresh;
        double fail_slower;
        int status;
        std::vector<std::string> verdicts; // of a, b, c, d
    };
    const row table[] = {
        {base, 0.0, 0, {"no change", "no change", "no change", "no change"}},
        {fresh, 10.0, 4, {"no change", "slower", "no change", "faster"}},
        {fresh, 25.0, 0, {"no change", "slower", "no change", "faster"}},
    };
    for (const row& r : table) {
        std::ostringstream out;
        EXPECT_EQ(
            print_comparison(table_of(base), table_of(r.fresh), "base.csv", "new.csv", r.fail_slower, out),
            r.status)
            << out.str();
        std::istringstream lines(out.str());
        std::string line;
        std::vector<std::string> verdicts;
        while (std::getline(lines, line)) {
            if (line.size() > 2 && line[1] == ' ' && line[0] >= 'a' && line[0] <= 'd')
                verdicts.push_back(line.substr(line.rfind("  ") + 2));
        }
        EXPECT_EQ(verdicts, r.verdicts) << out.str();
        if (&r.fresh == &fresh) {
            EXPECT_NE(out.str().find("only in base.csv: gone\nonly in new.csv: new\n"), std::string::npos);
            EXPECT_EQ(out.str().find("slower by more than") != std::string::npos, r.status == 4);
        }
    }
    EXPECT_EQ(compare_scene("x", {400}, steady).result, verdict::unknown);
}

TEST(run_comparison, unreadable_files_say_where) {
    const std::pair<const char*, const char*> table[] = {
        {"", "no header line"},
        {"mean_fps,scene\n12.5,x\n\n13,x\nabc,y\n", "line 5: no scene with a mean FPS"},
        {"scene,mean_fps\nx,12,5\ny,nan\n", "line 3: no scene with a mean FPS"},
    };
    for (const auto& [text, error] : table) {
        std::istringstream in(text);
        run_table table;
        EXPECT_EQ(read_run_table(in, table), error) << text;
    }
}

TEST(image_compare, pixels_beyond_the_tolerance_differ_and_show_red) {
    // Three pixels: equal, 8 apart in blue, 9 apart in red; the largest difference is 9.
    const rgb_image reference{3, 1, {90, 60, 30, 90, 60, 30, 90, 60, 30}};
    const rgb_image actual{3, 1, {90, 60, 30, 90, 60, 38, 99, 60, 30}};
    const image_difference at8 = compare_images(reference, actual, 8);
    EXPECT_EQ(at8.differing, 1);
    EXPECT_EQ(at8.largest, 9);
    EXPECT_NEAR(at8.differing_percent(), 100.0 / 3.0, 1e-9);
    EXPECT_EQ(at8.picture.pixels, (std::vector<uint8_t>{30, 20, 10, 30, 20, 10, 255, 0, 0}));
    EXPECT_EQ(compare_images(reference, actual, 7).differing, 2);
    EXPECT_EQ(compare_images(reference, actual, 9).differing, 0);
}
} // namespace
