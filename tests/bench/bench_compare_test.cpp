// Comparing results files (the t-test, the verdicts, the exit status) and comparing images.
#include "stats/frame_summary.h"
#include "images/image_compare.h"
#include "images/reference_check.h"
#include "runners/run_comparison.h"
#include "stats/t_distribution.h"

#include <algorithm>
#include <filesystem>
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

// Critical values of Student's t from the printed tables: two-sided 5% and 1%.
TEST(run_comparison, t_test_matches_the_printed_critical_values) {
    const double table[][3] = {{12.706, 1, 0.05}, {2.776, 4, 0.05}, {1.960, 1e7, 0.05}, {3.169, 10, 0.01}};
    for (const auto& row : table)
        EXPECT_NEAR(two_sided_t_p_value(row[0], row[1]), row[2], 2e-4) << "t " << row[0] << " df " << row[1];
}

// Welch's test against values worked by hand: t = 2 with 8 degrees of freedom; equal runs; runs without
// spread.
TEST(run_comparison, welch_p_values_of_known_samples) {
    const struct {
        std::vector<double> a, b;
        double p;
    } table[] = {
        {{1, 2, 3, 4, 5}, {3, 4, 5, 6, 7}, 0.0805},
        {{3, 4, 5, 6, 7}, {1, 2, 3, 4, 5}, 0.0805},
        {{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}, 1.0},
        {{5, 5, 5}, {5, 5}, 1.0},
        {{5, 5, 5}, {6, 6}, 0.0},
    };
    for (const auto& row : table)
        EXPECT_NEAR(welch_p_value(row.a, row.b), row.p, 5e-4) << &row - table;
}

// A gate passes only what it can judge: a scene with one run on a side (e) fails it, unless a scene slower
// beyond the limit fails it first.
TEST(run_comparison, verdicts_and_the_exit_status) {
    const std::vector<double> steady = {400, 404, 398, 401, 397}, slower20 = {320, 323, 318, 321, 317};
    const std::vector<double> noisy = {200, 520, 260, 480, 140}, faster = {440, 444, 438, 441, 437};
    const std::string base = results(
        {{"a", steady}, {"b", steady}, {"c", steady}, {"d", steady}, {"e", steady}, {"gone", {1, 2}}});
    const std::string fresh =
        results({{"a", steady}, {"b", slower20}, {"c", noisy}, {"d", faster}, {"e", {220}}, {"new", {3}}});
    const std::string judged = results({{"b", slower20}, {"e", steady}});
    const std::tuple<const std::string&, double, int, const char*> table[] = {
        {base, 0.0, 0, "no change,no change,no change,no change,no change,"},
        {fresh, 10.0, 4, "no change,slower,no change,faster,unknown (needs 2 runs each),"},
        {fresh, 25.0, 5, "no change,slower,no change,faster,unknown (needs 2 runs each),"},
        {fresh, -1.0, 0, "no change,slower,no change,faster,unknown (needs 2 runs each),"},
        {judged, 25.0, 0, "slower,no change,"},
    };
    for (const auto& [other, fail_slower, status, verdicts] : table) {
        std::ostringstream out;
        EXPECT_EQ(print_comparison(table_of(base), table_of(other), "base.csv", "new.csv", fail_slower, out),
                  status);
        std::istringstream lines(out.str());
        std::string line, found;
        for (size_t column = 0; std::getline(lines, line);) {
            if (line.compare(0, 6, "scene ") == 0)
                column = line.find("verdict");
            else if (line.size() > 2 && line[1] == ' ' && line[0] >= 'a' && line[0] <= 'e')
                found += line.substr(column) + ",";
        }
        const std::string text = out.str();
        EXPECT_EQ(found, verdicts) << text;
        EXPECT_EQ(text.find("slower by more than") != std::string::npos, status == 4) << text;
        const bool unjudged = &other == &fresh && fail_slower >= 0.0;
        EXPECT_EQ(
            text.find(
                "cannot judge with --fail-slower (fewer than 2 runs on a side; --repeat 2 or more): e\n") !=
                std::string::npos,
            unjudged)
            << text;
    }
    std::ostringstream out;
    print_comparison(table_of(base), table_of(fresh), "base.csv", "new.csv", -1.0, out);
    EXPECT_NE(out.str().find("only in base.csv: gone\nonly in new.csv: new\n"), std::string::npos);
}

// Files measured under different drivers or builds say so before the table, with both values; the date is
// no difference.
TEST(run_comparison, files_measured_differently_are_named_with_both_values) {
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
        std::ostringstream out;
        print_comparison(table_of(base), table_of(other), "base.csv", "new.csv", -1.0, out);
        EXPECT_EQ(out.str().find("conditions:") != std::string::npos, !lines.empty()) << out.str();
        EXPECT_NE(out.str().find(lines), std::string::npos) << out.str();
    }
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

// A grey 7x7 picture with the given pixels white.
rgb_image picture(std::initializer_list<std::pair<int, int>> white) {
    rgb_image image{7, 7, std::vector<uint8_t>(7 * 7 * 3, 40)};
    for (const auto& [x, y] : white)
        std::fill_n(image.pixels.begin() + (y * 7 + x) * 3, 3, uint8_t(255));
    return image;
}

// An edge one pixel off matches its neighbours both ways; a feature that appears, vanishes or moves two
// pixels does not.
TEST(image_compare, a_neighbour_excuses_a_pixel_only_when_it_matches_both_ways) {
    const rgb_image column = picture({{3, 1}, {3, 2}, {3, 3}, {3, 4}, {3, 5}});
    const rgb_image one_right = picture({{4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}});
    const rgb_image two_right = picture({{5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}});
    const rgb_image dot = picture({{3, 3}});
    const rgb_image none = picture({});
    struct row {
        const rgb_image& reference;
        const rgb_image& actual;
        long differing;
        long shifted;
    };
    const row table[] = {
        {column, one_right, 0, 10}, {column, two_right, 10, 0}, {dot, none, 1, 0},
        {none, dot, 1, 0},          {column, column, 0, 0},
    };
    for (const row& r : table) {
        const image_difference d = compare_images(r.reference, r.actual, 8);
        EXPECT_EQ(d.differing, r.differing) << &r - table;
        EXPECT_EQ(d.shifted, r.shifted) << &r - table;
        EXPECT_EQ(d.largest, r.differing > 0 ? 215 : 0) << &r - table;
    }
}

// A variant that moves a pixel beyond the tolerance marks it and its eight neighbours; the comparison then
// excuses differences there and nowhere else.
TEST(image_compare, unstable_pixels_are_marked_with_their_neighbours_and_excused) {
    const rgb_image base = picture({});
    rgb_image nudged = base;
    nudged.pixels[(2 * 7 + 2) * 3] = 200;
    rgb_image within = base;
    within.pixels[(5 * 7 + 5) * 3] = 48;
    const rgb_image mask = unstable_pixels(base, {within, nudged}, 8);
    EXPECT_EQ(marked_pixels(mask), 9);
    EXPECT_EQ(marked_pixels(unstable_pixels(base, {within}, 8)), 0);

    const rgb_image actual = picture({{1, 1}, {3, 3}, {4, 4}});
    const image_difference d = compare_images(base, actual, 8, &mask);
    EXPECT_EQ(d.excused, 2);
    EXPECT_EQ(d.differing, 1);
    const size_t outside = (4 * 7 + 4) * 3, inside = (3 * 7 + 3) * 3;
    EXPECT_EQ(
        std::vector<uint8_t>(d.picture.pixels.begin() + outside, d.picture.pixels.begin() + outside + 3),
        (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_NE(d.picture.pixels[inside], 255);
}

// Updating a reference writes its mask only when a variant moves pixels, and a mask from before goes with
// the first update that finds none, so a stale mask never excuses pixels of a scene that became stable.
TEST(reference_check, update_writes_the_mask_only_for_moving_pixels) {
    namespace fs = std::filesystem;
    bench_options options;
    options.update_reference_dir = (fs::temp_directory_path() / "tarnwick-reference-update").string();
    fs::remove_all(options.update_reference_dir);
    const rgb_image base = picture({});
    rgb_image nudged = base;
    nudged.pixels[(2 * 7 + 2) * 3] = 200;
    const std::string mask = reference_file(options.update_reference_dir, "combat:x", "-unstable");

    const reference_outcome moving = update_reference(options, "combat:x", base, {nudged});
    EXPECT_TRUE(moving.ok);
    EXPECT_NE(moving.line.find("(9 unstable pixels)"), std::string::npos) << moving.line;
    rgb_image read;
    ASSERT_TRUE(read_png(mask, read));
    EXPECT_EQ(marked_pixels(read), 9);

    const reference_outcome still = update_reference(options, "combat:x", base, {base});
    EXPECT_TRUE(still.ok);
    EXPECT_FALSE(fs::exists(mask)) << still.line;
    EXPECT_TRUE(fs::exists(reference_file(options.update_reference_dir, "combat:x")));
    fs::remove_all(options.update_reference_dir);
}
} // namespace
